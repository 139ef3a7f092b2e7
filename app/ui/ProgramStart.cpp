#include "app/ui/ProgramStart.h"

#include <QApplication>
#include <QDir>

#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/ui/MainDialog.h"
#include "app/ui/SplashWindow.h"
#include "app/ui/WindowImport.h"
#include "core/AppSettings.h"
#include "core/TerminationSignals.h"
#include "core/WorkFolders.h"
#include "imaging/ImagingSetup.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ProfileStore.h"
#include "skin/ToolkitTranslation.h"
#include "skin/UiTexts.h"
#include "skin/ui/Accessibility.h"
#include "skin/ui/BoxPrompter.h"
#include "skin/ui/SkinArt.h"
#include "skin/ui/WindowFront.h"

namespace {

// A start while the window runs: its paths go to the running window, which imports them as a
// drop; without paths it says 149 and brings the running window forward. Returns the exit
// status: 0 when paths were taken, 1 otherwise.
int HandOverToRunningWindow(const ProgramOptions& options, Prompter& prompter) {
    // The running window has a working folder of its own.
    QStringList paths;
    for (const QString& argument : options.paths) {
        if (!IsAutomationSwitch(argument)) paths.append(QDir::current().absoluteFilePath(argument));
    }
    if (paths.isEmpty()) prompter.Info(msg::AlreadyRunning);
    if (SingleInstance::HandOver(paths)) return paths.isEmpty() ? 1 : 0;
    QString text = UiTexts::Text("handover.no_answer");
    if (!paths.isEmpty())
        text += QStringLiteral("\n\n") + ListMessage(UiTexts::Text("import.skipped"), paths);
    prompter.Plain(text);
    return 1;
}

}  // namespace

int RunWindowProgram(int& argc, char** argv, const ProgramOptions& options) {
    QApplication application(argc, argv);
    // What a screen reader hears of the skinned controls.
    InstallAccessibility();
    // The pickers and standard buttons that Qt draws speak the language of the program's texts.
    ToolkitTranslation::Install(Messages::CurrentLanguage());
    QGuiApplication::setApplicationDisplayName(Messages::Load(msg::WindowTitle));
    QGuiApplication::setDesktopFileName(QStringLiteral(VC_APP_ID));
    QApplication::setWindowIcon(SkinArt::ProgramIcon());
    BoxPrompter prompter;
    const char* programName = argc > 0 ? argv[0] : nullptr;
    return RunWindowSession(options, prompter, [programName] { return StartImaging(programName); });
}

int RunWindowSession(const ProgramOptions& options, Prompter& prompter,
                     const std::function<bool()>& startImaging) {
    SingleInstance instance;
    if (!instance.Acquire()) return HandOverToRunningWindow(options, prompter);
    // The one profile entry the program keeps, cleared at every start.
    ProfileStore().setValue(QStringLiteral("powerpointdoc"), QString());

    AppSettings settings;
    ResetSettings(settings);
    if (!startImaging()) {
        prompter.Info(msg::InstallFailed);
        return 1;
    }
    const QString tempPath = QDir::tempPath();
    // What killed runs left behind goes first: this window is the only one of this user.
    RemoveStaleWorkFolders(tempPath);
    const WorkPaths paths = ChooseWorkPaths(tempPath);
    settings.workFolder = paths.workFolder;
    settings.autoExportFolder = paths.autoExportFolder;
    // Held while the window lives, so that a batch run cleaning up leaves it alone.
    FolderLock workFolderHold;
    if (EnsurePrivateFolder(settings.workFolder)) {
        workFolderHold.Take(settings.workFolder, FolderLock::Links::Refuse);
    }
    const WorkSpace workSpace(tempPath);
    // SIGTERM and SIGINT end every loop of the window as if each box and dialog were
    // cancelled, and the work folders are emptied below as after Close.
    QObject::connect(&TerminationSignals::Install(), &TerminationSignals::requested, qApp,
                     [] { QCoreApplication::exit(0); });

    if (!SplashSuppressed(options)) (new SplashWindow())->show();

    {
        MainDialog window(settings, workSpace, &prompter);
        SetMainWindow(&window);
        window.QueueStartupPaths(options.paths);
        // A later start's paths wait in the same queue as the command line's, so they are
        // imported after whatever import runs now, and never while a box or dialog is open.
        QObject::connect(&instance, &SingleInstance::handedOver, &window,
                         [&window](const QStringList& paths) {
                             window.QueueStartupPaths(paths);
                             BringMainWindowToFront();
                         });
        instance.Listen();
        // A log-off needs nothing of its own: Qt asks every window to close when the session
        // may still be kept (and keeps it when one refuses), so the window asks as Close does,
        // once; when it closes, its loop ends and the work folders go below, as after Close.
        window.exec();
        SetMainWindow(nullptr);
    }
    if (SplashWindow* splash = SplashWindow::Current()) splash->End();
    CleanWorkFolders(settings);
    instance.Release();
    return 0;
}
