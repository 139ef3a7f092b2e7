#include "app/Companion.h"

#include <QFile>
#include <QProcess>

#include "core/AppSettings.h"
#include "skin/MessageIds.h"
#include "skin/ProfileStore.h"
#include "skin/Prompter.h"

namespace {

// Where the installer records the companion: the program's own profile, not the companion's.
constexpr char kPathKey[] = "Ondavire/Path";
constexpr char kFolderSwitch[] = "/T:";

QString PathInScope(QSettings::Scope scope) {
    const ProfileStore settings(scope);
    return settings.value(QLatin1String(kPathKey)).toString();
}

}  // namespace

QString CompanionPath() {
    // The system-wide value wins: that is where an installation for every user puts it.
    const QString system = PathInScope(QSettings::SystemScope);
    if (!system.isEmpty()) return system;
    return PathInScope(QSettings::UserScope);
}

bool LaunchCompanion(const QString& lastDestination, Prompter& prompter) {
    const QString path = CompanionPath();
    // Readable is all that is checked; whether it really starts is the system's business.
    if (path.isEmpty() || !QFile(path).open(QIODevice::ReadOnly)) {
        prompter.Info(msg::CompanionNotFound);
        return false;
    }
    // The quotes of the command line only keep the switch together; as an argument list the
    // switch is one item without them, blanks in the folder and all.
    QStringList arguments;
    if (!lastDestination.isEmpty()) arguments << QLatin1String(kFolderSwitch) + lastDestination;
    QProcess::startDetached(path, arguments);
    return true;
}
