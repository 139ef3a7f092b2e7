#include "skin/MessageTexts.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>

#include "skin/MessageIds.h"

namespace {

using Messages::Language;

TEST(MessageTexts, EveryIdHasBothLanguagesAndTheTableHoldsNoOthers) {
    QSet<int> named;
    for (int id : msg::kAllIds) {
        named.insert(id);
        EXPECT_FALSE(Messages::Load(id, Language::English).isEmpty()) << id;
        EXPECT_FALSE(Messages::Load(id, Language::Japanese).isEmpty()) << id;
    }
    QFile file(":/strings/messages.json");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject table =
        QJsonDocument::fromJson(file.readAll()).object().value("messages").toObject();
    QSet<int> stored;
    for (const QString& key : table.keys()) stored.insert(key.toInt());
    EXPECT_EQ(stored, named);
    EXPECT_EQ(named.size(), 40);
}

TEST(MessageTexts, ExactTextsInBothLanguages) {
    struct Case {
        int id;
        Language language;
        QString text;
    } const cases[] = {
        {105, Language::English, "Are you sure to exit without saving?"},
        {105, Language::Japanese,
         "変換＆保存しないで終了します。　\nよろしいですか？"},  // full-width blank, line break
        {118, Language::English,
         "Unable to make folder \"%1\".\nMake sure to enable to write in SD memory card."},
        {118, Language::Japanese,
         "指定したディレクトリ　\"%1\" を作成することができません。\n"
         "SDメモリーカードが書き込み許可になっているか確認してください。"},
        {140, Language::English,
         "The same numbered image \"%1\" already exists. \n"
         "Are you sure to replace the existing image?"},  // blank before the break
        {140, Language::Japanese,
         "保存先に同じ番号のファイル \"%1\" があります。\n上書きを行いますか？"},
        {149, Language::English, "Vimbrelcastor is working. Finish Vimbrelcastor."},
        {149, Language::Japanese,
         "既にVimbrelcastorが起動しています。\nVimbrelcastorを終了してください。"},
        {101, Language::Japanese, "Vimbrelcastor のﾊﾞｰｼﾞｮﾝ情報(&A)..."},  // half-width kana
        {103, Language::Japanese, "Vimbrelcastor ver 1.5"},
        {113, Language::English, "Kestrovia\\QVN"},
        {119, Language::English,
         "Designated drive is not ready.\nInsert SD memory card into \"%1\" drive ."},
        {145, Language::Japanese, "スライド：　"},
        {106, Language::English, "Microsoft(R) PowerPoint(R) Presentation (*.ppt) | *.ppt ||"},
        {150, Language::Japanese, "<保存先ドライブを指定してください>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Messages::Load(c.id, c.language), c.text)
            << c.id << (c.language == Language::Japanese ? " ja" : " en");
    }
}

TEST(MessageTexts, FormatReplacesEveryPlaceholder) {
    const QString path = "/media/SD CARD/DCIM/100RODIV/写真 %1 0003";
    EXPECT_EQ(Messages::Format(msg::SameNumberExists, path, Language::English),
              "The same numbered image \"" + path +
                  "\" already exists. \nAre you sure to replace the existing image?");
    EXPECT_EQ(
        Messages::Format(msg::WrongImageFile, "/home/u/my pics/a b.jpg", Language::Japanese),
        "指定されたファイル　\"/home/u/my pics/a b.jpg\" は正常なイメージファイルではありません。");
    // A text without a placeholder comes back unchanged.
    EXPECT_EQ(Messages::Format(msg::AlreadyRunning, "/x", Language::English),
              Messages::Load(msg::AlreadyRunning, Language::English));
    for (int id : msg::kAllIds) {
        EXPECT_FALSE(Messages::Format(id, "ARG", Language::English).contains("%1")) << id;
        EXPECT_FALSE(Messages::Format(id, "ARG", Language::Japanese).contains("%1")) << id;
    }
}

TEST(MessageTexts, LanguageFromLocaleAndOption) {
    EXPECT_EQ(Messages::LanguageForLocale(QLocale("ja_JP")), Language::Japanese);
    EXPECT_EQ(Messages::LanguageForLocale(QLocale("en_US")), Language::English);
    EXPECT_EQ(Messages::LanguageForLocale(QLocale("de_DE")), Language::English);
    EXPECT_EQ(Messages::LanguageForLocale(QLocale::c()), Language::English);

    Language language = Language::English;
    EXPECT_TRUE(Messages::ParseLanguage(u"ja", &language));
    EXPECT_EQ(language, Language::Japanese);
    EXPECT_TRUE(Messages::ParseLanguage(u"en", &language));
    EXPECT_EQ(language, Language::English);
    EXPECT_FALSE(Messages::ParseLanguage(u"fr", &language));
    EXPECT_FALSE(Messages::ParseLanguage(u"", &language));

    Messages::SetLanguage(Language::Japanese);
    EXPECT_EQ(Messages::Load(msg::LoadAll), "全て取り込み");
    Messages::SetLanguage(Language::English);
    EXPECT_EQ(Messages::Load(msg::LoadAll), "Load All");
}

TEST(MessageTexts, UnknownIdGivesAnEmptyText) {
    EXPECT_TRUE(Messages::Load(107).isEmpty());
    EXPECT_TRUE(Messages::Format(9999, "x").isEmpty());
}

}  // namespace
