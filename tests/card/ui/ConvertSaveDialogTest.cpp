#include "card/ui/ConvertSaveDialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>

#include "core/WorkingList.h"
#include "imaging/ImageLoader.h"
#include "skin/MessageIds.h"
#include "skin/MessageTexts.h"
#include "skin/Prompter.h"
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
        ImageLoader loader(*list, prompter, QDir(temp.path()).filePath("work"));
        for (int i = 0; i < count; ++i) {
            const QString path = QDir(temp.path()).filePath(QString("in%1.jpg").arg(i));
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
    QString Card() const {
        return QDir(temp.path()).filePath(QString("card%1/DCIM/100RODIV").arg(run));
    }

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

    void prevNextAndTheCount() {
        Fill(3);
        ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
        QCOMPARE(dialog.positionText(), QString("Slides: 1 / 3"));
        QVERIFY(!dialog.findChild<QWidget*>("previous")->isEnabled());
        dialog.Next();
        dialog.Next();
        QCOMPARE(dialog.positionText(), QString("Slides: 3 / 3"));
        QVERIFY(!dialog.findChild<QWidget*>("next")->isEnabled());
        QVERIFY(dialog.findChild<QWidget*>("previous")->isEnabled());
    }

    void saveOnTheLastImageKeepsThePosition() {
        Fill(3);
        ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
        dialog.Next();
        dialog.Next();
        dialog.SaveCurrent();
        QCOMPARE(Written(), QStringList{"DUVU0003.JPG"});
        QCOMPARE(dialog.position(), 3);
        QVERIFY(!unsaved);
        QCOMPARE(last, Card());
    }

    void saveAllWritesEveryImageAndTheChosenSize() {
        Fill(3);
        ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
        dialog.findChild<QComboBox*>("sizes")->setCurrentIndex(0);  // XGA
        dialog.SaveAll();
        QCOMPARE(Written(), (QStringList{"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"}));
        QCOMPARE(dialog.sizeIndex(), 0);
        const vips::VImage written =
            vips::VImage::new_from_file(QFile::encodeName(QDir(Card()).filePath("DUVU0002.JPG")));
        QCOMPARE(written.width(), 1024);
        QVERIFY(!unsaved);
        QVERIFY(dialog.findChild<QWidget*>("saveAll")->isEnabled());
    }

    // After Save All the dialog says what the run did, and its way out is Close again.
    void theEndOfSaveAllSaysWhatItDid() {
        struct Case {
            const char* name;
            QStringList existing;  // files on the card before the run
            std::deque<int> answers;
            bool unwritable;
            QStringList result;
        } const cases[] = {
            {"all_written", {}, {}, false, {"Done.", "Written: 3 of 3 images"}},
            {"all_answered_no",
             {"DUVU0001.JPG", "DUVU0002.JPG", "DUVU0003.JPG"},
             {overwrite::No, overwrite::No, overwrite::No},
             false,
             {"Done.", "Written: 0 of 3 images", "Skipped: 3"}},
            {"one_skipped",
             {"DUVU0002.JPG"},
             {overwrite::No},
             false,
             {"Done.", "Written: 2 of 3 images", "Skipped: 1"}},
            {"cancel_at_the_second",
             {"DUVU0002.JPG"},
             {overwrite::Cancel},
             false,
             {"Stopped before the end.", "Written: 1 of 3 images"}},
            {"the_folder_cannot_be_made",
             {},
             {},
             true,
             {"Stopped before the end.", "Written: 0 of 3 images", "Failed: 1"}},
        };
        for (const Case& c : cases) {
            Fill(3);
            QDir().mkpath(Card());
            for (const QString& name : c.existing) {
                QFile file(QDir(Card()).filePath(name));
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
            // A file where the folder's parent should be: the folder cannot be made.
            if (c.unwritable) {
                const QString blocker = QDir(Card()).filePath("blocker");
                QFile file(blocker);
                QVERIFY(file.open(QIODevice::WriteOnly));
                settings.destination = blocker + "/DCIM/100RODIV";
            }
            prompter.overwriteAnswers = c.answers;
            ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
            auto* way = dialog.findChild<SkinButton*>("stop");
            QCOMPARE(way->CurrentBitmap(), skin::kCloseButton.normal);
            int duringRun = 0;
            connect(list.get(), &QAbstractItemModel::dataChanged, &dialog,
                    [&] { duringRun = way->CurrentBitmap(); });
            dialog.SaveAll();
            QVERIFY2(dialog.progressText().split('\n') == c.result,
                     qPrintable(QStringLiteral("%1: %2").arg(c.name, dialog.progressText())));
            QVERIFY2(way->CurrentBitmap() == skin::kCloseButton.normal, c.name);
            // Seen whenever an image was written meanwhile.
            const bool wroteAny = !c.unwritable && c.existing.size() < 3;
            QVERIFY2(!wroteAny || duringRun == skin::kStopButton.normal, c.name);
            QVERIFY2(prompter.unanswered == 0, c.name);
        }
    }

    // Stop, Escape and the title band's close button all ask 147 during a run; OK stops it
    // before the next image.
    void stoppingDuringSaveAllAsksAndStopsBeforeTheNextImage() {
        enum class Way { StopButton, Escape, CloseButton };
        const std::pair<const char*, Way> ways[] = {
            {"stop_button", Way::StopButton},
            {"escape", Way::Escape},
            {"close_button", Way::CloseButton},
        };
        for (const auto& [name, way] : ways) {
            Fill(6);
            ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            prompter.confirmAnswers = {true};
            bool stopped = false;
            connect(list.get(), &QAbstractItemModel::dataChanged, &dialog, [&] {
                if (stopped || !list->at(0).saved) return;
                stopped = true;
                QTimer::singleShot(0, &dialog, [&] {
                    if (way == Way::StopButton) {
                        QTest::mouseClick(dialog.findChild<QWidget*>("stop"), Qt::LeftButton);
                    } else if (way == Way::Escape) {
                        QTest::keyClick(&dialog, Qt::Key_Escape);
                    } else {
                        QTest::mouseClick(dialog.findChild<QWidget*>("close"), Qt::LeftButton);
                    }
                });
            });
            dialog.SaveAll();
            QVERIFY2(stopped, name);
            QVERIFY2(prompter.Ids() == QList<int>{msg::ConfirmStop}, name);
            QVERIFY2(Written() == QStringList{"DUVU0001.JPG"}, name);
            QVERIFY2(!dialog.running(), name);
            QVERIFY2(dialog.isVisible(), name);
        }
    }

    void stopAnsweredCancelGoesOn() {
        Fill(3);
        ConvertSaveDialog dialog(*list, settings, prompter, unsaved, last);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        prompter.confirmAnswers = {false};
        bool clicked = false;
        connect(list.get(), &QAbstractItemModel::dataChanged, this, [&] {
            if (clicked || !list->at(0).saved) return;
            clicked = true;
            QTimer::singleShot(
                0, [&] { QTest::mouseClick(dialog.findChild<QWidget*>("stop"), Qt::LeftButton); });
        });
        dialog.SaveAll();
        QCOMPARE(Written().size(), 3);
    }
};

QTEST_MAIN(ConvertSaveDialogTest)
#include "ConvertSaveDialogTest.moc"
