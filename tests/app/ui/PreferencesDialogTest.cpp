#include "app/ui/PreferencesDialog.h"

#include <QSlider>
#include <QtTest>

#include "skin/ui/BitmapRadio.h"
#include "skin/ui/SkinButton.h"

class PreferencesDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensWithTheGivenValues_data() {
        QTest::addColumn<bool>("dcf");
        QTest::addColumn<bool>("thumbnails");
        QTest::addColumn<int>("quality");
        QTest::newRow("defaults") << true << true << 5;
        QTest::newRow("dcf_only_middle") << true << false << 3;
        QTest::newRow("thumbnails_only_lowest") << false << true << 1;
    }
    void opensWithTheGivenValues() {
        QFETCH(bool, dcf);
        QFETCH(bool, thumbnails);
        QFETCH(int, quality);
        const PreferencesDialog dialog(dcf, thumbnails, quality);
        QCOMPARE(dialog.dcfOption(), dcf);
        QCOMPARE(dialog.thumbnailOption(), thumbnails);
        QCOMPARE(dialog.qualityPosition(), quality);
    }

    void okTakesTheChangedControls() {
        PreferencesDialog dialog(true, true, 5);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* slider = dialog.findChild<QSlider*>("quality");
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(dialog.qualityPosition(), 1);
        // Each check button toggles on its own, both ways, without touching the other.
        for (const char* name : {"dcf", "thumbnails"}) {
            auto* check = dialog.findChild<BitmapRadio*>(name);
            QVERIFY2(check && check->isVisible(), name);
            QTest::mouseClick(check, Qt::LeftButton);
            QVERIFY2(!check->isChecked(), name);
            QTest::mouseClick(check, Qt::LeftButton);
            QVERIFY2(check->isChecked(), name);
            QTest::mouseClick(check, Qt::LeftButton);
        }
        QCOMPARE(dialog.dcfOption(), false);
        QCOMPARE(dialog.thumbnailOption(), false);
        QTest::mouseClick(dialog.findChild<SkinButton*>("ok"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.qualityPosition(), 1);
    }

    void cancelLeavesTheCallersValues_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel_button") << "cancel";
        QTest::newRow("close_button") << "close";
        QTest::newRow("escape") << "escape";
    }
    // The dialog only answers Rejected; the main window copies nothing back then.
    void cancelLeavesTheCallersValues() {
        QFETCH(QString, how);
        PreferencesDialog dialog(true, false, 4);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.findChild<QSlider*>("quality")->setValue(2);
        QTest::mouseClick(dialog.findChild<BitmapRadio*>("thumbnails"), Qt::LeftButton);
        if (how == "escape")
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(dialog.findChild<SkinButton*>(how), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
    }
};

QTEST_MAIN(PreferencesDialogTest)
#include "PreferencesDialogTest.moc"
