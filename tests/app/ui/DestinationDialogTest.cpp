#include "app/ui/DestinationDialog.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/SkinButton.h"
#include "tests/support/ScriptedPrompter.h"

class DestinationDialogTest : public QObject {
    Q_OBJECT

private:
    // The first card is empty, the second holds 100RODIV and 101RODIV.
    QList<Drive> Drives() const {
        return {{empty.path(), "EMPTY", true}, {used.path(), "USED", true}};
    }

    std::unique_ptr<DestinationDialog> Open(const QString& driveText) {
        prompter = ScriptedPrompter();
        auto dialog = std::make_unique<DestinationDialog>(Drives(), driveText, prompter);
        dialog->show();
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog.get())) return nullptr;
        return dialog;
    }

    static QString Number(const DestinationDialog& dialog) {
        return dialog.findChild<QLineEdit*>("number")->text();
    }

    QTemporaryDir empty;
    QTemporaryDir used;
    ScriptedPrompter prompter;

private Q_SLOTS:
    void initTestCase() {
        Messages::SetLanguage(Messages::Language::English);
        QDir(used.path()).mkpath("DCIM/100RODIV");
        QDir(used.path()).mkpath("DCIM/101RODIV");
    }

    void opensOnTheGivenDriveWithItsFirstFreeNumber() {
        struct Case {
            QString driveText;
            int index;
            const char* number;
        } const cases[] = {
            {used.path(), 1, "102"},
            {empty.path(), 0, "100"},
            {"/not/a/listed/drive", 0, "100"},
        };
        for (const Case& c : cases) {
            auto dialog = Open(c.driveText);
            QVERIFY(dialog);
            QCOMPARE(dialog->findChild<QComboBox*>("drive")->currentIndex(), c.index);
            QCOMPARE(Number(*dialog), c.number);
            QCOMPARE(dialog->driveText(), Drives().at(c.index).root);
        }
        auto dialog = Open(used.path());
        QVERIFY(dialog);
        QCOMPARE(dialog->findChild<QComboBox*>("drive")->currentText(), used.path() + "  USED");
    }

    void theNumberFollowsTheDrive() {
        auto dialog = Open(empty.path());
        QVERIFY(dialog);
        auto* drive = dialog->findChild<QComboBox*>("drive");
        drive->setCurrentIndex(1);
        QCOMPARE(Number(*dialog), "102");
        QCOMPARE(dialog->driveText(), used.path());
        drive->setCurrentIndex(0);
        QCOMPARE(Number(*dialog), "100");
        QVERIFY(prompter.records.isEmpty());
    }

    void leavingTheFieldPutsTheNumberInRange() {
        struct Case {
            const char* typed;
            const char* shown;
            QList<int> ids;
        } const cases[] = {
            {"42", "100", {msg::FolderNumberRange}},
            {"1x5y0", "150", {}},  // only digits reach the field
            {"12345", "123", {}},  // and at most three
        };
        for (const Case& c : cases) {
            auto dialog = Open(empty.path());
            QVERIFY(dialog);
            auto* number = dialog->findChild<QLineEdit*>("number");
            number->setFocus();
            number->clear();
            QTest::keyClicks(number, c.typed);
            QTest::keyClick(number, Qt::Key_Tab);
            QVERIFY(!number->hasFocus());
            QVERIFY2(number->text() == c.shown, c.typed);
            QVERIFY2(prompter.Ids() == c.ids, c.typed);
        }
    }

    void arrowsStepWithinTheRange() {
        auto dialog = Open(used.path());
        QVERIFY(dialog);
        auto* up = dialog->findChild<QToolButton*>("up");
        auto* down = dialog->findChild<QToolButton*>("down");
        up->click();
        QCOMPARE(Number(*dialog), "103");
        QTest::keyClick(dialog->findChild<QLineEdit*>("number"), Qt::Key_Down);
        down->click();
        QCOMPARE(Number(*dialog), "101");
        dialog->findChild<QLineEdit*>("number")->setText("999");
        up->click();
        QCOMPARE(Number(*dialog), "999");
    }

    void okGivesTheFolderOrStaysOpen() {
        auto dialog = Open(used.path());
        QVERIFY(dialog);
        dialog->findChild<SkinButton*>("ok")->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->chosenFolder(), QDir(used.path()).filePath("DCIM/102RODIV"));
        QCOMPARE(dialog->driveText(), used.path());

        // A taken number asks; Cancel keeps the dialog open with nothing chosen.
        dialog = Open(used.path());
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>("number")->setText("101");
        dialog->findChild<SkinButton*>("ok")->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->chosenFolder(), QString());
        QCOMPARE(prompter.Ids(), QList<int>{msg::FolderNumberExists});
        prompter.confirmAnswers = {true};
        dialog->findChild<SkinButton*>("ok")->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->chosenFolder(), QDir(used.path()).filePath("DCIM/101RODIV"));
    }
};

QTEST_MAIN(DestinationDialogTest)
#include "DestinationDialogTest.moc"
