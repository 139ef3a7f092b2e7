#include <QCoreApplication>
#include <QLocale>
#include <QTextStream>
#include <cstdio>

#include "app/BatchRun.h"
#include "app/CommandLine.h"
#include "app/ui/ProgramStart.h"
#include "core/AppSettings.h"
#include "imaging/ImagingSetup.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"

namespace {

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    const ProgramOptions options = ParseProgramArguments(arguments);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!options.error.isEmpty()) {
        err << "vimbrelcastor: " << options.error << "\nTry 'vimbrelcastor --help'.\n";
        return 2;
    }
    if (options.help) {
        out << UsageText();
        return 0;
    }
    if (options.version) {
        out << Messages::Load(msg::WindowTitle) << '\n';
        return 0;
    }
    // Before anything starts the imaging libraries: their warnings show only when asked.
    SetImagingVerbose(options.verbose);
    Messages::SetLanguage(
        options.language.value_or(Messages::LanguageForLocale(QLocale::system())));
    NameProfileStore();
    if (options.batch.enabled) {
        // The batch run waits on a conversion process and on the pool through Qt's event
        // machinery, which needs an application object (but no display).
        QCoreApplication application(argc, argv);
        return RunBatch(options);
    }

    if (!HasDisplay()) {
        err << "vimbrelcastor: no display to open the window on (DISPLAY is not set); "
               "see --batch in --help\n";
        return 1;
    }
    return RunWindowProgram(argc, argv, options);
}
