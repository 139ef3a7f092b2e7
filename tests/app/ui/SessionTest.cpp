#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include "app/ui/MainDialog.h"
#include "card/ui/ConvertSaveDialog.h"
#include "card/ui/DestinationDialog.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "tests/support/TestImages.h"
#include "tests/support/window/TestWindow.h"

using namespace testimages;

// A whole session in the window: images in, a card chosen, everything saved, the window
// closed without a question.
class SessionTest : public QObject {
    Q_OBJECT

private:
    // A fresh window with count photos dropped on it.
    void MakeWindowWithImages(int count) {
        fixture.drives = [this] { return QList<Drive>{{card->path(), "TESTCARD", true}}; };
        window = fixture.Make();
        QVERIFY(window);
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            paths << QDir(fixture.temp.path()).filePath(QString("photo %1.jpg").arg(i));
            WriteJpeg(Solid(640, 480, QColor::fromHsv(i * 50, 255, 255)), paths.last());
        }
        TestWindow::Drop(window.get(), paths);
        QCOMPARE(window->list().count(), count);
    }

    // Clicks the named buttons, in order, in the next modal dialog, which must be of the class
    // named.
    void ClickInNextDialog(const char* className, const QStringList& buttons) {
        QTimer::singleShot(200, [className, buttons] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            QCOMPARE(dialog->metaObject()->className(), className);
            for (const QString& name : buttons)
                QTest::mouseClick(dialog->findChild<QWidget*>(name), Qt::LeftButton);
        });
    }

    // A card of its own for each test.
    std::unique_ptr<QTemporaryDir> card = std::make_unique<QTemporaryDir>();
    TestWindow fixture;
    std::unique_ptr<MainDialog> window;

private Q_SLOTS:
    void init() { card = std::make_unique<QTemporaryDir>(); }

    // The card check's findings are the only messages: a card that is no FAT card (the test's
    // folder) is named, and what another computer left is removed after the yes.
    void importChooseSaveAllAndCloseWithoutAQuestion() {
        WriteBytes(QDir(card->path()).filePath("._photo 1.jpg"), "resource fork");
        MakeWindowWithImages(3);

        ClickInNextDialog("DestinationDialog", {"ok"});
        QTest::mouseClick(window->findChild<QWidget*>("folder"), Qt::LeftButton);
        const QString folder = QDir(card->path()).filePath("DCIM/100RODIV");
        QCOMPARE(fixture.settings.cardFolder, folder);
        QCOMPARE(window->findChild<QLabel*>("destination")->text(), folder);

        ClickInNextDialog("ConvertSaveDialog", {"saveAll", "stop"});
        fixture.prompter.confirmAnswers = {true};
        window->ConvertAndSaveCommand();
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 (QStringList{"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"}));
        QVERIFY(!window->unsavedChanges());
        QCOMPARE(fixture.prompter.records.size(), 2);
        QVERIFY(fixture.prompter.records[0].text.startsWith("This card uses the "));
        QCOMPARE(fixture.prompter.records[1].kind, ScriptedPrompter::Kind::Confirm);
        QVERIFY(fixture.prompter.records[1].text.contains("/._photo 1.jpg\n"));
        QCOMPARE(
            QDir(card->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"DCIM"});
        // Each card is looked at once: the next Convert and Save asks only about the numbers.
        fixture.prompter.records.clear();
        fixture.prompter.overwriteAnswers = {overwrite::OverwriteAll};
        ClickInNextDialog("ConvertSaveDialog", {"saveAll", "stop"});
        window->ConvertAndSaveCommand();
        QCOMPARE(fixture.prompter.records.size(), 1);
        QCOMPARE(fixture.prompter.records[0].kind, ScriptedPrompter::Kind::Overwrite);
        window->ExitCommand();
        QVERIFY(!window->isVisible());
    }

    // At the end of the user's session Qt asks every window to close, and keeps the session
    // when one refuses. The window asks 105 once; OK ends its loop (the program then empties
    // its work folders), Cancel keeps the window and the session.
    void theSessionsEndAsksOnce() {
        for (const bool ok : {true, false}) {
            MakeWindowWithImages(1);
            fixture.prompter.confirmAnswers = {ok};
            bool closed = false;
            QTimer::singleShot(0, window.get(), [&] {
                closed = window->windowHandle()->close();
                if (!closed) window->done(-1);
            });
            QCOMPARE(window->exec() != -1, ok);
            QCOMPARE(closed, ok);
            QCOMPARE(fixture.prompter.Ids(), QList<int>{msg::ExitWithoutSaving});
        }
    }

    // Convert and Save with no destination asks for one ("Another Foler": after saying so,
    // through the folder browser) and opens the convert dialog only with one (here the card's
    // dialog is cancelled); the dialog shows where the files go.
    void aMissingDestinationIsAskedForFirst() {
        for (const bool card : {false, true}) {
            MakeWindowWithImages(2);
            if (!card) QTest::mouseClick(window->findChild<QWidget*>("otherRadio"), Qt::LeftButton);
            QTemporaryDir target;
            QStringList shown;
            QTimer answer;
            connect(&answer, &QTimer::timeout, window.get(), [&] {
                auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                if (modal == nullptr || modal == window.get()) return;
                answer.stop();
                shown << modal->metaObject()->className();
                if (auto* convert = qobject_cast<ConvertSaveDialog*>(modal)) {
                    shown << convert->findChild<QLabel*>("destination")->toolTip();
                    convert->SaveAll();
                    return convert->Stop();
                }
                if (card) return modal->reject();
                qobject_cast<QFileDialog*>(modal)->setDirectory(target.path());
                QMetaObject::invokeMethod(modal, "accept");
                answer.start();
            });
            answer.start(20);
            window->ConvertAndSaveCommand();
            answer.stop();
            if (card) {
                QCOMPARE(shown, QStringList{"DestinationDialog"});
                QVERIFY(fixture.prompter.records.isEmpty());
                continue;
            }
            QCOMPARE(shown, (QStringList{"QFileDialog", "ConvertSaveDialog", target.path()}));
            QCOMPARE(fixture.prompter.records.size(), 1);
            QCOMPARE(fixture.prompter.records.first().text, UiTexts::Text("convert.no_folder"));
            QCOMPARE(QDir(target.path()).entryList(QDir::Files).size(), 2);
        }
    }

    void aCardWithAnOptionOffAsksFirst() {
        MakeWindowWithImages(1);
        fixture.settings.exifOption = false;
        fixture.prompter.confirmAnswers = {false};
        window->ConvertAndSaveCommand();
        QCOMPARE(fixture.prompter.Ids(), QList<int>{msg::ConfirmDcf});
        fixture.settings.exifOption = true;
        fixture.settings.thumbnailOption = false;
        fixture.prompter.confirmAnswers = {false};
        window->ConvertAndSaveCommand();
        QCOMPARE(fixture.prompter.Ids(), (QList<int>{msg::ConfirmDcf, msg::ConfirmThumbnail}));
    }
};

QTEST_MAIN(SessionTest)
#include "SessionTest.moc"
