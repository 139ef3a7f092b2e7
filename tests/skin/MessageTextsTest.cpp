#include "skin/MessageTexts.h"

#include <gtest/gtest.h>
#include <QLocale>

#include "skin/MessageIds.h"

namespace {

using Language = Messages::Language;

// The table is read from resources/strings/messages.json, which is the one copy of the texts.
// A sample pins the reading, character for character, where it is easy to get wrong: blanks
// before a line break, full-width blanks, half-width kana, line breaks, placeholders. The
// program names each text by its number, so the sample's names and numbers must agree too.
TEST(MessageTexts, ASampleInBothLanguages) {
    struct Row {
        msg::MessageId name;
        int id;
        const char* english;
        const char* japanese;
    } const rows[] = {
        {msg::AboutMenuEntry, 101, "About Vimbrelcastor (&A)...",
         "Vimbrelcastor のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
        {msg::ExitWithoutSaving, 105, "Are you sure to exit without saving?",
         "変換＆保存しないで終了します。　\n"
         "よろしいですか？"},
        {msg::WrongImageFile, 121, "Designated file \"%1\" is wrong image file.",
         "指定されたファイル　\"%1\" は正常なイメージファイルではありません。"},
        {msg::SameNumberExists, 140,
         "The same numbered image \"%1\" already exists. \n"
         "Are you sure to replace the existing image?",
         "保存先に同じ番号のファイル \"%1\" があります。\n"
         "上書きを行いますか？"},
        {msg::SlidesLabel, 145, "Slides:", "スライド：　"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(int(row.name), row.id);
        EXPECT_EQ(Messages::Load(row.id, Language::English).toStdString(), row.english)
            << row.id << " en";
        EXPECT_EQ(Messages::Load(row.id, Language::Japanese).toStdString(), row.japanese)
            << row.id << " ja";
    }
}

// A "%1" inside the argument stays as it is.
TEST(MessageTexts, FormatReplacesEveryPlaceholder) {
    const QString path = "/media/SD CARD/DCIM/100RODIV/写真 %1 0003";
    EXPECT_EQ(Messages::Format(msg::WrongImageFile, path, Language::Japanese),
              "指定されたファイル　\"" + path + "\" は正常なイメージファイルではありません。");
    // Every id the program names has a text in both languages, without a placeholder left.
    for (int id : msg::kAllIds) {
        for (Language language : {Language::English, Language::Japanese}) {
            EXPECT_FALSE(Messages::Load(id, language).isEmpty()) << id;
            EXPECT_FALSE(Messages::Format(id, "ARG", language).contains("%1")) << id;
        }
    }
}

// The option's values (--lang) are CommandLineTest's rows.
TEST(MessageTexts, LanguageFromLocaleAndOption) {
    EXPECT_EQ(Messages::LanguageForLocale(QLocale("ja_JP")), Language::Japanese);
    EXPECT_EQ(Messages::LanguageForLocale(QLocale("en_US")), Language::English);

    Messages::SetLanguage(Language::Japanese);
    EXPECT_EQ(Messages::Load(msg::LoadAll), "全て取り込み");
    Messages::SetLanguage(Language::English);
    EXPECT_EQ(Messages::Load(msg::LoadAll), "Load All");
}

}  // namespace
