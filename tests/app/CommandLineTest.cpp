#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "imaging/ImagingConstants.h"

namespace {

// The options as one line: the switches set, the language, the batch choices (the size as the
// row of the size table it picks), the paths, and the usage error.
std::string Parsed(const QStringList& arguments) {
    const ProgramOptions o = ParseProgramArguments(arguments);
    const BatchOptions& b = o.batch;
    QStringList parts;
    if (o.help) parts << "help";
    if (o.version) parts << "version";
    if (o.verbose) parts << "verbose";
    if (SplashSuppressed(o)) parts << "no-splash";
    if (o.language) parts << (*o.language == Messages::Language::Japanese ? "ja" : "en");
    if (b.enabled) parts << "batch";
    if (!b.cardRoot.isEmpty()) parts << "card:" + b.cardRoot;
    if (!b.destination.isEmpty()) parts << "dest:" + b.destination;
    if (b.folderNumber != 0) parts << QString("folder:%1").arg(b.folderNumber);
    if (b.sizeIndex) {
        const auto& size = imaging::kSizeTable.at(*b.sizeIndex);
        parts << QString("size:%1x%2").arg(size.width).arg(size.height);
    }
    if (b.qualityPosition) parts << QString("quality:%1").arg(*b.qualityPosition);
    if (b.formatIndex) parts << QString("format:%1").arg(*b.formatIndex);
    if (b.fill) parts << "fill:" + FrameFillName(*b.fill);
    if (b.conflictAnswer) parts << QString("answer:%1").arg(*b.conflictAnswer);
    if (b.askOnConflict) parts << "ask";
    if (b.cleanCard) parts << "clean";
    if (b.eject) parts << "eject";
    if (!o.paths.isEmpty()) parts << "paths:" + o.paths.join('|');
    if (!o.error.isEmpty()) parts << "error:" + o.error;
    return parts.join(' ').toStdString();
}

TEST(CommandLine, Table) {
    const QStringList dest{"vc", "--batch", "--dest", "/d"};
    const char* const fillError = "batch dest:/d error:--fill takes black|blur|#RRGGBB";
    const std::pair<QStringList, const char*> cases[] = {
        {{"vc"}, ""},
        {{"vc", "--verbose", "a.jpg"}, "verbose paths:a.jpg"},
        {{"vc", "--help"}, "help"},
        {{"vc", "--version"}, "version"},
        {{"vc", "--lang", "ja"}, "ja"},
        {{"vc", "--lang", "fr"}, "error:--lang takes en or ja"},
        {{"vc", "--lang"}, "error:--lang needs a value"},
        {{"vc", "--frobnicate"}, "error:unknown option --frobnicate"},
        {{"vc", "/my pics", "写真 1.jpg"}, "paths:/my pics|写真 1.jpg"},
        {{"vc", "--", "--help"}, "paths:--help"},  // a double dash ends the options
        // The automation switches stay among the paths (they match no file).
        {{"vc", "/Automation"}, "no-splash paths:/Automation"},
        {{"vc", "-embedding"}, "no-splash paths:-embedding"},
        {{"vc", "--no-splash"}, "no-splash"},
        {{"vc", "/p/Automation", "Automation"}, "paths:/p/Automation|Automation"},
        {{"vc", "--batch", "--card", "/media/card", "--folder=120", "--size", "sxga", "--quality",
          "3", "--format", "auto", "--on-conflict", "overwrite-all", "--clean-card", "--eject",
          "/p/a.jpg", "/p/folder"},
         "batch card:/media/card folder:120 size:1280x1024 quality:3 format:0 answer:3 clean "
         "eject paths:/p/a.jpg|/p/folder"},
        // Only a card can be cleaned or ejected.
        {dest + QStringList{"--eject", "x"},
         "batch dest:/d eject paths:x error:--clean-card and --eject go with --card"},
        {dest + QStringList{"--on-conflict", "skip", "x"}, "batch dest:/d answer:1 paths:x"},
        {dest + QStringList{"--on-conflict", "next", "x"}, "batch dest:/d answer:4 paths:x"},
        {dest + QStringList{"--on-conflict", "cancel", "x"}, "batch dest:/d answer:0 paths:x"},
        {dest + QStringList{"--on-conflict", "ask", "x"}, "batch dest:/d ask paths:x"},
        {dest + QStringList{"x"}, "batch dest:/d paths:x"},
        // Each size name picks its row of the size table; the wide ones come after the three.
        {dest + QStringList{"--size", "xga", "x"}, "batch dest:/d size:1024x768 paths:x"},
        {dest + QStringList{"--size", "fhd", "x"}, "batch dest:/d size:1920x1080 paths:x"},
        {dest + QStringList{"--size", "4k", "x"},
         "batch dest:/d error:--size takes xga|svga|sxga|wxga|fhd"},
        {dest + QStringList{"--fill", "black", "x"}, "batch dest:/d fill:black paths:x"},
        {dest + QStringList{"--fill", "blur", "x"}, "batch dest:/d fill:blur paths:x"},
        {dest + QStringList{"--fill", "#2040FF", "x"}, "batch dest:/d fill:#2040ff paths:x"},
        {dest + QStringList{"--fill", "#2040F", "x"}, fillError},
        {dest + QStringList{"--fill", "2040FF", "x"}, fillError},
        {dest + QStringList{"--fill", "#2040FG", "x"}, fillError},
        {dest + QStringList{"--fill", "Blur", "x"}, fillError},
    };
    for (const auto& [arguments, parsed] : cases) {
        EXPECT_EQ(Parsed(arguments), parsed) << arguments.join(' ').toStdString();
    }
}

}  // namespace
