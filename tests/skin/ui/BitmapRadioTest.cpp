#include "skin/ui/BitmapRadio.h"

#include <QtTest>

#include "skin/ui/RadioGroup.h"
#include "skin/ui/SkinConstants.h"

class BitmapRadioTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // grouped: three radios of one group, else three independent check buttons; the first
    // starts checked either way.
    void clicksMoveOrToggleTheCheck_data() {
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<QList<int>>("clicks");
        QTest::addColumn<QList<bool>>("checked");

        QTest::newRow("radio_click_the_checked_one_keeps_it")
            << true << QList<int>{0} << QList<bool>{true, false, false};
        QTest::newRow("radio_click_another_moves_the_check")
            << true << QList<int>{2} << QList<bool>{false, false, true};
        QTest::newRow("radio_and_back")
            << true << QList<int>{1, 0} << QList<bool>{true, false, false};
        QTest::newRow("check_button_unchecks")
            << false << QList<int>{0} << QList<bool>{false, false, false};
        QTest::newRow("check_button_checks_again")
            << false << QList<int>{0, 0} << QList<bool>{true, false, false};
        QTest::newRow("check_buttons_are_independent")
            << false << QList<int>{1, 2} << QList<bool>{true, true, true};
    }

    void clicksMoveOrToggleTheCheck() {
        QFETCH(bool, grouped);
        QFETCH(QList<int>, clicks);
        QFETCH(QList<bool>, checked);

        QWidget host;
        RadioGroup group;
        QList<BitmapRadio*> buttons;
        for (int i = 0; i < 3; ++i) {
            auto* button =
                new BitmapRadio(skin::kMainWindowRadio, QColor(skin::kPanelBackground), &host);
            button->move(0, 30 * i);
            if (grouped) group.Add(button);
            buttons.append(button);
        }
        buttons[0]->SetState(BitmapRadio::Checked);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        for (int index : clicks) {
            QTest::mouseClick(buttons[index], Qt::LeftButton, {}, QPoint(5, 5));
        }
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(buttons[i]->isChecked() == checked[i], qPrintable(QString::number(i)));
            const int check = checked[i] ? BitmapRadio::Checked : BitmapRadio::Unchecked;
            QCOMPARE(buttons[i]->State() & 3, check);
        }
        if (grouped) QCOMPARE(group.CheckedButton(), buttons[checked.indexOf(true)]);
    }

    // States set one after another, and the picture the last one shows.
    void stateChoosesThePicture_data() {
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<int>("bitmap");
        QTest::addColumn<bool>("enabled");

        using B = BitmapRadio;
        QTest::newRow("unchecked") << QList<int>{B::Unchecked} << 150 << true;
        QTest::newRow("unchecked_hover") << QList<int>{B::Unchecked, B::Hover} << 151 << true;
        QTest::newRow("unchecked_disabled")
            << QList<int>{B::Unchecked, B::Disabled} << 153 << false;
        QTest::newRow("checked") << QList<int>{B::Checked} << 152 << true;
        QTest::newRow("checked_hover") << QList<int>{B::Checked, B::Hover} << 149 << true;
        QTest::newRow("checked_disabled") << QList<int>{B::Checked, B::Disabled} << 154 << false;
        QTest::newRow("enabled_again")
            << QList<int>{B::Checked, B::Disabled, B::Checked} << 152 << true;
    }

    void stateChoosesThePicture() {
        QFETCH(QList<int>, states);
        QFETCH(int, bitmap);
        QFETCH(bool, enabled);
        BitmapRadio button(skin::kMainWindowRadio, QColor(skin::kPanelBackground));
        for (int state : states) button.SetState(state);
        QCOMPARE(button.CurrentBitmap(), bitmap);
        QCOMPARE(button.isEnabled(), enabled);
    }

    void setStateReturnsThePreviousCheck() {
        RadioGroup group;
        BitmapRadio first(skin::kMainWindowRadio, Qt::white);
        BitmapRadio second(skin::kMainWindowRadio, Qt::white);
        group.Add(&first);
        group.Add(&second);
        QCOMPARE(first.SetState(BitmapRadio::Checked), int(BitmapRadio::Unchecked));
        QCOMPARE(second.SetState(BitmapRadio::Checked), int(BitmapRadio::Unchecked));
        QCOMPARE(first.SetState(BitmapRadio::Disabled), int(BitmapRadio::Unchecked));
        QCOMPARE(second.SetState(BitmapRadio::Unchecked), int(BitmapRadio::Checked));
    }

    void buttonsAndGroupDieInEitherOrder() {
        auto* group = new RadioGroup;
        auto* kept = new BitmapRadio(skin::kPlacementRadio, Qt::white);
        {
            BitmapRadio gone(skin::kPlacementRadio, Qt::white);
            group->Add(kept);
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
};

QTEST_MAIN(BitmapRadioTest)
#include "BitmapRadioTest.moc"
