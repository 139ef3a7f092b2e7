#include "skin/ui/SkinnedBox.h"

#include <QLabel>
#include <QtTest>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
#include "skin/ui/ColorStatic.h"
#include "skin/ui/ConfirmBox.h"
#include "skin/ui/InfoBox.h"
#include "skin/ui/OverwriteBox.h"
#include "skin/ui/WindowFront.h"
#include "tests/skin/ui/BoxDriver.h"

namespace {

enum class Box { Info, Confirm, OverwriteOne, OverwriteAll };

int Run(Box box, const QString& text) {
    switch (box) {
        case Box::Info:
            return InfoBox::Show(text);
        case Box::Confirm:
            return ConfirmBox::Ask(text);
        case Box::OverwriteOne:
            return OverwriteBox::Ask(text, false);
        case Box::OverwriteAll:
            return OverwriteBox::Ask(text, true);
    }
    return -1;
}

QString LongPath() {
    QString path = QStringLiteral("/media/card/");
    while (path.size() < 200) path += QStringLiteral("PresentationSlidesForTheAnnualMeeting_");
    return path.left(196) + QStringLiteral(".JPG");
}

}  // namespace

class SkinnedBoxTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answers_data() {
        QTest::addColumn<Box>("box");
        QTest::addColumn<QList<BoxAction>>("actions");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("expected");

        using L = QList<BoxAction>;
        const auto click = BoxAction::Click;
        QTest::newRow("Info_OK") << Box::Info << L{click} << QStringList{"ok"} << 1;
        QTest::newRow("Info_Escape") << Box::Info << L{BoxAction::Escape} << QStringList{""} << 2;
        QTest::newRow("Info_close_button")
            << Box::Info << L{BoxAction::CloseButton} << QStringList{""} << 2;
        QTest::newRow("Info_Enter_on_OK")
            << Box::Info << L{BoxAction::Enter} << QStringList{""} << 1;

        QTest::newRow("Confirm_OK") << Box::Confirm << L{click} << QStringList{"ok"} << 1;
        QTest::newRow("Confirm_Cancel") << Box::Confirm << L{click} << QStringList{"cancel"} << 2;
        QTest::newRow("Confirm_Escape")
            << Box::Confirm << L{BoxAction::Escape} << QStringList{""} << 2;
        QTest::newRow("Confirm_close_button")
            << Box::Confirm << L{BoxAction::CloseButton} << QStringList{""} << 2;
        QTest::newRow("Confirm_window_close")
            << Box::Confirm << L{BoxAction::WindowClose} << QStringList{""} << 2;
        QTest::newRow("Confirm_Enter_on_Cancel")
            << Box::Confirm << L{BoxAction::Enter} << QStringList{"cancel"} << 2;

        const Box all = Box::OverwriteAll;
        QTest::newRow("Overwrite") << all << L{click} << QStringList{"overwrite"} << 2;
        QTest::newRow("No") << all << L{click} << QStringList{"no"} << 1;
        QTest::newRow("Save_next") << all << L{click} << QStringList{"saveNext"} << 4;
        QTest::newRow("Overwrite_all") << all << L{click} << QStringList{"overwriteAll"} << 3;
        QTest::newRow("Break") << all << L{click} << QStringList{"break"} << 0;
        QTest::newRow("Overwrite_Escape_is_Cancel")
            << all << L{BoxAction::Escape} << QStringList{""} << 0;
        QTest::newRow("Overwrite_Escape_on_Overwrite_is_Cancel")
            << all << L{BoxAction::Escape} << QStringList{"overwrite"} << 0;
        QTest::newRow("Overwrite_window_close_is_Cancel")
            << all << L{BoxAction::WindowClose} << QStringList{""} << 0;
        QTest::newRow("Overwrite_Enter_as_opened_is_No")
            << all << L{BoxAction::Enter} << QStringList{""} << 1;
        QTest::newRow("Overwrite_Enter_on_Save_next")
            << all << L{BoxAction::Enter} << QStringList{"saveNext"} << 4;
        QTest::newRow("Overwrite_all_is_dead_in_a_one_image_save")
            << Box::OverwriteOne << L{click, BoxAction::Escape} << QStringList{"overwriteAll", ""}
            << 0;
        QTest::newRow("One_image_save_Overwrite")
            << Box::OverwriteOne << L{click} << QStringList{"overwrite"} << 2;
    }

    void answers() {
        QFETCH(Box, box);
        QFETCH(QList<BoxAction>, actions);
        QFETCH(QStringList, buttons);
        QFETCH(int, expected);

        AnswerNextBox([&](QDialog* open) {
            for (int i = 0; i < actions.size(); ++i) Perform(open, actions[i], buttons[i]);
        });
        QCOMPARE(Run(box, QStringLiteral("The question")), expected);
    }

    void overwriteAllFollowsTheSaveAllMode() {
        for (bool saveAll : {false, true}) {
            OverwriteBox box(saveAll);
            auto* button = box.findChild<QAbstractButton*>(QStringLiteral("overwriteAll"));
            QVERIFY(button != nullptr);
            QCOMPARE(button->isEnabled(), saveAll);
            for (const char* other : {"overwrite", "no", "saveNext", "break"}) {
                QVERIFY2(box.findChild<QAbstractButton*>(other)->isEnabled(), other);
            }
        }
    }

    // A long message makes the box taller instead of cutting the text, in both languages.
    void longTextShowsInFull_data() {
        QTest::addColumn<Box>("box");
        QTest::addColumn<QString>("text");
        const QString path = LongPath();
        QTest::newRow("Info_English_path")
            << Box::Info
            << Messages::Format(msg::UnsupportedFormat, path, Messages::Language::English);
        QTest::newRow("Confirm_Japanese")
            << Box::Confirm
            << Messages::Format(msg::FolderNumberExists, path, Messages::Language::Japanese);
        QTest::newRow("Overwrite_English")
            << Box::OverwriteAll
            << Messages::Format(msg::SameNumberExists, path, Messages::Language::English);
    }

    void longTextShowsInFull() {
        QFETCH(Box, box);
        QFETCH(QString, text);
        AnswerNextBox([&](QDialog* open) {
            auto* label = open->findChild<ColorStatic*>(QStringLiteral("text"));
            QVERIFY(label != nullptr);
            QCOMPARE(label->text(), text);
            QVERIFY(label->height() >= label->heightForWidth(label->width()));
            QVERIFY(open->rect().contains(label->geometry()));
            for (auto* button : open->findChildren<QAbstractButton*>()) {
                if (button->objectName() == QLatin1String("close")) continue;
                QVERIFY2(button->geometry().top() >= label->geometry().bottom(),
                         qPrintable(button->objectName()));
                QVERIFY(open->rect().contains(button->geometry()));
            }
            open->reject();
        });
        Run(box, text);
    }

    void boxesTakeTheWidthOfTheirTitlePicture() {
        InfoBox info;
        ConfirmBox confirm;
        OverwriteBox overwrite;
        QCOMPARE(info.width(), 345);
        QCOMPARE(confirm.width(), 345);
        QCOMPARE(overwrite.width(), 532);
        QCOMPARE(info.windowTitle(), Messages::Load(msg::WindowTitle));
        QCOMPARE(confirm.windowTitle(), Messages::Load(msg::WindowTitle));
        QVERIFY(overwrite.windowTitle().isEmpty());
        QVERIFY(overwrite.findChild<QAbstractButton*>(QStringLiteral("close")) == nullptr);
    }

    void aBoxRestoresTheMinimisedMainWindowFirst() {
        QWidget main;
        main.resize(400, 300);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        SetMainWindow(&main);
        main.showMinimized();
        QTRY_VERIFY(main.isMinimized());

        bool minimisedWhileShown = true;
        AnswerNextBox([&](QDialog* open) {
            minimisedWhileShown = main.isMinimized();
            QCOMPARE(open->parentWidget(), &main);
            open->accept();
        });
        InfoBox::Show(QStringLiteral("Failed to load slides."));
        SetMainWindow(nullptr);
        QVERIFY(!minimisedWhileShown);
    }
};

QTEST_MAIN(SkinnedBoxTest)
#include "SkinnedBoxTest.moc"
