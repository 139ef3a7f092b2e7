#include "core/AppSettings.h"

#include <QCoreApplication>

#include "skin/ProfileStore.h"

void ResetSettings(AppSettings& settings) {
    AppSettings defaults;
    defaults.workFolder = settings.workFolder;
    defaults.autoExportFolder = settings.autoExportFolder;
    settings = defaults;
}

void NameProfileStore() {
    QCoreApplication::setOrganizationName(QLatin1String(kProfileOrganisation));
    QCoreApplication::setApplicationName(QStringLiteral("Vimbrelcastor"));
}
