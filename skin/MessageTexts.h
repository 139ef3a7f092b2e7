#pragma once

#include <QString>
#include <QStringView>

class QLocale;

// The string table (resources/strings/messages.json) in the two languages of the program.
// The language is chosen once at start-up, before any worker thread runs; after that the
// table is only read, so every thread may call Load and Format.
namespace Messages {

enum class Language { English, Japanese };

// Japanese for a "ja" locale, English for every other.
Language LanguageForLocale(const QLocale& locale);
// "en" or "ja" (as given to --lang); false for anything else.
bool ParseLanguage(QStringView name, Language* language);

void SetLanguage(Language language);
Language CurrentLanguage();

// The text of an id; an id that is not in the table gives an empty text and a warning.
QString Load(int id);
QString Load(int id, Language language);
// The text with every "%1" replaced by the argument; a text without "%1" comes back unchanged.
QString Format(int id, const QString& argument);
QString Format(int id, const QString& argument, Language language);

}  // namespace Messages
