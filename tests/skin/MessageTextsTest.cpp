#include "skin/MessageTexts.h"

#include <gtest/gtest.h>
#include <QLocale>
#include <QSet>

#include "skin/MessageIds.h"

namespace {

using Messages::Language;

// Every text the program shows, in both languages, character for character: blanks before a
// line break, full-width blanks and half-width kana are part of the texts. The program names
// each text by its number, so the row's name and number must agree too.
TEST(MessageTexts, EveryTextInBothLanguages) {
    struct Row {
        msg::MessageId name;
        int id;
        const char* english;
        const char* japanese;
    } const rows[] = {
        {msg::AboutMenuEntry, 101, "About Vimbrelcastor (&A)...",
         "Vimbrelcastor のﾊﾞｰｼﾞｮﾝ情報(&A)..."},
        {msg::AboutTitle, 102, "About Vimbrelcastor", "バージョン情報"},
        {msg::WindowTitle, 103, "Vimbrelcastor ver 1.5", "Vimbrelcastor ver 1.5"},
        {msg::CompanionNotFound, 104, "Could not find Ondavire.", "Ondavireが見つかりません。"},
        {msg::ExitWithoutSaving, 105, "Are you sure to exit without saving?",
         "変換＆保存しないで終了します。　\n"
         "よろしいですか？"},
        {msg::PresentationFilter, 106, "Microsoft(R) PowerPoint(R) Presentation (*.ppt) | *.ppt ||",
         "Microsoft(R) PowerPoint(R)プレゼンテーション (*.ppt) | *.ppt ||"},
        {msg::ImageFilter, 109, "JPEG image (*.jpg) | *.jpg ||", "JPEGイメージ (*.jpg) | *.jpg ||"},
        {msg::SelectDestinationFolder, 111, "Select destination folder", "保存先の指定"},
        {msg::ProfileKey, 113, "Kestrovia\\QVN", "Kestrovia\\QVN"},
        {msg::UnsupportedFormat, 114,
         "Unable to load selected image \"%1\" because of unsupported image format.",
         "指定されたファイル　\"%1\" は取り込むことができないフォーマットです。"},
        {msg::PresentationAppMissing, 115,
         "Microsoft(R) PowerPoint(R) is not installed!\n"
         "Please install PowerPoint.",
         "Microsoft(R) PowerPoint(R)がインストールされていません。\n"
         "PowerPointをインストールしてください。"},
        {msg::NoImages, 116, "No images available. Load images.",
         "変換する画像がありません。\n"
         "画像取り込みを行ってください。"},
        {msg::CannotMakeCardFolder, 118,
         "Unable to make folder \"%1\".\n"
         "Make sure to enable to write in SD memory card.",
         "指定したディレクトリ　\"%1\" を作成することができません。\n"
         "SDメモリーカードが書き込み許可になっているか確認してください。"},
        {msg::DriveNotReady, 119,
         "Designated drive is not ready.\n"
         "Insert SD memory card into \"%1\" drive .",
         "指定したドライブ　\"%1\" の準備ができていません。\n"
         "ドライブにSDメモリーカードを挿入してください。"},
        {msg::InstallFailed, 120, "Install was failed. Uninstall first, and reinstall.",
         "インストールが正常に行われていません。\n"
         "アンインストールが可能であればアンインストールを行った後に、"
         "再度インストールを行ってください。"},
        {msg::WrongImageFile, 121, "Designated file \"%1\" is wrong image file.",
         "指定されたファイル　\"%1\" は正常なイメージファイルではありません。"},
        {msg::ImageTooLarge, 122, "Cannot load the image, because \"%1\" has over 10,000 pixels.",
         "指定されたファイル　\"%1\" "
         "は縦または横のサイズが10000画素を超えるため取り込むことができません。"},
        {msg::TooManyImages, 123,
         "Too many images.\n"
         "Release unnecessary images to become less than 9,999.",
         "取り込み可能な画像数は9999までです。\n"
         "不要な取り込み画像を削除してください。"},
        {msg::FolderNumberExists, 124,
         "Designated folder number \"%1\" exists.\n"
         "Are you sure images may be replaced?",
         "指定したディレクトリ番号 \"%1\"は既に存在します。\n"
         "保存の際、ファイルが上書きされる可能性があります。 よろしいですか？"},
        {msg::DeleteImage, 125, "Are you sure to delete the image?",
         "選択した画像を削除します。よろしいですか？"},
        {msg::DeleteAllImages, 126, "Are you sure to delete all images?",
         "全ての画像を削除します。よろしいですか？"},
        {msg::ConvertingTitle, 127, "Now converting and saving image", "変換・保存中"},
        {msg::LoadAll, 128, "Load All", "全て取り込み"},
        {msg::SaveError, 132,
         "Error occurred during saving images.\n"
         "Check availability and write-in permission of destination.",
         "保存中にエラーが発生しました。\n"
         "保存先の空き容量・メディアの書き込み許可を確認してください。"},
        {msg::WrongPresentation, 133,
         "Designated file \"%1\" is wrong Microsoft(R) PowerPoint(R) file format.",
         "指定されたファイル　\"%1\" は正常なMicrosoft(R) PowerPoint(R)書類ではありません。"},
        {msg::SlidesDisplayFailed, 134, "Failed to display slides.",
         "スライドの表示に失敗しました。"},
        {msg::SlidesLoadFailed, 135, "Failed to load slides.",
         "スライドの取り込みに失敗しました。"},
        {msg::ConfirmDcf, 136, "Are you sure to save images into SD memory card in DCF format?",
         "SDメモリーカードに保存する場合は、強制的にDCF形式で保存します。\n"
         "よろしいですか？"},
        {msg::ConfirmThumbnail, 137,
         "Thumbnail will be made at saving image into SD memory card.\n"
         "Are you sure?",
         "SDメモリーカードに保存する場合は、強制的にサムネイルを作成します。\n"
         "よろしいですか？"},
        {msg::LoadingTitle, 138, "Loading image.", "画像取り込み中"},
        {msg::SameNumberExists, 140,
         "The same numbered image \"%1\" already exists. \n"
         "Are you sure to replace the existing image?",
         "保存先に同じ番号のファイル \"%1\" があります。\n"
         "上書きを行いますか？"},
        {msg::NotEnoughSpace, 141,
         "Not enough free space on drive \"%1\".\n"
         "Delete unnecessary images.",
         "ディスク \"%1\" の空き容量が足りないので処理を続行できません。"
         "不要なファイルを削除してください。"},
        {msg::NotEnoughMemory, 142,
         "Not enough free memory.\n"
         "Close unnecessary applications.",
         "利用可能なメモリが足りないので処理を続行できません。\n"
         "不要なアプリケーションを終了させてください。"},
        {msg::FolderNumberRange, 143, "Specify a folder number in 100 to 999.",
         "ディレクトリ番号は100から999の範囲で指定してください。"},
        {msg::FileNumber9999, 144,
         "Unable to save by the number of a continuation since the file number 9999 already "
         "exists.",
         "ファイル番号9999のファイルがあるので、続きの番号で保存できません。"},
        {msg::SlidesLabel, 145, "Slides:", "スライド：　"},
        {msg::CannotCreateFolder, 146,
         "Unable to create designated folder \"%1\".\n"
         "Make sure to be authorised to create folder.",
         "指定したディレクトリ　\"%1\" を作成することができません。\n"
         "ディレクトリを作成できる権限があるかどうかを確認してください。"},
        {msg::ConfirmStop, 147, "Are you sure to stop converting and saving image?",
         "変換＆保存を中止しますか？"},
        {msg::AlreadyRunning, 149, "Vimbrelcastor is working. Finish Vimbrelcastor.",
         "既にVimbrelcastorが起動しています。\n"
         "Vimbrelcastorを終了してください。"},
        {msg::SelectDestinationDrive, 150, "<Select a destination drive>",
         "<保存先ドライブを指定してください>"},
    };
    QSet<int> covered;
    for (const Row& row : rows) {
        EXPECT_EQ(int(row.name), row.id);
        EXPECT_EQ(Messages::Load(row.id, Language::English).toStdString(), row.english)
            << row.id << " en";
        EXPECT_EQ(Messages::Load(row.id, Language::Japanese).toStdString(), row.japanese)
            << row.id << " ja";
        covered.insert(row.id);
    }
    QSet<int> known;
    for (int id : msg::kAllIds) known.insert(id);
    EXPECT_EQ(covered, known);
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
