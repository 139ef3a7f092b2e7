#include "skin/TextTable.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

QHash<QString, BilingualText> ReadTextTable(const QString& resource, const char* section) {
    QHash<QString, BilingualText> table;
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("%s missing from the resources", qPrintable(resource));
        return table;
    }
    const QJsonObject texts =
        QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String(section)).toObject();
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        const QJsonObject entry = it.value().toObject();
        table.insert(it.key(), BilingualText{entry.value(QLatin1String("en")).toString(),
                                             entry.value(QLatin1String("ja")).toString()});
    }
    return table;
}
