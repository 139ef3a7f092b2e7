#include "skin/MessageTexts.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QtDebug>
#include <atomic>

namespace Messages {
namespace {

struct Texts {
    QString english;
    QString japanese;
};

using Table = QHash<int, Texts>;

Table ReadTable() {
    Table table;
    QFile file(QStringLiteral(":/strings/messages.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("string table missing from the resources");
        return table;
    }
    const QJsonObject messages = QJsonDocument::fromJson(file.readAll())
                                     .object()
                                     .value(QLatin1String("messages"))
                                     .toObject();
    for (auto it = messages.begin(); it != messages.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        table.insert(it.key().toInt(), Texts{entry.value(QLatin1String("en")).toString(),
                                             entry.value(QLatin1String("ja")).toString()});
    }
    return table;
}

const Table& TheTable() {
    static const Table table = ReadTable();
    return table;
}

std::atomic<Language> currentLanguage{Language::English};

}  // namespace

Language LanguageForLocale(const QLocale& locale) {
    return locale.language() == QLocale::Japanese ? Language::Japanese : Language::English;
}

bool ParseLanguage(QStringView name, Language* language) {
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

void SetLanguage(Language language) {
    currentLanguage = language;
}

Language CurrentLanguage() {
    return currentLanguage;
}

QString Load(int id, Language language) {
    const auto it = TheTable().constFind(id);
    if (it == TheTable().constEnd()) {
        qWarning("no text with id %d in the string table", id);
        return QString();
    }
    return language == Language::Japanese ? it->japanese : it->english;
}

QString Load(int id) {
    return Load(id, CurrentLanguage());
}

QString Format(int id, const QString& argument, Language language) {
    QString text = Load(id, language);
    text.replace(QLatin1String("%1"), argument);
    return text;
}

QString Format(int id, const QString& argument) {
    return Format(id, argument, CurrentLanguage());
}

}  // namespace Messages
