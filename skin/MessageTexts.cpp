#include "skin/MessageTexts.h"

#include <QLocale>
#include <QtDebug>
#include <atomic>

#include "skin/TextTable.h"

namespace {

using Language = Messages::Language;
using Table = QHash<int, BilingualText>;

Table ReadTable() {
    Table table;
    const QHash<QString, BilingualText> texts =
        ReadTextTable(QStringLiteral(":/strings/messages.json"), "messages");
    for (auto it = texts.begin(); it != texts.end(); ++it) table.insert(it.key().toInt(), *it);
    return table;
}

const Table& TheTable() {
    static const Table table = ReadTable();
    return table;
}

std::atomic<Language> currentLanguage{Language::English};

}  // namespace

Language Messages::LanguageForLocale(const QLocale& locale) {
    return locale.language() == QLocale::Japanese ? Language::Japanese : Language::English;
}

bool Messages::ParseLanguage(QStringView name, Language* language) {
    if (name == u"en") {
        *language = Language::English;
        return true;
    }
    if (name == u"ja") {
        *language = Language::Japanese;
        return true;
    }
    return false;
}

void Messages::SetLanguage(Language language) {
    currentLanguage = language;
}

Language Messages::CurrentLanguage() {
    return currentLanguage;
}

QString Messages::Load(int id, Language language) {
    const auto it = TheTable().constFind(id);
    if (it == TheTable().constEnd()) {
        qWarning("no text with id %d in the string table", id);
        return QString();
    }
    return it->In(language);
}

QString Messages::Load(int id) {
    return Load(id, CurrentLanguage());
}

QString Messages::Format(int id, const QString& argument, Language language) {
    QString text = Load(id, language);
    text.replace(QLatin1String("%1"), argument);
    return text;
}

QString Messages::Format(int id, const QString& argument) {
    return Format(id, argument, CurrentLanguage());
}
