#include "app/CommandLine.h"

ProgramOptions ParseProgramArguments(const QStringList& arguments) {
    ProgramOptions options;
    bool onlyPaths = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (onlyPaths || !argument.startsWith(QLatin1String("--"))) {
            options.paths.append(argument);
        } else if (argument == QLatin1String("--")) {
            onlyPaths = true;
        } else if (argument == QLatin1String("--help")) {
            options.help = true;
        } else if (argument == QLatin1String("--version")) {
            options.version = true;
        } else if (argument == QLatin1String("--lang") ||
                   argument.startsWith(QLatin1String("--lang="))) {
            QString value;
            if (argument.size() > 6) {
                value = argument.mid(7);
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            }
            Messages::Language language;
            if (!Messages::ParseLanguage(value, &language)) {
                options.error = QStringLiteral("--lang takes en or ja");
                return options;
            }
            options.language = language;
        } else {
            options.error = QStringLiteral("unknown option %1").arg(argument);
            return options;
        }
    }
    return options;
}

QString UsageText() {
    return QStringLiteral(
        "Usage: vimbrelcastor [OPTION]... [PATH]...\n"
        "Prepares still images for a projector: imports photos and presentation slides,\n"
        "lets you order them, and writes them as 800 x 600 (or 1024 x 768, 1280 x 1024)\n"
        "JPEG files onto a memory card in the camera folder layout.\n"
        "\n"
        "PATHs (image files and folders) are imported when the window opens.\n"
        "\n"
        "Options:\n"
        "  --lang en|ja   language of the texts (default: from the system locale)\n"
        "  --version      print the version and exit\n"
        "  --help         print this help and exit\n"
        "  --             every later argument is a path, even when it starts with --\n");
}
