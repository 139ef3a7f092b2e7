#include "app/CommandLine.h"

#include <QHash>
#include <algorithm>
#include <functional>

#include "card/DcfNumbering.h"
#include "skin/Prompter.h"

namespace {

// A value from a fixed list of names, or an error.
template <typename T>
bool Choose(const QString& option, const QString& value, const QList<QPair<QString, T>>& names,
            std::optional<T>* chosen, QString* error) {
    QStringList known;
    for (const auto& [name, meaning] : names) {
        if (name == value) {
            *chosen = meaning;
            return true;
        }
        known << name;
    }
    *error = QStringLiteral("%1 takes %2").arg(option, known.join(QLatin1Char('|')));
    return false;
}

// An option of the batch run's output; false when name is none of them.
bool ParseBatchOption(const QString& name, const std::function<QString()>& value,
                      BatchOptions& batch, QString& error) {
    if (name == QLatin1String("--no-exif")) {
        batch.noExif = true;
    } else if (name == QLatin1String("--no-thumbnails")) {
        batch.noThumbnails = true;
    } else if (name == QLatin1String("--clean-card")) {
        batch.cleanCard = true;
    } else if (name == QLatin1String("--eject")) {
        batch.eject = true;
    } else if (name == QLatin1String("--card")) {
        batch.cardRoot = value();
    } else if (name == QLatin1String("--dest")) {
        batch.destination = value();
    } else if (name == QLatin1String("--folder")) {
        const QString v = value();
        bool ok = false;
        batch.folderNumber = v.toInt(&ok);
        if (error.isEmpty() && (!ok || batch.folderNumber < dcf::kFirstFolderNumber ||
                                batch.folderNumber > dcf::kLastFolderNumber)) {
            error = QStringLiteral("--folder takes a number from 100 to 999");
        }
    } else if (name == QLatin1String("--per-folder")) {
        bool ok = false;
        const int files = value().toInt(&ok);
        batch.filesPerFolder = files;
        if (error.isEmpty() &&
            (!ok || files < dcf::kFirstFileNumber || files > dcf::kLastFileNumber)) {
            error = QStringLiteral("--per-folder takes a number from 1 to 9999");
        }
    } else if (name == QLatin1String("--size")) {
        Choose<int>(name, value(), {{"xga", 0}, {"svga", 1}, {"sxga", 2}, {"wxga", 3}, {"fhd", 4}},
                    &batch.sizeIndex, &error);
    } else if (name == QLatin1String("--quality")) {
        Choose<int>(name, value(), {{"1", 1}, {"2", 2}, {"3", 3}, {"4", 4}, {"5", 5}},
                    &batch.qualityPosition, &error);
    } else if (name == QLatin1String("--format")) {
        Choose<int>(name, value(), {{"auto", 0}, {"jpeg", 1}, {"png", 2}}, &batch.formatIndex,
                    &error);
    } else if (name == QLatin1String("--fill")) {
        batch.fill = ParseFrameFill(value());
        if (!batch.fill && error.isEmpty()) {
            error = QStringLiteral("--fill takes black|blur|#RRGGBB");
        }
    } else if (name == QLatin1String("--on-conflict")) {
        const QString v = value();
        if (v == QLatin1String("ask") && error.isEmpty()) {
            batch.askOnConflict = true;
        } else {
            Choose<int>(name, v,
                        {{"ask", -1},
                         {"overwrite", overwrite::Overwrite},
                         {"overwrite-all", overwrite::OverwriteAll},
                         {"next", overwrite::SaveNext},
                         {"skip", overwrite::No},
                         {"cancel", overwrite::Cancel}},
                        &batch.conflictAnswer, &error);
        }
    } else {
        return false;
    }
    return true;
}

// What the batch options say together; an empty text when they agree.
QString CheckBatchOptions(const ProgramOptions& options, bool batchOptionSeen) {
    const BatchOptions& batch = options.batch;
    if (batchOptionSeen && !batch.enabled) {
        return QStringLiteral("--card, --dest and the other output options need --batch");
    }
    if (!batch.enabled) return QString();
    if (batch.cardRoot.isEmpty() == batch.destination.isEmpty()) {
        return QStringLiteral("--batch needs either --card ROOT or --dest DIR");
    }
    if ((batch.folderNumber != 0 || batch.filesPerFolder) && batch.cardRoot.isEmpty()) {
        return QStringLiteral("--folder and --per-folder go with --card");
    }
    if ((batch.cleanCard || batch.eject) && batch.cardRoot.isEmpty()) {
        return QStringLiteral("--clean-card and --eject go with --card");
    }
    if (options.paths.isEmpty()) return QStringLiteral("--batch needs at least one PATH");
    return QString();
}

}  // namespace

ProgramOptions ParseProgramArguments(const QStringList& arguments) {
    ProgramOptions options;
    BatchOptions& batch = options.batch;
    bool onlyPaths = false;
    bool batchOptionSeen = false;
    QString& error = options.error;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (onlyPaths || !argument.startsWith(QLatin1String("--"))) {
            options.paths.append(argument);
            continue;
        }
        if (argument == QLatin1String("--")) {
            onlyPaths = true;
            continue;
        }
        // "--name value" or "--name=value".
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        const std::function<QString()> value = [&]() -> QString {
            if (equals >= 0) return argument.mid(equals + 1);
            if (i + 1 < arguments.size()) return arguments[++i];
            error = QStringLiteral("%1 needs a value").arg(name);
            return QString();
        };
        if (name == QLatin1String("--help")) {
            options.help = true;
        } else if (name == QLatin1String("--version")) {
            options.version = true;
        } else if (name == QLatin1String("--no-splash")) {
            options.noSplash = true;
        } else if (name == QLatin1String("--verbose")) {
            options.verbose = true;
        } else if (name == QLatin1String("--batch")) {
            batch.enabled = true;
        } else if (name == QLatin1String("--lang")) {
            const QString v = value();
            Messages::Language language;
            if (!error.isEmpty()) return options;
            if (!Messages::ParseLanguage(v, &language)) {
                error = QStringLiteral("--lang takes en or ja");
                return options;
            }
            options.language = language;
        } else if (ParseBatchOption(name, value, batch, error)) {
            batchOptionSeen = true;
        } else {
            error = QStringLiteral("unknown option %1").arg(argument);
        }
        if (!error.isEmpty()) return options;
    }
    if (options.help || options.version) return options;
    error = CheckBatchOptions(options, batchOptionSeen);
    return options;
}

bool IsAutomationSwitch(const QString& argument) {
    if (argument.size() < 2 || (argument[0] != u'-' && argument[0] != u'/')) return false;
    const QString name = argument.mid(1);
    return name.compare(QLatin1String("Embedding"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("Automation"), Qt::CaseInsensitive) == 0;
}

bool SplashSuppressed(const ProgramOptions& options) {
    return options.noSplash ||
           std::any_of(options.paths.begin(), options.paths.end(), IsAutomationSwitch);
}

QString UsageText() {
    return QStringLiteral(
        "Usage: vimbrelcastor [--lang en|ja] [--no-splash] [--verbose] [PATH]...\n"
        "       vimbrelcastor --batch (--card ROOT [--folder NNN] [--per-folder N]\n"
        "                              | --dest DIR)\n"
        "                     [--size svga|xga|sxga|wxga|fhd] [--quality 1-5]\n"
        "                     [--format jpeg|png|auto] [--fill black|blur|#RRGGBB]\n"
        "                     [--on-conflict ask|overwrite|overwrite-all|next|skip|cancel]\n"
        "                     [--clean-card] [--eject] [--lang en|ja] PATH...\n"
        "\n"
        "Prepares still images for a projector: imports photos and presentation slides,\n"
        "lets you order them, and writes them as 800 x 600 (or 1024 x 768, 1280 x 1024,\n"
        "1280 x 800, 1920 x 1080) JPEG files onto a memory card in the camera folder\n"
        "layout.\n"
        "\n"
        "Without --batch the window opens and the PATHs (image files, folders and\n"
        "presentations) are imported into it.\n"
        "\n"
        "With --batch no window opens: the PATHs are imported in order (images by their\n"
        "extension .jpg .jpeg .jpe .png .bmp .tif .tiff .heic .heif .avif .webp,\n"
        "presentations as 800 x 600 slides: .ppt .pptx .odp through LibreOffice, .pdf a\n"
        "slide per page; folders by their files, sorted by name, without their\n"
        "sub-folders) and written in that order:\n"
        "  --card ROOT      into ROOT/DCIM/NNNRODIV as DUVU0001.JPG onward, with the Exif\n"
        "                   block and thumbnail; NNN is the first free folder number\n"
        "  --folder NNN     the folder number to use instead (100 to 999)\n"
        "  --per-folder N   at most N files (numbers) in a folder, 1 to 9999 (default\n"
        "                   9999); then the next free folder, numbered from DUVU0001\n"
        "  --dest DIR       into the folder DIR instead of a card\n"
        "  --size S         svga 800 x 600 (default), xga 1024 x 768, sxga 1280 x 1024,\n"
        "                   wxga 1280 x 800, fhd 1920 x 1080\n"
        "  --quality Q      1 (low) to 5 (high, default)\n"
        "  --format F       jpeg (default), png, or auto (PNG where it is smaller)\n"
        "  --fill F         around a photo of another shape: black bars (default), bars\n"
        "                   of one colour (#RRGGBB, as #2040FF), or blur: the photo\n"
        "                   itself, enlarged, blurred and dimmed; slides keep black bars\n"
        "  --on-conflict A  when a file of the same number exists: ask (on a terminal),\n"
        "                   overwrite, overwrite-all, next (after the highest number),\n"
        "                   skip, or cancel (end the run). Default: ask on a terminal,\n"
        "                   else cancel.\n"
        "  --no-exif        with --dest: no Exif block (a card always gets it)\n"
        "  --no-thumbnails  with --dest: no embedded thumbnail (a card and slides always\n"
        "                   get one)\n"
        "  --clean-card     remove what other computers left on the card (._ files, trash\n"
        "                   and index folders) and a projector's playlist in the folder;\n"
        "                   without it the card check only warns\n"
        "  --eject          at the end, unmount the card (and power off its USB reader)\n"
        "                   so that it can be pulled; exit status 0 only when it was\n"
        "                   unmounted\n"
        "  Messages go to standard error, each written path to standard output.\n"
        "  Exit status: 0 when every image was written (or skipped as asked), 1 when any\n"
        "  was refused or failed, 2 for a usage error.\n"
        "\n"
        "Options:\n"
        "  --lang en|ja   language of the texts (default: from the system locale)\n"
        "  --no-splash    no start-up picture\n"
        "  --verbose      also print the image libraries' own warnings (damaged files are\n"
        "                 reported either way)\n"
        "  --version      print the version and exit\n"
        "  --help         print this help and exit\n"
        "  --             every later argument is a path, even when it starts with --\n");
}
