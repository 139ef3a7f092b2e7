#include "skin/ui/SkinnedDialog.h"

#include <QSignalSpy>
#include <QtTest>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/SkinArt.h"
#include "skin/ui/SkinButton.h"

class SkinnedDialogTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void titlePictureSetsTheWidth() {
        SkinnedDialog dialog;
        dialog.resize(100, 200);
        dialog.SetTitlePictures(skin::kOverwriteBoxTitle);
        QCOMPARE(dialog.size(),
                 QSize(SkinArt::SizeOf(skin::kOverwriteBoxTitle.active).width(), 200));
        QCOMPARE(dialog.TitleBand(), QRect(2, 2, dialog.width() - 4, 26));
    }

    void titleFromStringKeepsTheOldTitleWhenTheTextIsMissing() {
        SkinnedDialog dialog;
        dialog.SetTitleFromString(msg::WindowTitle);
        QCOMPARE(dialog.windowTitle(), Messages::Load(msg::WindowTitle));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*"));
        dialog.SetTitleFromString(9999);
        QCOMPARE(dialog.windowTitle(), Messages::Load(msg::WindowTitle));
    }

    void titleButtonsKeepTheirPlaceFromTheRightEdge() {
        SkinnedDialog dialog;
        dialog.SetTitlePictures(skin::kMainWindowTitle);
        dialog.resize(dialog.width(), 400);
        SkinButton* minimise = dialog.AddMinimiseButton();
        SkinButton* close = dialog.AddCloseButton();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (int width : {dialog.width(), dialog.width() + 120, dialog.width() - 200}) {
            dialog.resize(width, 400);
            QTRY_COMPARE(dialog.width(), width);
            QCOMPARE(close->pos(), QPoint(width - 28, 6));
            QCOMPARE(minimise->pos(), QPoint(width - 48, 6));
        }
    }

    void inactiveWindowShowsItsTitleButtonsDisabled() {
        SkinnedDialog dialog;
        dialog.SetTitlePictures(skin::kMessageBoxTitle);
        SkinButton* close = dialog.AddCloseButton();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(close->isEnabled());
        QCOMPARE(close->CurrentBitmap(), skin::kTitleCloseButton.normal);

        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!dialog.IsShownActive());
        QVERIFY(!close->isEnabled());
        QCOMPARE(close->CurrentBitmap(), skin::kTitleCloseButton.disabled);

        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QVERIFY(close->isEnabled());
    }

    void closeAndMinimiseButtonsActOnTheWindow() {
        SkinnedDialog dialog;
        dialog.SetTitlePictures(skin::kMainWindowTitle);
        dialog.resize(dialog.width(), 300);
        SkinButton* minimise = dialog.AddMinimiseButton();
        SkinButton* close = dialog.AddCloseButton();
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));

        QTest::mouseClick(minimise, Qt::LeftButton, {}, minimise->rect().center());
        QTRY_VERIFY(dialog.isMinimized());
        dialog.showNormal();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));

        QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(finished.count(), 1);
    }

    void escapeDoesNotCloseIt() {
        SkinnedDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
    }

    void theTitleBandDragsTheWindow() {
        SkinnedDialog dialog;
        dialog.SetTitlePictures(skin::kMessageBoxTitle);
        dialog.resize(dialog.width(), 200);
        dialog.move(100, 100);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QPoint start = dialog.pos();

        QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(60, 10));
        QTest::mouseMove(&dialog, QPoint(90, 30));
        QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(90, 30));
        QTRY_COMPARE(dialog.pos(), start + QPoint(30, 20));

        // Below the band the window stays where it is.
        const QPoint moved = dialog.pos();
        QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(60, 100));
        QTest::mouseMove(&dialog, QPoint(90, 130));
        QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(90, 130));
        QCOMPARE(dialog.pos(), moved);
    }
};

QTEST_MAIN(SkinnedDialogTest)
#include "SkinnedDialogTest.moc"
