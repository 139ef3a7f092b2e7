#include "app/ui/PreferencesDialog.h"

#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "skin/MessageTexts.h"
#include "skin/ui/BitmapRadio.h"
#include "skin/ui/SkinButton.h"

class PreferencesDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // OK hands back the values the dialog opened with, as the clicks on the two check buttons,
    // a key on the quality slider and the digits typed into the files per folder changed them;
    // each button toggles only itself, and the files per folder stay within 1 to 9999.
    void okTakesTheControlsAsTheyAre() {
        struct Values {
            bool dcf, thumbnails;
            int quality;
            int perFolder;
            bool operator==(const Values&) const = default;
        };
        struct Case {
            const char* name;
            Values before;
            const char* clicks;  // the check buttons clicked, in order
            int key;             // on the slider; 0 for none
            const char* typed;   // into the files per folder, its text replaced; "" for none
            Values after;
        };
        // Values: the DCF and thumbnail checks (1: on), the quality, the files per folder.
        const int home = Qt::Key_Home;
        const int end = Qt::Key_End;
        const Case cases[] = {
            {"untouched", {1, 0, 3, 9999}, "", 0, "", {1, 0, 3, 9999}},
            {"both_off_and_lowest", {1, 1, 5, 9999}, "dcf thumbnails", home, "999", {0, 0, 1, 999}},
            {"dcf_on_and_highest", {0, 0, 2, 9999}, "dcf", end, "1", {1, 0, 5, 1}},
            {"thumbnails_twice", {1, 1, 4, 50}, "thumbnails thumbnails", 0, "0", {1, 1, 4, 50}},
            {"per_folder_too_many_digits", {1, 1, 4, 9999}, "", 0, "12345", {1, 1, 4, 1234}},
        };
        for (const Case& c : cases) {
            PreferencesDialog dialog(c.before.dcf, c.before.thumbnails, c.before.quality,
                                     c.before.perFolder);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            for (const QString& name : QString(c.clicks).split(' ', Qt::SkipEmptyParts)) {
                auto* check = dialog.findChild<BitmapRadio*>(name);
                QVERIFY2(check && check->isVisible(), qPrintable(name));
                QTest::mouseClick(check, Qt::LeftButton);
            }
            if (c.key != 0) {
                auto* slider = dialog.findChild<QSlider*>("quality");
                slider->setFocus();
                QTest::keyClick(slider, Qt::Key(c.key));
            }
            if (*c.typed != '\0') {
                auto* field = dialog.findChild<QSpinBox*>("perFolder");
                field->setFocus();
                field->selectAll();
                QTest::keyClicks(field, c.typed);
            }
            QTest::mouseClick(dialog.findChild<SkinButton*>("ok"), Qt::LeftButton);
            QVERIFY2(dialog.result() == QDialog::Accepted, c.name);
            const Values after{dialog.dcfOption(), dialog.thumbnailOption(),
                               dialog.qualityPosition(), dialog.filesPerFolder()};
            QVERIFY2(after == c.after, c.name);
        }
    }

    // The dialog only answers Rejected; the main window copies nothing back then. (Escape is
    // DialogsTest's.)
    void cancelRejects() {
        for (const QString how : {"cancel", "close"}) {
            PreferencesDialog dialog(true, false, 4, 9999);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QTest::mouseClick(dialog.findChild<SkinButton*>(how), Qt::LeftButton);
            QVERIFY2(dialog.result() == QDialog::Rejected, qPrintable(how));
            QVERIFY2(!dialog.isVisible(), qPrintable(how));
        }
    }

    // The files per folder are named beside their field, in full, in either language.
    void filesPerFolderIsNamedInBothLanguages() {
        for (const char* text : {"Files per folder", "フォルダーごとの枚数"}) {
            Messages::SetLanguage(text[0] == 'F' ? Messages::Language::English
                                                 : Messages::Language::Japanese);
            PreferencesDialog dialog(true, true, 5, 999);
            auto* field = dialog.findChild<QSpinBox*>("perFolder");
            QLabel* label = nullptr;
            for (QLabel* each : dialog.findChildren<QLabel*>())
                if (each->buddy() == field) label = each;
            QVERIFY2(label, text);
            QCOMPARE(label->text(), QString::fromUtf8(text));
            QVERIFY2(label->sizeHint().width() <= label->width(), text);
            QVERIFY(label->geometry().right() < field->geometry().left());
        }
        Messages::SetLanguage(Messages::Language::English);
    }
};

QTEST_MAIN(PreferencesDialogTest)
#include "PreferencesDialogTest.moc"
