#include "card/ui/DestinationDialog.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/SkinButton.h"
#include "tests/support/ScriptedPrompter.h"

class DestinationDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<DestinationDialog> Open(const QString& driveText) {
        prompter = ScriptedPrompter();
        drives = {{empty.path(), "EMPTY", true}, {used.path(), "USED", true}};
        auto dialog =
            std::make_unique<DestinationDialog>([this] { return drives; }, driveText, prompter);
        dialog->show();
        dialog->activateWindow();
        if (!QTest::qWaitForWindowActive(dialog.get())) return nullptr;
        number = dialog->findChild<QLineEdit*>("number");
        return dialog;
    }

    QTemporaryDir empty;
    QTemporaryDir used;   // holds 100RODIV and 101RODIV
    QList<Drive> drives;  // the cards mounted now
    ScriptedPrompter prompter;
    QLineEdit* number = nullptr;  // of the dialog opened last

private Q_SLOTS:
    void initTestCase() {
        Messages::SetLanguage(Messages::Language::English);
        QDir(used.path()).mkpath("DCIM/100RODIV");
        QDir(used.path()).mkpath("DCIM/101RODIV");
    }

    // The dialog opens on the given drive (the first when it is not listed) and proposes the
    // first free number of the drive selected; the arrows step it. A taken number asks first:
    // Cancel keeps the dialog open with nothing chosen, OK takes it.
    void theNumberFollowsTheDriveAndATakenOneAsksFirst() {
        auto dialog = Open("/not/a/listed/drive");
        QVERIFY(dialog);
        QCOMPARE(dialog->driveText(), empty.path());
        dialog = Open(used.path());
        QVERIFY(dialog);
        auto* drive = dialog->findChild<QComboBox*>("drive");
        QCOMPARE(number->text(), "102");
        drive->setCurrentIndex(0);
        QCOMPARE(number->text(), "100");
        QCOMPARE(dialog->driveText(), empty.path());
        drive->setCurrentIndex(1);
        QCOMPARE(number->text(), "102");
        QCOMPARE(dialog->driveText(), used.path());
        dialog->findChild<QToolButton*>("up")->click();
        QCOMPARE(number->text(), "103");
        QTest::keyClick(number, Qt::Key_Down);
        dialog->findChild<QToolButton*>("down")->click();
        QCOMPARE(number->text(), "101");
        prompter.confirmAnswers = {false, true};
        dialog->findChild<SkinButton*>("ok")->click();
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->chosenFolder(), QString());
        QCOMPARE(prompter.Ids(), QList<int>{msg::FolderNumberExists});
        dialog->findChild<SkinButton*>("ok")->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(dialog->chosenFolder(), QDir(used.path()).filePath("DCIM/101RODIV"));
    }

    // Which texts are out of range is DcfNumbering's; leaving the field checks it.
    void leavingTheFieldPutsTheNumberInRange() {
        auto dialog = Open(empty.path());
        QVERIFY(dialog);
        number->setFocus();
        number->clear();
        QTest::keyClicks(number, "42");
        QTest::keyClick(number, Qt::Key_Tab);
        QCOMPARE(number->text(), "100");
        QCOMPARE(prompter.Ids(), QList<int>{msg::FolderNumberRange});
    }

    // Without a card the list asks for one and OK does nothing; a card inserted fills it in,
    // selected, with its first free number; pulling the selected card selects the other.
    void theListFollowsTheCards() {
        auto dialog = Open(used.path());
        QVERIFY(dialog);
        auto* drive = dialog->findChild<QComboBox*>("drive");
        auto* ok = dialog->findChild<SkinButton*>("ok");
        drives.clear();
        dialog->UpdateDrives();
        QCOMPARE(drive->count(), 0);
        QCOMPARE(drive->placeholderText(), "Please insert a memory card");
        QVERIFY(!ok->isEnabled());
        QTest::keyClick(number, Qt::Key_Return);
        QVERIFY(dialog->isVisible());
        drives = {{used.path(), "USED", true, "FAT32", 8'000'000'000, 3'100'000'000}};
        dialog->UpdateDrives();
        QVERIFY(ok->isEnabled());
        QCOMPARE(drive->currentText(), used.path() + "  USED  (8.0 GB, 3.1 GB free, FAT32)");
        QCOMPARE(number->text(), "102");
        drives.prepend({empty.path(), "EMPTY", true});
        dialog->UpdateDrives();
        QCOMPARE(dialog->driveText(), used.path());
        drives.removeLast();
        dialog->UpdateDrives();
        QCOMPARE(dialog->driveText(), empty.path());
        QCOMPARE(number->text(), "100");
        QVERIFY(prompter.records.isEmpty());
    }
};

QTEST_MAIN(DestinationDialogTest)
#include "DestinationDialogTest.moc"
