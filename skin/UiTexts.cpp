#include "skin/UiTexts.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

namespace UiTexts {
namespace {

struct Texts {
    QString english;
    QString japanese;
};

QHash<QString, Texts> ReadTable() {
    QHash<QString, Texts> table;
    QFile file(QStringLiteral(":/strings/ui.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("window texts missing from the resources");
        return table;
    }
    const QJsonObject texts =
        QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("texts")).toObject();
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        table.insert(it.key(), Texts{entry.value(QLatin1String("en")).toString(),
                                     entry.value(QLatin1String("ja")).toString()});
    }
    return table;
}

}  // namespace

QString Text(const char* key, Messages::Language language) {
    static const QHash<QString, Texts> table = ReadTable();
    const auto it = table.constFind(QLatin1String(key));
    if (it == table.constEnd()) {
        qWarning("no window text for %s", key);
        return QLatin1String(key);
    }
    return language == Messages::Language::Japanese ? it->japanese : it->english;
}

QString Text(const char* key) {
    return Text(key, Messages::CurrentLanguage());
}

}  // namespace UiTexts
