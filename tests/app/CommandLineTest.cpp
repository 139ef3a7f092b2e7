#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, Table) {
    struct Case {
        const char* name;
        QStringList arguments;
        bool help, version;
        std::optional<Messages::Language> language;
        QStringList paths;
        bool error;
    } const cases[] = {
        {"nothing", {"vc"}, false, false, {}, {}, false},
        {"help", {"vc", "--help"}, true, false, {}, {}, false},
        {"version", {"vc", "--version"}, false, true, {}, {}, false},
        {"lang_ja", {"vc", "--lang", "ja"}, false, false, Messages::Language::Japanese, {}, false},
        {"lang_equals_en",
         {"vc", "--lang=en"},
         false,
         false,
         Messages::Language::English,
         {},
         false},
        {"lang_bad", {"vc", "--lang", "fr"}, false, false, {}, {}, true},
        {"lang_missing_value", {"vc", "--lang"}, false, false, {}, {}, true},
        {"unknown_option", {"vc", "--frobnicate"}, false, false, {}, {}, true},
        {"paths_with_blanks",
         {"vc", "/my pics", "写真 1.jpg"},
         false,
         false,
         {},
         {"/my pics", "写真 1.jpg"},
         false},
        {"double_dash_ends_options", {"vc", "--", "--help"}, false, false, {}, {"--help"}, false},
    };
    for (const Case& c : cases) {
        const ProgramOptions options = ParseProgramArguments(c.arguments);
        EXPECT_EQ(options.help, c.help) << c.name;
        EXPECT_EQ(options.version, c.version) << c.name;
        EXPECT_EQ(options.language, c.language) << c.name;
        EXPECT_EQ(options.paths, c.paths) << c.name;
        EXPECT_EQ(!options.error.isEmpty(), c.error) << c.name;
    }
}

}  // namespace
