#include "skin/UiTexts.h"

#include "skin/TextTable.h"

QString UiTexts::Text(const char* key, Messages::Language language) {
    static const QHash<QString, BilingualText> table =
        ReadTextTable(QStringLiteral(":/strings/ui.json"), "texts");
    const auto it = table.constFind(QLatin1String(key));
    if (it == table.constEnd()) {
        qWarning("no window text for %s", key);
        return QLatin1String(key);
    }
    return it->In(language);
}

QString UiTexts::Text(const char* key) {
    return Text(key, Messages::CurrentLanguage());
}
