#pragma once

#include <QString>
#include <QStringView>

class QLocale;

// The string table (resources/strings/messages.json) in the two languages of the program.
// The language is chosen once at start-up, before any worker thread runs; after that the
// table is only read, so every thread may call Load and Format.
class Messages {
public:
    enum class Language { English, Japanese };

    // Japanese for a "ja" locale, English for every other.
    static Language LanguageForLocale(const QLocale& locale);
    // "en" or "ja" (as given to --lang); false for anything else.
    static bool ParseLanguage(QStringView name, Language* language);

    static void SetLanguage(Language language);
    static Language CurrentLanguage();

    // The text of an id; an id that is not in the table gives an empty text and a warning.
    static QString Load(int id);
    static QString Load(int id, Language language);
    // The text with every "%1" replaced by the argument; a text without "%1" comes back unchanged.
    static QString Format(int id, const QString& argument);
    static QString Format(int id, const QString& argument, Language language);

    Messages() = delete;
};
