#include "app/ui/PreferencesDialog.h"

#include <QSlider>
#include <QTest>

#include "skin/ui/BitmapRadio.h"
#include "skin/ui/SkinButton.h"

class PreferencesDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // OK hands back the values the dialog opened with, as the clicks on the two check buttons
    // and a key on the quality slider changed them; each button toggles only itself.
    void okTakesTheControlsAsTheyAre() {
        struct Values {
            bool dcf, thumbnails;
            int quality;
            bool operator==(const Values&) const = default;
        };
        struct Case {
            const char* name;
            Values before;
            QStringList clicks;
            int key;  // on the slider; 0 for none
            Values after;
        } const cases[] = {
            {"untouched", {true, false, 3}, {}, 0, {true, false, 3}},
            {"untouched_other_values", {false, true, 1}, {}, 0, {false, true, 1}},
            {"both_off_and_lowest",
             {true, true, 5},
             {"dcf", "thumbnails"},
             Qt::Key_Home,
             {false, false, 1}},
            {"dcf_on_and_highest", {false, false, 2}, {"dcf"}, Qt::Key_End, {true, false, 5}},
            {"thumbnails_twice", {true, true, 4}, {"thumbnails", "thumbnails"}, 0, {true, true, 4}},
        };
        for (const Case& c : cases) {
            PreferencesDialog dialog(c.before.dcf, c.before.thumbnails, c.before.quality);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            for (const QString& name : c.clicks) {
                auto* check = dialog.findChild<BitmapRadio*>(name);
                QVERIFY2(check && check->isVisible(), qPrintable(name));
                QTest::mouseClick(check, Qt::LeftButton);
            }
            if (c.key != 0) {
                auto* slider = dialog.findChild<QSlider*>("quality");
                slider->setFocus();
                QTest::keyClick(slider, Qt::Key(c.key));
            }
            QTest::mouseClick(dialog.findChild<SkinButton*>("ok"), Qt::LeftButton);
            QVERIFY2(dialog.result() == QDialog::Accepted, c.name);
            const Values after{dialog.dcfOption(), dialog.thumbnailOption(),
                               dialog.qualityPosition()};
            QVERIFY2(after == c.after, c.name);
        }
    }

    // The dialog only answers Rejected; the main window copies nothing back then.
    void cancelRejects() {
        for (const QString how : {"cancel", "close", "escape"}) {
            PreferencesDialog dialog(true, false, 4);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (how == "escape")
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog.findChild<SkinButton*>(how), Qt::LeftButton);
            QVERIFY2(dialog.result() == QDialog::Rejected, qPrintable(how));
            QVERIFY2(!dialog.isVisible(), qPrintable(how));
        }
    }
};

QTEST_MAIN(PreferencesDialogTest)
#include "PreferencesDialogTest.moc"
