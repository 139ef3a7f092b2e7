#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include "app/ui/MainDialog.h"
#include "card/ui/ConvertSaveDialog.h"
#include "card/ui/DestinationDialog.h"
#include "core/AppSettings.h"
#include "core/WorkFolders.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/UiTexts.h"
#include "skin/ui/WindowFront.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;

// A whole session in the window: images in, a card chosen, everything saved, the window
// closed without a question.
class SessionTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<MainDialog> MakeWindow() {
        ResetSettings(settings);
        const WorkPaths paths = ChooseWorkPaths(temp.path());
        settings.workFolder = paths.workFolder;
        settings.autoExportFolder = paths.autoExportFolder;
        prompter = ScriptedPrompter();
        auto window = std::make_unique<MainDialog>(settings, space, &prompter);
        window->SetDriveLister([this] { return QList<Drive>{{card->path(), "TESTCARD", true}}; });
        SetMainWindow(window.get());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
        return window;
    }

    void DropImages(MainDialog& window, int count) {
        if (count == 0) return;
        QList<QUrl> urls;
        for (int i = 0; i < count; ++i) {
            const QString path = QDir(temp.path()).filePath(QString("photo %1.jpg").arg(i));
            WriteJpeg(Solid(640, 480, QColor::fromHsv(i * 50, 255, 255)), path);
            urls << QUrl::fromLocalFile(path);
        }
        QMimeData data;
        data.setUrls(urls);
        const QPoint at(400, 200);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
    }

    // Answers the destination dialog: optionally types a number, then OK.
    void AnswerDestination(const QString& number = QString()) {
        QTimer::singleShot(200, [number] {
            auto* dialog = qobject_cast<DestinationDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (!number.isEmpty()) dialog->findChild<QLineEdit*>("number")->setText(number);
            QTest::mouseClick(dialog->findChild<QWidget*>("ok"), Qt::LeftButton);
        });
    }

    // Presses Save All in the convert dialog, then Stop to close it when the run is over.
    void AnswerConvertWithSaveAll() {
        QTimer::singleShot(200, [] {
            auto* dialog = qobject_cast<ConvertSaveDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTest::mouseClick(dialog->findChild<QWidget*>("saveAll"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QWidget*>("stop"), Qt::LeftButton);
        });
    }

    QTemporaryDir temp;
    // A card of its own for each test.
    std::unique_ptr<QTemporaryDir> card = std::make_unique<QTemporaryDir>();
    QTemporaryDir profile;
    AppSettings settings;
    WorkSpace space{QDir::tempPath(), [] { return 10ull << 30; }};
    ScriptedPrompter prompter;

private Q_SLOTS:
    void init() { card = std::make_unique<QTemporaryDir>(); }

    void initTestCase() {
        qputenv("XDG_CONFIG_HOME", profile.path().toUtf8());
        Messages::SetLanguage(Messages::Language::English);
    }

    void importChooseSaveAllAndCloseWithoutAQuestion() {
        auto window = MakeWindow();
        QVERIFY(window);
        DropImages(*window, 3);
        QCOMPARE(window->list().count(), 3);
        QVERIFY(window->unsavedChanges());

        AnswerDestination();
        QTest::mouseClick(window->findChild<QWidget*>("folder"), Qt::LeftButton);
        const QString folder = QDir(card->path()).filePath("DCIM/100RODIV");
        QCOMPARE(settings.cardFolder, folder);
        QCOMPARE(window->findChild<QLabel*>("destination")->text(), folder);

        AnswerConvertWithSaveAll();
        window->ConvertAndSaveCommand();
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 (QStringList{"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"}));
        QVERIFY(!window->unsavedChanges());
        QCOMPARE(settings.lastDestination, folder);
        window->ExitCommand();
        QVERIFY(!window->isVisible());
        QVERIFY(prompter.records.isEmpty());
    }

    void aFolderOfTheNumberWithAnotherSuffixIsUsedAfterTheQuestion() {
        QDir(card->path()).mkpath("DCIM/100ABCDE");
        auto window = MakeWindow();
        QVERIFY(window);
        DropImages(*window, 1);
        prompter.confirmAnswers = {true};
        AnswerDestination("100");
        QTest::mouseClick(window->findChild<QWidget*>("folder"), Qt::LeftButton);
        QCOMPARE(prompter.Ids(), QList<int>{msg::FolderNumberExists});
        QCOMPARE(settings.cardFolder, QDir(card->path()).filePath("DCIM/100ABCDE"));
        AnswerConvertWithSaveAll();
        window->ConvertAndSaveCommand();
        QVERIFY(QFile::exists(QDir(card->path()).filePath("DCIM/100ABCDE/DUVU0001.JPG")));
    }

    // At the end of the user's session Qt asks every window to close, and keeps the session
    // when one refuses. The window asks 105 once; OK ends its loop (the program then empties
    // its work folders), Cancel keeps both the window and the session.
    void theSessionsEndAsksOnceAndOkEndsTheWindow() {
        struct Case {
            const char* name;
            int images;
            std::deque<bool> answers;
            QList<int> asked;
            bool ends;
        } const cases[] = {
            {"unsaved_ok", 1, {true}, {msg::ExitWithoutSaving}, true},
            {"unsaved_cancel", 1, {false}, {msg::ExitWithoutSaving}, false},
            {"nothing_to_lose", 0, {}, {}, true},
        };
        for (const Case& c : cases) {
            auto window = MakeWindow();
            QVERIFY(window);
            DropImages(*window, c.images);
            prompter.confirmAnswers = c.answers;
            bool closed = false;
            bool ended = false;
            QTimer::singleShot(0, window.get(), [&] {
                closed = window->windowHandle()->close();
                if (!closed) window->done(-1);  // the window stays: end the test's loop
            });
            ended = window->exec() != -1;
            QVERIFY2(closed == c.ends, c.name);
            QVERIFY2(ended == c.ends, c.name);
            QVERIFY2(prompter.Ids() == c.asked, c.name);
        }
    }

    // "Another Foler" with no folder: Convert and Save says so and opens the folder browser; a
    // folder picked there is where the convert dialog says the files go, and where they go.
    void anotherFolderWithoutOneSaysSoAndAsksForIt() {
        struct Case {
            const char* name;
            bool pick;
        } const cases[] = {{"browser_cancelled", false}, {"folder_picked", true}};
        for (const Case& c : cases) {
            auto window = MakeWindow();
            QVERIFY(window);
            DropImages(*window, 2);
            QTest::mouseClick(window->findChild<QWidget*>("otherRadio"), Qt::LeftButton);
            QVERIFY(!settings.cardFlag);
            QCOMPARE(window->findChild<QLabel*>("destination")->text(),
                     UiTexts::Text("main.no_folder"));
            QTemporaryDir target;
            bool browserShown = false;
            QString shownDestination;
            // Answers the browser, then the convert dialog should it come up.
            QTimer answer;
            answer.setInterval(20);
            connect(&answer, &QTimer::timeout, window.get(), [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (auto* browser = qobject_cast<QFileDialog*>(modal)) {
                    browserShown = true;
                    if (!c.pick) return browser->reject();
                    browser->setDirectory(target.path());
                    QMetaObject::invokeMethod(browser, "accept");
                } else if (auto* convert = qobject_cast<ConvertSaveDialog*>(modal)) {
                    answer.stop();
                    const auto* line = convert->findChild<QLabel*>("destination");
                    shownDestination = line != nullptr ? line->toolTip() : QStringLiteral("?");
                    convert->SaveAll();
                    convert->Stop();
                }
            });
            answer.start();
            window->ConvertAndSaveCommand();
            answer.stop();
            QVERIFY2(browserShown, c.name);
            QVERIFY2(prompter.records.size() == 1, c.name);
            QCOMPARE(prompter.records.first().kind, ScriptedPrompter::Kind::Plain);
            QCOMPARE(prompter.records.first().text, UiTexts::Text("convert.no_folder"));
            if (!c.pick) {
                QVERIFY2(shownDestination.isEmpty(), "the convert dialog opened without a folder");
                continue;
            }
            QCOMPARE(shownDestination, target.path());
            QCOMPARE(QDir(target.path()).entryList(QDir::Files),
                     (QStringList{"DUVU0001.JPG", "DUVU0002.JPG"}));
            QCOMPARE(window->findChild<QLabel*>("destination")->text(), target.path());
        }
    }

    // The same for a card: the destination dialog cancelled, nothing opens that could only fail.
    void aCancelledCardDestinationOpensNoConvertDialog() {
        auto window = MakeWindow();
        QVERIFY(window);
        DropImages(*window, 1);
        QStringList shown;
        QTimer answer;
        answer.setInterval(20);
        connect(&answer, &QTimer::timeout, window.get(), [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr || modal == window.get()) return;
            shown << modal->objectName();
            qobject_cast<QDialog*>(modal)->reject();
        });
        answer.start();
        window->ConvertAndSaveCommand();
        answer.stop();
        QCOMPARE(shown, QStringList{"destinationDialog"});
        QVERIFY(prompter.records.isEmpty());
    }

    void convertWithAnEmptyListSays116() {
        auto window = MakeWindow();
        QVERIFY(window);
        window->ConvertAndSaveCommand();
        QCOMPARE(prompter.Ids(), QList<int>{msg::NoImages});
    }

    void aCardWithAnOptionOffAsksFirst() {
        auto window = MakeWindow();
        QVERIFY(window);
        DropImages(*window, 1);
        settings.exifOption = false;
        prompter.confirmAnswers = {false};
        window->ConvertAndSaveCommand();
        QCOMPARE(prompter.Ids(), QList<int>{msg::ConfirmDcf});
        settings.exifOption = true;
        settings.thumbnailOption = false;
        prompter.confirmAnswers = {false};
        window->ConvertAndSaveCommand();
        QCOMPARE(prompter.Ids(), (QList<int>{msg::ConfirmDcf, msg::ConfirmThumbnail}));
    }
};

QTEST_MAIN(SessionTest)
#include "SessionTest.moc"
