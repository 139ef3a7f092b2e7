#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "card/Destination.h"
#include "card/ui/DestinationDialog.h"
#include "skin/MessageTexts.h"
#include "tests/support/ProgramRun.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

// The cards as the desktop's disk service tells of them, with the service played by
// python3-dbusmock on a private bus (tests/support/with-udisks.sh): a system disk, a card
// mounted in a USB reader and one not mounted; the Drive list follows the service, and --eject
// unmounts the card and powers its reader off through it.
class CardDrivesTest : public QObject {
    Q_OBJECT

private:
    // A method of the stand-in's own interface, on its root object.
    static QDBusMessage Mock(const QString& method, const QVariantList& arguments = {}) {
        QDBusMessage call =
            QDBusMessage::createMethodCall("org.freedesktop.UDisks2", "/org/freedesktop/UDisks2",
                                           "org.freedesktop.DBus.Mock", method);
        call.setArguments(arguments);
        return QDBusConnection::systemBus().call(call);
    }

    static QDBusObjectPath AddDrive(const QString& name, bool removable, bool canPowerOff) {
        return Mock("AddDrive", {name, removable, canPowerOff, QString("usb")})
            .arguments()
            .value(0)
            .value<QDBusObjectPath>();
    }

    void InsertCard() {
        Mock("AddBlock",
             {QString("sdb1"), QVariant::fromValue(reader), QString("CARD"), QString("vfat"),
              QString("FAT32"), quint64(8'000'000'000), false, card.path()});
    }

    // The batch run writing one image onto the card, then ejecting it.
    ProgramRun RunEject() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", temp.path());
        return RunProgram(VC_PROGRAM,
                          {"--batch", "--card", card.path(), "--eject", "--lang", "en",
                           "--on-conflict", "next", image},
                          environment, 60000);
    }

    QTemporaryDir temp;
    QTemporaryDir card;  // where the card is mounted
    QString image = temp.filePath("photo.jpg");
    QDBusObjectPath reader;
    ScriptedPrompter prompter;

private Q_SLOTS:
    void initTestCase() {
        Messages::SetLanguage(Messages::Language::English);
        testimages::WriteJpeg(testimages::Solid(64, 48, Qt::red), image);
        QVERIFY2(Mock("CallOrder").type() == QDBusMessage::ReplyMessage,
                 "the disk service's stand-in is not on the bus");
        Mock("AddBlock", {QString("sda2"), QVariant::fromValue(AddDrive("ssd", false, false)),
                          QString("System"), QString("ext4"), QString(), quint64(500'000'000'000),
                          true, QString("/")});
        reader = AddDrive("reader", true, true);
        InsertCard();
        Mock("AddBlock", {QString("sdc1"), QVariant::fromValue(AddDrive("reader2", true, false)),
                          QString("OTHER"), QString("vfat"), QString("FAT16"),
                          quint64(2'000'000'000), false, QString()});
    }

    void theListHoldsOnlyTheMountedCardAndFollowsIt() {
        // The label, size and file system as the service tells them; what the dialog makes of a
        // list is DestinationDialogTest's.
        DestinationDialog dialog(ListDrives, QString(), prompter);
        dialog.show();
        auto* list = dialog.findChild<QComboBox*>("drive");
        QCOMPARE(list->count(), 1);
        QCOMPARE(dialog.driveText(), card.path());
        const QRegularExpression text(" {2}CARD {2}\\(8\\.0 GB, [^,]+ free, FAT32\\)$");
        QVERIFY2(text.match(list->currentText()).hasMatch(), qPrintable(list->currentText()));
        // Pulled: gone from the list; inserted again: back, selected.
        Mock("RemoveBlock", {QString("sdb1")});
        QTRY_COMPARE(list->count(), 0);
        InsertCard();
        QTRY_COMPARE(list->count(), 1);
        QCOMPARE(dialog.driveText(), card.path());
    }

    // Unmount, then the USB reader's power off; exit 0 only then.
    void ejectUnmountsThenPowersOff() {
        const ProgramRun run = RunEject();
        QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.err.contains("vimbrelcastor: You can remove the card now.\n"),
                 qPrintable(run.err));
        QCOMPARE(Mock("CallOrder").arguments().value(0).toStringList(),
                 (QStringList{"Unmount sdb1", "PowerOff reader"}));
        QVERIFY(ListDrives().isEmpty());
    }

    // A program working in the card keeps it mounted: it is named, nothing is powered off.
    void aBusyCardIsNamedAndStays() {
        Mock("RemoveBlock", {QString("sdb1")});
        InsertCard();
        Mock("FailUnmount", {QString("sdb1"), QString("org.freedesktop.UDisks2.Error.DeviceBusy"),
                             QString("Error unmounting /dev/sdb1: target is busy")});
        QProcess user;
        user.setWorkingDirectory(card.path());
        user.start("sleep", {"60"});
        QVERIFY(user.waitForStarted());
        const ProgramRun run = RunEject();
        user.kill();
        user.waitForFinished();
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("The card is still in use by: sleep."), qPrintable(run.err));
        QCOMPARE(Mock("CallOrder").arguments().value(0).toStringList(),
                 (QStringList{"Unmount sdb1", "PowerOff reader", "Unmount sdb1"}));
        QCOMPARE(ListDrives().size(), 1);
    }
};

QTEST_MAIN(CardDrivesTest)
#include "CardDrivesTest.moc"
