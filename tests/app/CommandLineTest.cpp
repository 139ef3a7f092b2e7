#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include "imaging/ImagingConstants.h"

namespace {

// The options as one line: the switches set, the language, the paths and whether it failed.
std::string Parsed(const QStringList& arguments) {
    const ProgramOptions o = ParseProgramArguments(arguments);
    QStringList parts;
    if (o.help) parts << "help";
    if (o.version) parts << "version";
    if (o.verbose) parts << "verbose";
    if (o.language) parts << (*o.language == Messages::Language::Japanese ? "ja" : "en");
    if (!o.paths.isEmpty()) parts << "paths:" + o.paths.join('|');
    if (!o.error.isEmpty()) parts << "error";
    return parts.join(' ').toStdString();
}

TEST(CommandLine, Table) {
    const std::pair<QStringList, const char*> cases[] = {
        {{"vc"}, ""},
        {{"vc", "--verbose", "a.jpg"}, "verbose paths:a.jpg"},
        {{"vc", "--help"}, "help"},
        {{"vc", "--version"}, "version"},
        {{"vc", "--lang", "ja"}, "ja"},
        {{"vc", "--lang=en"}, "en"},
        {{"vc", "--lang", "fr"}, "error"},
        {{"vc", "--lang"}, "error"},
        {{"vc", "--frobnicate"}, "error"},
        {{"vc", "/my pics", "写真 1.jpg"}, "paths:/my pics|写真 1.jpg"},
        {{"vc", "--", "--help"}, "paths:--help"},  // a double dash ends the options
    };
    for (const auto& [arguments, parsed] : cases) {
        EXPECT_EQ(Parsed(arguments), parsed) << arguments.join(' ').toStdString();
    }
}

TEST(CommandLine, BatchOptions) {
    const ProgramOptions options = ParseProgramArguments(
        {"vc", "--batch", "--card", "/media/card", "--folder=120", "--size", "sxga", "--quality",
         "3", "--format", "auto", "--on-conflict", "overwrite-all", "--clean-card", "--eject",
         "/p/a.jpg", "/p/folder"});
    ASSERT_TRUE(options.error.isEmpty()) << options.error.toStdString();
    EXPECT_TRUE(options.batch.enabled);
    EXPECT_EQ(options.batch.cardRoot, "/media/card");
    EXPECT_EQ(options.batch.folderNumber, 120);
    EXPECT_EQ(options.batch.sizeIndex, 2);
    EXPECT_EQ(options.batch.qualityPosition, 3);
    EXPECT_EQ(options.batch.formatIndex, 0);
    EXPECT_EQ(options.batch.conflictAnswer, 3);
    EXPECT_TRUE(options.batch.cleanCard && options.batch.eject);
    EXPECT_EQ(options.paths, (QStringList{"/p/a.jpg", "/p/folder"}));
    // Only a card can be cleaned or ejected.
    EXPECT_EQ(ParseProgramArguments({"vc", "--batch", "--dest", "/d", "--eject", "x"}).error,
              "--clean-card and --eject go with --card");

    const struct {
        QStringList arguments;
        std::optional<int> answer;
        bool ask;
    } policies[] = {
        {{"vc", "--batch", "--dest", "/d", "--on-conflict", "skip", "x"}, 1, false},
        {{"vc", "--batch", "--dest", "/d", "--on-conflict", "next", "x"}, 4, false},
        {{"vc", "--batch", "--dest", "/d", "--on-conflict", "cancel", "x"}, 0, false},
        {{"vc", "--batch", "--dest", "/d", "--on-conflict", "ask", "x"}, std::nullopt, true},
        {{"vc", "--batch", "--dest", "/d", "x"}, std::nullopt, false},
    };
    for (const auto& p : policies) {
        const ProgramOptions parsed = ParseProgramArguments(p.arguments);
        EXPECT_TRUE(parsed.error.isEmpty());
        EXPECT_EQ(parsed.batch.conflictAnswer, p.answer);
        EXPECT_EQ(parsed.batch.askOnConflict, p.ask);
    }

    // Each size name picks its row of the size table; the wide ones come after the three.
    const struct {
        const char* name;
        int width;
        int height;
    } sizes[] = {{"xga", 1024, 768},
                 {"svga", 800, 600},
                 {"sxga", 1280, 1024},
                 {"wxga", 1280, 800},
                 {"fhd", 1920, 1080}};
    for (const auto& s : sizes) {
        const ProgramOptions parsed =
            ParseProgramArguments({"vc", "--batch", "--dest", "/d", "--size", s.name, "x"});
        ASSERT_TRUE(parsed.batch.sizeIndex.has_value()) << s.name;
        EXPECT_EQ(imaging::kSizeTable.at(*parsed.batch.sizeIndex).width, s.width) << s.name;
        EXPECT_EQ(imaging::kSizeTable.at(*parsed.batch.sizeIndex).height, s.height) << s.name;
    }
    EXPECT_FALSE(ParseProgramArguments({"vc", "--batch", "--dest", "/d", "--size", "4k", "x"})
                     .error.isEmpty());
}

TEST(CommandLine, FillValues) {
    const struct {
        const char* value;
        std::optional<FrameFill> fill;  // nothing: a usage error
    } cases[] = {
        {"black", FrameFill{}},
        {"blur", FrameFill{FrameFill::Kind::Blur}},
        {"#2040FF", FrameFill{FrameFill::Kind::Colour, 0x2040FF}},
        {"#a0b1c2", FrameFill{FrameFill::Kind::Colour, 0xA0B1C2}},
        {"#2040F", std::nullopt},
        {"2040FF", std::nullopt},
        {"#2040FG", std::nullopt},
        {"Blur", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const ProgramOptions parsed =
            ParseProgramArguments({"vc", "--batch", "--dest", "/d", "--fill", c.value, "x"});
        EXPECT_EQ(parsed.batch.fill, c.fill) << c.value;
        EXPECT_EQ(parsed.error.isEmpty(), c.fill.has_value()) << c.value;
        if (c.fill) {
            EXPECT_EQ(ParseFrameFill(FrameFillName(*c.fill)), c.fill) << c.value;
        }
    }
}

TEST(CommandLine, SplashSwitches) {
    const struct {
        QStringList arguments;
        bool suppressed;
    } cases[] = {
        {{"vc"}, false},
        {{"vc", "/Automation"}, true},
        {{"vc", "-embedding"}, true},
        {{"vc", "/AUTOMATION", "/p/a.jpg"}, true},
        {{"vc", "--no-splash"}, true},
        {{"vc", "/p/Automation"}, false},
        {{"vc", "Automation"}, false},
    };
    for (const auto& c : cases) {
        const ProgramOptions options = ParseProgramArguments(c.arguments);
        EXPECT_EQ(SplashSuppressed(options), c.suppressed) << c.arguments.join(' ').toStdString();
    }
    // The switch is still queued as a path (it matches no file).
    EXPECT_EQ(ParseProgramArguments({"vc", "/Automation"}).paths, QStringList{"/Automation"});
}

}  // namespace
