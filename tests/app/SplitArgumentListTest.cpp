#include "app/SplitArgumentList.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    const char* name;
    QString text;
    QStringList items;
};

TEST(SplitArgumentList, Table) {
    const SplitCase cases[] = {
        {"empty_text_gives_one_empty_item", "", {""}},
        {"one_word", "C:/pics/a.jpg", {"C:/pics/a.jpg"}},
        {"leading_space_keeps_whole_text", " a b", {" a b"}},
        {"two_unquoted_paths", "/p/a.jpg /p/b.jpg", {"/p/a.jpg", "/p/b.jpg"}},
        {"two_spaces_give_empty_item", "a  b", {"a", "", "b"}},
        {"trailing_space_adds_nothing", "a b ", {"a", "b"}},
        {"two_trailing_spaces_one_empty_item", "a b  ", {"a", "b", ""}},
        {"two_quoted_paths",
         "\"/my pics/a.jpg\" \"/my pics/b.jpg\"",
         {"/my pics/a.jpg", "/my pics/b.jpg"}},
        {"unquoted_then_quoted", "/p/a.jpg \"/my pics/b c.jpg\"", {"/p/a.jpg", "/my pics/b c.jpg"}},
        {"quoted_then_unquoted_words",
         "\"/my pics/a.jpg\" /p/b.jpg /p/c.jpg",
         {"/my pics/a.jpg", "/p/b.jpg", "/p/c.jpg"}},
        {"quoted_words_quoted", "\"a b\" c \"d e\"", {"a b", "c", "d e"}},
        {"unclosed_quote_gives_nothing", "\"/p/never closed", {}},
        {"unclosed_after_item_dropped", "\"a\" \"b", {"a"}},
        {"switch_only", "/Automation", {"/Automation"}},
        {"japanese_names",
         "\"/写真/春 の 旅.jpg\" /写真/b.jpg",
         {"/写真/春 の 旅.jpg", "/写真/b.jpg"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(SplitArgumentList(c.text), c.items) << c.name;
    }
}

}  // namespace
