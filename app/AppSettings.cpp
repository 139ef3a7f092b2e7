#include "app/AppSettings.h"

void ResetSettings(AppSettings& settings) {
    AppSettings defaults;
    defaults.workFolder = settings.workFolder;
    defaults.autoExportFolder = settings.autoExportFolder;
    settings = defaults;
}
