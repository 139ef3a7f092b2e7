#include "app/ui/PreferencesDialog.h"

#include <QSlider>
#include <QtTest>

#include "skin/ui/BitmapRadio.h"
#include "skin/ui/SkinButton.h"

class PreferencesDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensWithTheGivenValues() {
        for (const auto& [dcf, thumbnails, quality] :
             {std::tuple{true, false, 3}, std::tuple{false, true, 1}, std::tuple{true, true, 5}}) {
            const PreferencesDialog dialog(dcf, thumbnails, quality);
            QCOMPARE(dialog.dcfOption(), dcf);
            QCOMPARE(dialog.thumbnailOption(), thumbnails);
            QCOMPARE(dialog.qualityPosition(), quality);
        }
    }

    void okTakesTheChangedControls() {
        PreferencesDialog dialog(true, true, 5);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* slider = dialog.findChild<QSlider*>("quality");
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Home);
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
        QTest::mouseClick(dialog.findChild<SkinButton*>("ok"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.dcfOption(), false);
        QCOMPARE(dialog.thumbnailOption(), false);
        QCOMPARE(dialog.qualityPosition(), 1);
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
