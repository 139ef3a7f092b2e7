#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "skin/ui/BitmapRadio.h"
#include "skin/ui/RadioGroup.h"
#include "skin/ui/ResizableDialog.h"
#include "skin/ui/SkinArt.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"
#include "skin/ui/SkinPicture.h"
#include "skin/ui/SkinnedDialog.h"

namespace {

// What the user does to a button, in order.
enum class Step { Enter, Leave, Press, DragOff, Disable };

}  // namespace

class SkinWidgetsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(profileDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profileDir_.path());
        QCoreApplication::setOrganizationName(QStringLiteral("Kestrovia"));
        QCoreApplication::setApplicationName(QStringLiteral("QVN"));
    }

    // The window is as wide as its title picture; its title buttons keep their place from the
    // right edge and act on the window, its title band drags it. Escape does nothing.
    void titleBandAndButtonsActOnTheWindow() {
        SkinnedDialog dialog;
        dialog.SetTitlePictures(skin::kMainWindowTitle);
        QCOMPARE(dialog.width(), SkinArt::SizeOf(skin::kMainWindowTitle.active).width());
        SkinButton* minimise = dialog.AddMinimiseButton();
        SkinButton* close = dialog.AddCloseButton();
        QSignalSpy finished(&dialog, &QDialog::finished);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        const int width = dialog.width() + 120;
        dialog.resize(width, 300);
        QTRY_COMPARE(dialog.width(), width);
        QCOMPARE(close->pos(), QPoint(width - 28, 6));
        QCOMPARE(minimise->pos(), QPoint(width - 48, 6));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());

        // A drag in the title band moves the window, one below it does not.
        const QPoint start = dialog.pos();
        for (int y : {10, 100}) {
            QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(60, y));
            QTest::mouseMove(&dialog, QPoint(90, y + 20));
            QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(90, y + 20));
            QTRY_COMPARE(dialog.pos(), start + QPoint(30, 20));
        }

        QTest::mouseClick(minimise, Qt::LeftButton, {}, minimise->rect().center());
        QTRY_VERIFY(dialog.isMinimized());
        dialog.showNormal();
        dialog.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::mouseClick(close, Qt::LeftButton, {}, close->rect().center());
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(finished.count(), 1);
    }

    // The size the user gave the window comes back when it opens again, and no smaller than
    // its template (102, profile group 66). Its anchors are the main window's (MainDialogTest).
    void theSizeComesBack() {
        QSettings().clear();
        for (int opened = 0; opened < 2; ++opened) {
            ResizableDialog dialog(102);
            dialog.resize(600, 400);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (opened == 0) dialog.resize(700, 450);
            QTRY_COMPARE(dialog.size(), QSize(700, 450));
            QCOMPARE(dialog.minimumSize(), QSize(600, 400));
        }
    }

    // The pictures: normal, pressed, hover, disabled (0: none).
    void buttonPaintsThePictureOfItsState() {
        const QList<int> ok{168, 166, 167, 169};
        const QList<int> normalOnly{142, 0, 0, 0};
        const struct {
            const char* name;
            QList<int> bitmaps;
            QList<Step> steps;
            int expected;
        } cases[] = {
            {"untouched", ok, {}, 168},
            {"hover", ok, {Step::Enter}, 167},
            {"hover_left_again", ok, {Step::Enter, Step::Leave}, 168},
            {"pressed", ok, {Step::Enter, Step::Press}, 166},
            {"pressed_dragged_off", ok, {Step::Enter, Step::Press, Step::DragOff}, 168},
            {"disabled", ok, {Step::Disable}, 169},
            {"no_disabled_picture", {142, 144, 143, 0}, {Step::Disable}, 142},
            {"no_hover_picture", normalOnly, {Step::Enter}, 142},
        };
        for (const auto& c : cases) {
            QWidget host;
            host.resize(200, 100);
            auto* button = new SkinButton(QStringLiteral("OK"), &host);
            QVERIFY(button->Setup(c.bitmaps[0], c.bitmaps[1], c.bitmaps[2], c.bitmaps[3]));
            button->move(20, 20);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            QTest::mouseMove(&host, QPoint(2, 2));
            const QPoint inside = button->rect().center();
            for (Step step : c.steps) {
                if (step == Step::Enter) QTest::mouseMove(&host, button->pos() + inside);
                if (step == Step::Leave) QTest::mouseMove(&host, QPoint(2, 2));
                if (step == Step::Press) QTest::mousePress(button, Qt::LeftButton, {}, inside);
                if (step == Step::DragOff) QTest::mouseMove(button, QPoint(-10, -10));
                if (step == Step::Disable) button->setEnabled(false);
            }
            const int painted = button->CurrentBitmap();
            if (c.steps.contains(Step::Press))
                QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-10, -10));
            QVERIFY2(painted == c.expected, c.name);
        }
    }

    // A window paints its pictures at the ratio of the screen it is on, again after it moves to
    // a screen of another ratio, at the same size in logical pixels.
    void picturesFollowTheRatioOfTheScreen() {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2 || screens[1]->devicePixelRatio() != 2)
            QSKIP("needs a 1x and a 2x screen (tests/support/two-screens.json)");
        SkinnedDialog dialog;
        dialog.SetTitlePictures(skin::kMessageBoxTitle.active, 0);
        auto* button = new SkinButton(&dialog);
        button->Setup(skin::kOkButton);
        button->setFocusPolicy(Qt::NoFocus);  // no focus frame over the picture
        button->move(20, 40);
        auto* radio = new BitmapRadio(skin::kPlacementRadio, Qt::white, &dialog);
        radio->move(20, 80);
        auto* panel = new SkinPicture(271, &dialog);
        panel->move(20, 110);
        dialog.resize(dialog.width(), 200);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const struct {
            QWidget* widget;
            QPoint at;
            int id;
        } pictures[] = {
            {&dialog, {skin::kFrameWidth, skin::kFrameWidth}, skin::kMessageBoxTitle.active},
            {button, {0, 0}, skin::kOkButton.normal},
            {radio, {0, 0}, radio->CurrentBitmap()},
            {panel, {0, 0}, 271}};
        for (QScreen* screen : {screens[1], screens[0], screens[1]}) {
            dialog.windowHandle()->setScreen(screen);
            const qreal ratio = screen->devicePixelRatio();
            QTRY_COMPARE(dialog.devicePixelRatioF(), ratio);
            for (const auto& picture : pictures) {
                // All but the right end, where the window's border covers the title band.
                const QSize part = SkinArt::SizeOf(picture.id) - QSize(8, 0);
                const QPixmap shown = picture.widget->grab(QRect(picture.at, part));
                QCOMPARE(shown.devicePixelRatio(), ratio);
                const QPixmap expected =
                    SkinArt::Bitmap(picture.id, ratio)
                        .copy(QRect(QPoint(0, 0), (QSizeF(part) * ratio).toSize()));
                QVERIFY2(shown.toImage().convertToFormat(QImage::Format_RGB32) ==
                             expected.toImage().convertToFormat(QImage::Format_RGB32),
                         QByteArray::number(picture.id) + " at " + QByteArray::number(ratio));
            }
        }
    }

    // Three radios of one group, the first checked: a click on it keeps it checked, a click on
    // another moves the check. Check buttons are PreferencesDialogTest's.
    void radioClicksMoveTheCheck() {
        QWidget host;
        RadioGroup group;
        QList<BitmapRadio*> buttons;
        for (int i = 0; i < 3; ++i) {
            buttons.append(new BitmapRadio(skin::kMainWindowRadio, Qt::white, &host));
            buttons[i]->move(0, 30 * i);
            group.Add(buttons[i]);
        }
        buttons[0]->SetState(BitmapRadio::Checked);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        for (int clicked : {0, 2}) {
            QTest::mouseClick(buttons[clicked], Qt::LeftButton, {}, {5, 5});
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(buttons[i]->isChecked(), i == clicked);
                QCOMPARE(buttons[i]->State() & 3,
                         int(i == clicked ? BitmapRadio::Checked : BitmapRadio::Unchecked));
            }
            QCOMPARE(group.CheckedButton(), buttons[clicked]);
        }
    }

    void radioStateChoosesThePicture() {
        using B = BitmapRadio;
        const std::pair<QList<int>, int> cases[] = {{{B::Unchecked}, 150},
                                                    {{B::Unchecked, B::Disabled}, 153},
                                                    {{B::Checked, B::Hover}, 149},
                                                    {{B::Checked, B::Disabled, B::Checked}, 152}};
        for (const auto& [states, bitmap] : cases) {
            BitmapRadio button(skin::kMainWindowRadio, Qt::white);
            for (int state : states) button.SetState(state);
            QCOMPARE(button.CurrentBitmap(), bitmap);
            QCOMPARE(button.isEnabled(), states.last() != B::Disabled);
        }
    }

private:
    QTemporaryDir profileDir_;
};

QTEST_MAIN(SkinWidgetsTest)
#include "SkinWidgetsTest.moc"
