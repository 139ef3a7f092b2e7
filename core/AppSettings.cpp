#include "core/AppSettings.h"

#include <QCoreApplication>

#include "skin/ProfileStore.h"

void ResetSettings(AppSettings& settings) {
    AppSettings defaults;
    defaults.workFolder = settings.workFolder;
    defaults.autoExportFolder = settings.autoExportFolder;
    settings = defaults;
}

namespace {

const QString kFilesPerFolderKey = QStringLiteral("Preferences/FilesPerFolder");

}  // namespace

int KeptFilesPerFolder() {
    const AppSettings defaults;
    bool ok = false;
    const int files = ProfileStore().value(kFilesPerFolderKey).toInt(&ok);
    return ok && files >= 1 && files <= defaults.filesPerFolder ? files : defaults.filesPerFolder;
}

void KeepFilesPerFolder(int files) {
    ProfileStore().setValue(kFilesPerFolderKey, files);
}

void NameProfileStore() {
    QCoreApplication::setOrganizationName(QLatin1String(kProfileOrganisation));
    QCoreApplication::setApplicationName(QStringLiteral("Vimbrelcastor"));
}
