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
        QCOMPARE(QSettings().value("66/CX").toInt(), 700);
        QCOMPARE(QSettings().value("66/CY").toInt(), 450);
    }

    void buttonPaintsThePictureOfItsState_data() {
        QTest::addColumn<QList<int>>("bitmaps");  // normal, pressed, hover, disabled; 0: none
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<int>("expected");

        const QList<int> ok{168, 166, 167, 169};
        const QList<int> normalOnly{142, 0, 0, 0};
        using S = QList<Step>;
        QTest::newRow("untouched") << ok << S{} << 168;
        QTest::newRow("hover") << ok << S{Step::Enter} << 167;
        QTest::newRow("hover_left_again") << ok << S{Step::Enter, Step::Leave} << 168;
        QTest::newRow("pressed") << ok << S{Step::Enter, Step::Press} << 166;
        QTest::newRow("pressed_dragged_off")
            << ok << S{Step::Enter, Step::Press, Step::DragOff} << 168;
        QTest::newRow("disabled") << ok << S{Step::Disable} << 169;
        QTest::newRow("no_disabled_picture")
            << QList<int>{142, 144, 143, 0} << S{Step::Disable} << 142;
        QTest::newRow("no_hover_picture") << normalOnly << S{Step::Enter} << 142;
        QTest::newRow("no_pressed_picture") << normalOnly << S{Step::Enter, Step::Press} << 142;
    }

    void buttonPaintsThePictureOfItsState() {
        QFETCH(QList<int>, bitmaps);
        QFETCH(QList<Step>, steps);
        QFETCH(int, expected);

        QWidget host;
        host.resize(200, 100);
        auto* button = new SkinButton(QStringLiteral("OK"), &host);
        QVERIFY(button->Setup(bitmaps[0], bitmaps[1], bitmaps[2], bitmaps[3]));
        QCOMPARE(button->size(), SkinArt::SizeOf(bitmaps[0]));
        button->move(20, 20);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::mouseMove(&host, QPoint(2, 2));

        const QPoint inside = button->rect().center();
        for (Step step : steps) {
            if (step == Step::Enter) QTest::mouseMove(&host, button->pos() + inside);
            if (step == Step::Leave) QTest::mouseMove(&host, QPoint(2, 2));
            if (step == Step::Press) QTest::mousePress(button, Qt::LeftButton, {}, inside);
            if (step == Step::DragOff) QTest::mouseMove(button, QPoint(-10, -10));
            if (step == Step::Disable) button->setEnabled(false);
        }
        const int painted = button->CurrentBitmap();
        if (steps.contains(Step::Press))
            QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-10, -10));
        QCOMPARE(painted, expected);
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

    // A button without its normal picture is a plain one, even after an earlier success.
    void buttonWithoutItsNormalPictureIsPlain() {
        SkinButton button(QStringLiteral("OK"));
        QVERIFY(button.Setup(skin::kOkButton));
        QVERIFY(!button.Setup(9999, 166, 167, 169));
        QVERIFY(!button.IsSkinned());
        QCOMPARE(button.CurrentBitmap(), 0);
    }

    // grouped: three radios of one group, else three check buttons; the first starts checked.
    void radioClicksMoveOrToggleTheCheck_data() {
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QList<bool>>("checked");
        QTest::newRow("radio_clicked_again_stays")
            << true << QList<int>{0} << QList<bool>{true, false, false};
        QTest::newRow("radio_moves") << true << QList<int>{2} << QList<bool>{false, false, true};
        QTest::newRow("check_button_unchecks")
            << false << QList<int>{0} << QList<bool>{false, false, false};
        QTest::newRow("check_buttons_are_independent")
            << false << QList<int>{1, 2} << QList<bool>{true, true, true};
    }

    void radioClicksMoveOrToggleTheCheck() {
        QFETCH(bool, grouped);
        QFETCH(QList<int>, clicks);
        QFETCH(QList<bool>, checked);

        QWidget host;
        RadioGroup group;
        QList<BitmapRadio*> buttons;
        for (int i = 0; i < 3; ++i) {
            buttons.append(new BitmapRadio(skin::kMainWindowRadio, Qt::white, &host));
            buttons[i]->move(0, 30 * i);
            if (grouped) group.Add(buttons[i]);
        }
        buttons[0]->SetState(BitmapRadio::Checked);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        for (int index : clicks) QTest::mouseClick(buttons[index], Qt::LeftButton, {}, {5, 5});
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(buttons[i]->isChecked(), checked[i]);
            QCOMPARE(buttons[i]->State() & 3,
                     int(checked[i] ? BitmapRadio::Checked : BitmapRadio::Unchecked));
        }
        if (grouped) QCOMPARE(group.CheckedButton(), buttons[checked.indexOf(true)]);
    }

    void radioStateChoosesThePicture() {
        using B = BitmapRadio;
        const std::pair<QList<int>, int> cases[] = {{{B::Unchecked}, 150},
                                                    {{B::Unchecked, B::Hover}, 151},
                                                    {{B::Unchecked, B::Disabled}, 153},
                                                    {{B::Checked}, 152},
                                                    {{B::Checked, B::Hover}, 149},
                                                    {{B::Checked, B::Disabled}, 154},
                                                    {{B::Checked, B::Disabled, B::Checked}, 152}};
        for (const auto& [states, bitmap] : cases) {
            BitmapRadio button(skin::kMainWindowRadio, Qt::white);
            for (int state : states) button.SetState(state);
            QCOMPARE(button.CurrentBitmap(), bitmap);
            QCOMPARE(button.isEnabled(), states.last() != B::Disabled);
        }
    }

    void radiosAndTheirGroupDieInEitherOrder() {
        auto* group = new RadioGroup;
        auto* kept = new BitmapRadio(skin::kPlacementRadio, Qt::white);
        group->Add(kept);
        {
            BitmapRadio gone(skin::kPlacementRadio, Qt::white);
            group->Add(&gone);
        }
        QCOMPARE(group->Buttons(), QList<BitmapRadio*>{kept});
        delete group;
        QVERIFY(kept->Group() == nullptr);
        kept->click();  // now a check button
        QVERIFY(kept->isChecked());
        kept->click();
        QVERIFY(!kept->isChecked());
        delete kept;
    }

private:
    QTemporaryDir profileDir_;
};

QTEST_MAIN(SkinWidgetsTest)
#include "SkinWidgetsTest.moc"
