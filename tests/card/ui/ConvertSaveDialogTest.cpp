#include "card/ui/ConvertSaveDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "card/ui/FillChoice.h"
#include "core/FolderLock.h"
#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinConstants.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

using namespace testimages;

class ConvertSaveDialogTest : public QObject {
    Q_OBJECT

private:
    void Fill(int count) {
        list = std::make_unique<WorkingList>();
        ImageLoader loader(*list, prompter, temp.filePath("work"));
        for (int i = 0; i < count; ++i) {
            const QString path = temp.filePath(QString("in%1.jpg").arg(i));
            WriteJpeg(Solid(320, 240, QColor::fromHsv(i * 30, 255, 255)), path);
            QCOMPARE(loader.AddImage(path, 0, 0), 1);
        }
        unsaved = true;
        prompter = ScriptedPrompter();
        settings = ConvertSettings();
        ++run;
        settings.destination = Card();
    }

    // Each test writes onto a card of its own.
    QString Card() const { return temp.filePath(QString("card%1/DCIM/100RODIV").arg(run)); }

    QStringList Written() const {
        return QDir(Card()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir temp;
    std::unique_ptr<WorkingList> list;
    ScriptedPrompter prompter;
    ConvertSettings settings;
    bool unsaved = true;
    QString last;
    int run = 0;

private Q_SLOTS:
    void initTestCase() { Messages::SetLanguage(Messages::Language::English); }

    // Save on the last image writes it alone and stays there; Save All then writes every image
    // at the size chosen (writing every image is SessionTest's, through the window).
    void prevNextSaveOnTheLastImageAndSaveAllAtTheChosenSize() {
        Fill(3);
        ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
        QCOMPARE(dialog.positionText(), QString("Slides: 1 / 3"));
        QVERIFY(!dialog.findChild<QWidget*>("previous")->isEnabled());
        dialog.Next();
        dialog.Next();
        QCOMPARE(dialog.positionText(), QString("Slides: 3 / 3"));
        QVERIFY(!dialog.findChild<QWidget*>("next")->isEnabled());
        QVERIFY(dialog.findChild<QWidget*>("previous")->isEnabled());
        dialog.SaveCurrent();
        QCOMPARE(Written(), QStringList{"DUVU0003.JPG"});
        QCOMPARE(dialog.position(), 3);
        QVERIFY(!unsaved);
        auto* sizes = dialog.findChild<QComboBox*>("sizes");
        QCOMPARE(sizes->currentIndex(), 1);  // SVGA unless chosen
        sizes->setCurrentIndex(4);           // Full HD
        prompter.overwriteAnswers = {overwrite::OverwriteAll};
        dialog.SaveAll();
        QCOMPARE(dialog.sizeIndex(), 4);
        const vips::VImage written =
            vips::VImage::new_from_file(QFile::encodeName(QDir(Card()).filePath("DUVU0002.JPG")));
        QCOMPARE(written.width(), 1920);
        QCOMPARE(written.height(), 1080);
        QVERIFY(dialog.findChild<QWidget*>("saveAll")->isEnabled());
    }

    // The dialog opens on the fill chosen; the colour entry asks for the colour (a cancelled
    // question keeps the last choice), and the choice reaches the written file.
    void theFillIsChosenAndWritten() {
        Fill(1);
        settings.fill = FrameFill{FrameFill::Kind::Blur};
        ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
        auto* fills = dialog.findChild<FillChoice*>("fills");
        std::optional<QColor> answer;
        fills->SetColourPicker([&](QColor) { return answer; });
        QTest::keyClick(fills, Qt::Key_Down);  // the colour entry, its question cancelled
        QCOMPARE(dialog.fill(), FrameFill{FrameFill::Kind::Blur});
        QCOMPARE(fills->currentIndex(), 1);
        answer = QColor(0x20, 0x40, 0xFF);
        QTest::keyClick(fills, Qt::Key_Down);
        QCOMPARE(dialog.fill(), (FrameFill{FrameFill::Kind::Colour, 0x2040FF}));
        dialog.findChild<QComboBox*>("sizes")->setCurrentIndex(4);  // Full HD: bars at the sides
        dialog.SaveCurrent();
        const QColor side = PixelAt(QDir(Card()).filePath("DUVU0001.JPG"), 20, 540);
        QVERIFY2(qAbs(side.red() - 0x20) < 12 && qAbs(side.green() - 0x40) < 12 &&
                     qAbs(side.blue() - 0xFF) < 12,
                 qPrintable(side.name()));
    }

    // After Save All the dialog says what the run did, and its way out is Close again.
    void theEndOfSaveAllSaysWhatItDid() {
        using namespace overwrite;
        struct Case {
            const char* existing;  // on the card before the run; "x/": the folder cannot be made
            std::deque<int> answers;
            const char* result;
        } const cases[] = {
            {"", {}, "Done.\nWritten: 3 of 3 images"},
            {"DUVU0001.JPG DUVU0002.JPG DUVU0003.JPG",
             {No, No, No},
             "Done.\nWritten: 0 of 3 images\nSkipped: 3"},
            {"DUVU0002.JPG", {Cancel}, "Stopped before the end.\nWritten: 1 of 3 images"},
            {"x/", {}, "Stopped before the end.\nWritten: 0 of 3 images\nFailed: 1"},
        };
        for (const Case& c : cases) {
            Fill(3);
            QDir().mkpath(Card());
            for (const QString& name : QString(c.existing).split(' ', Qt::SkipEmptyParts)) {
                QFile file(QDir(Card()).filePath(name.chopped(name.endsWith('/'))));
                QVERIFY(file.open(QIODevice::WriteOnly));
                if (name.endsWith('/')) settings.destination = file.fileName() + "/DCIM";
            }
            prompter.overwriteAnswers = c.answers;
            ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
            auto* way = dialog.findChild<SkinButton*>("stop");
            int duringRun = 0;
            connect(list.get(), &QAbstractItemModel::dataChanged, &dialog,
                    [&] { duringRun = way->CurrentBitmap(); });
            dialog.SaveAll();
            QCOMPARE(dialog.progressText(), QString(c.result));
            QCOMPARE(way->CurrentBitmap(), skin::kCloseButton.normal);
            if (duringRun != 0) QCOMPARE(duringRun, skin::kStopButton.normal);
        }
    }

    // Stop and Escape both ask 147 during a run; OK stops it before the next image, Cancel
    // goes on.
    void stoppingDuringSaveAllAsksAndStopsBeforeTheNextImage_data() {
        QTest::addColumn<bool>("escape");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("written");
        QTest::newRow("stop_ok") << false << true << 1;
        QTest::newRow("escape_ok") << true << true << 1;
        QTest::newRow("stop_cancel") << false << false << 6;
    }

    void stoppingDuringSaveAllAsksAndStopsBeforeTheNextImage() {
        QFETCH(bool, escape);
        QFETCH(bool, ok);
        QFETCH(int, written);
        Fill(6);
        ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        prompter.confirmAnswers = {ok};
        bool stopped = false;
        connect(list.get(), &QAbstractItemModel::dataChanged, &dialog, [&] {
            if (stopped || !list->at(0).saved) return;
            stopped = true;
            QTimer::singleShot(0, &dialog, [&] {
                if (escape) return QTest::keyClick(&dialog, Qt::Key_Escape);
                QTest::mouseClick(dialog.findChild<QWidget*>("stop"), Qt::LeftButton);
            });
        });
        dialog.SaveAll();
        QCOMPARE(prompter.Ids(), QList<int>{msg::ConfirmStop});
        QCOMPARE(Written().size(), written);
        QCOMPARE(Written().first(), "DUVU0001.JPG");
        QVERIFY(dialog.isVisible() && !dialog.running());
    }

    // Another run (a batch run) writes into the folder: Save All waits with the window alive,
    // and writes once the other run has ended.
    void aFolderAnotherRunWritesIsWaitedFor() {
        Fill(2);
        QDir().mkpath(Card());
        FolderLock other;
        QCOMPARE(other.Take(Card()), FolderLock::Result::Held);
        ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* text = dialog.findChild<QLabel*>("progressText");
        bool waited = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (waited || text->text() != "Waiting for another run writing into this folder...")
                return;
            waited = true;
            other.Release();
        });
        poll.start(20);
        dialog.SaveAll();
        QVERIFY(waited);
        QCOMPARE(Written(), (QStringList{"DUVU0001.JPG", "DUVU0002.JPG"}));
        QCOMPARE(text->text(), QString("Done.\nWritten: 2 of 2 images"));
        QVERIFY(!dialog.running());
    }
};

QTEST_MAIN(ConvertSaveDialogTest)
#include "ConvertSaveDialogTest.moc"
