#include "skin/ui/SkinButton.h"

#include <QtTest>

#include "skin/ui/SkinArt.h"
#include "skin/ui/SkinConstants.h"

namespace {

// What the user does to the button, in order.
enum class Step { Enter, Leave, Press, DragOff, DragBack, Release, Disable, Focus, KeyDown };

const QPoint kButtonAt(20, 20);

}  // namespace

class SkinButtonTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void paintsThePictureOfItsState_data() {
        QTest::addColumn<QList<int>>("bitmaps");
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<int>("expected");

        const QList<int> ok{168, 166, 167, 169};
        const QList<int> importFile{142, 144, 143, 0};
        const QList<int> normalOnly{142, 0, 0, 0};
        using S = QList<Step>;
        QTest::newRow("untouched") << ok << S{} << 168;
        QTest::newRow("mouse_over") << ok << S{Step::Enter} << 167;
        QTest::newRow("mouse_left_again") << ok << S{Step::Enter, Step::Leave} << 168;
        QTest::newRow("pressed_under_the_mouse") << ok << S{Step::Enter, Step::Press} << 166;
        QTest::newRow("press_dragged_off")
            << ok << S{Step::Enter, Step::Press, Step::DragOff} << 168;
        QTest::newRow("press_dragged_back")
            << ok << S{Step::Enter, Step::Press, Step::DragOff, Step::DragBack} << 166;
        QTest::newRow("released_over_it")
            << ok << S{Step::Enter, Step::Press, Step::Release} << 167;
        QTest::newRow("released_off_it")
            << ok << S{Step::Enter, Step::Press, Step::DragOff, Step::Release} << 168;
        QTest::newRow("disabled") << ok << S{Step::Disable} << 169;
        QTest::newRow("keyboard_focus_and_press_keep_normal")
            << ok << S{Step::Focus, Step::KeyDown} << 168;
        QTest::newRow("no_disabled_picture") << importFile << S{Step::Disable} << 142;
        QTest::newRow("no_hover_picture") << normalOnly << S{Step::Enter} << 142;
        QTest::newRow("no_pressed_picture") << normalOnly << S{Step::Enter, Step::Press} << 142;
    }

    void paintsThePictureOfItsState() {
        QFETCH(QList<int>, bitmaps);
        QFETCH(QList<Step>, steps);
        QFETCH(int, expected);

        QWidget host;
        host.resize(200, 100);
        auto* button = new SkinButton(QStringLiteral("OK"), &host);
        QVERIFY(button->Setup(bitmaps[0], bitmaps[1], bitmaps[2], bitmaps[3]));
        button->move(kButtonAt);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::mouseMove(&host, QPoint(2, 2));

        const QPoint inside = button->rect().center();
        bool pressed = false;
        for (Step step : steps) {
            switch (step) {
                case Step::Enter:
                    QTest::mouseMove(&host, kButtonAt + inside);
                    break;
                case Step::Leave:
                    QTest::mouseMove(&host, QPoint(2, 2));
                    break;
                case Step::Press:
                    QTest::mousePress(button, Qt::LeftButton, {}, inside);
                    pressed = true;
                    break;
                case Step::DragOff:
                    QTest::mouseMove(button, QPoint(-10, -10));
                    break;
                case Step::DragBack:
                    QTest::mouseMove(button, inside);
                    break;
                case Step::Release:
                    QTest::mouseRelease(button, Qt::LeftButton, {},
                                        button->IsHovered() ? inside : QPoint(-10, -10));
                    pressed = false;
                    break;
                case Step::Disable:
                    button->setEnabled(false);
                    break;
                case Step::Focus:
                    button->setFocus();
                    break;
                case Step::KeyDown:
                    QTest::keyPress(button, Qt::Key_Space);
                    QVERIFY(button->isDown());
                    break;
            }
        }
        const int painted = button->CurrentBitmap();
        if (pressed) QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-10, -10));
        QCOMPARE(painted, expected);
    }

    void takesTheSizeOfItsNormalPicture() {
        SkinButton button;
        button.move(7, 9);
        QVERIFY(button.Setup(skin::kOkButton));
        QCOMPARE(button.size(), SkinArt::SizeOf(skin::kOkButton.normal));
        QCOMPARE(button.pos(), QPoint(7, 9));
    }

    void withoutItsNormalPictureStaysAPlainButton() {
        const int unknown = 9999;
        QVERIFY(SkinArt::Bitmap(unknown).isNull());
        SkinButton button(QStringLiteral("Convert"));
        QVERIFY(!button.Setup(unknown, 166, 167, 169));
        QVERIFY(!button.IsSkinned());
        QCOMPARE(button.CurrentBitmap(), 0);
        QCOMPARE(button.text(), QStringLiteral("Convert"));
        QVERIFY(button.sizeHint().width() > button.fontMetrics().horizontalAdvance("Convert"));

        // A later failure undoes an earlier success instead of keeping stale pictures.
        SkinButton reskinned(QStringLiteral("OK"));
        QVERIFY(reskinned.Setup(skin::kOkButton));
        QVERIFY(!reskinned.Setup(unknown, 0, 0, 0));
        QVERIFY(!reskinned.IsSkinned());
        reskinned.resize(200, 40);
        QCOMPARE(reskinned.size(), QSize(200, 40));
    }
};

QTEST_MAIN(SkinButtonTest)
#include "SkinButtonTest.moc"
