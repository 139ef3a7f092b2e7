#include <signal.h>

#include <QRegularExpression>
#include <QSet>

#include "ProgramFixture.h"
#include "tests/support/Corpus.h"

using namespace testimages;

namespace {

// Batch runs side by side on one card, killed, stopped by a signal, sent through a link, or
// given images that fail. No file is ever lost, left half-written or written off the card.
class BatchCardTest : public ProgramFixture {
protected:
    // Until the running program has put something into the card folder.
    bool WaitForFirstEntry(QProcess& process) const {
        while (Entries(folder).isEmpty()) {
            if (process.waitForFinished(5)) return false;
        }
        return true;
    }

    QStringList LeftBehind() const {
        return Entries(folder).filter(QRegularExpression("^\\.vimbrelcastor-.*\\.tmp$")) +
               Entries(tmp).filter("vimbrelcastorBatch-");
    }
};

// Two runs into one folder: each writes all its images at consecutive numbers, or says that
// the folder is busy and writes nothing. Every file on the card is one run's image.
TEST_F(BatchCardTest, TwoRunsIntoOneFolderNeverShareANumber) {
    constexpr int kImages = 30;
    const auto colour = [](int run, int i) {  // run 0 red, run 1 blue; green tells the image
        return QColor(run == 0 ? 230 : 20, 10 + 6 * i, run == 0 ? 20 : 230);
    };
    const QString inputs[2] = {Images("in0", kImages, [&](int i) { return colour(0, i); }),
                               Images("in1", kImages, [&](int i) { return colour(1, i); })};
    enum class Second { Together, DuringFirst, AfterFirst };
    const Second trials[] = {Second::Together, Second::Together,    Second::Together,
                             Second::Together, Second::DuringFirst, Second::AfterFirst};
    for (const Second second : trials) {
        SCOPED_TRACE(int(second));
        QDir(card + "/DCIM").removeRecursively();
        QProcess processes[2];
        Start(processes[0], OnCard({"--folder", "100", "--on-conflict", "next", inputs[0]}));
        if (second == Second::DuringFirst) {
            ASSERT_TRUE(WaitForFirstEntry(processes[0]));
        } else if (second == Second::AfterFirst) {
            ASSERT_TRUE(processes[0].waitForFinished(120000));
        }
        Start(processes[1], OnCard({"--folder", "100", "--on-conflict", "next", inputs[1]}));
        QSet<QString> written;
        for (int run = 0; run < 2; ++run) {
            const ProgramRun r = Finish(processes[run]);
            ASSERT_TRUE(r.finished);
            if (r.exitCode == 1 && r.out.isEmpty() && r.err.contains("Another run is writing")) {
                continue;
            }
            ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
            ASSERT_EQ(r.out.size(), kImages);
            const int first = r.out[0].right(8).left(4).toInt();
            for (int i = 0; i < kImages; ++i) {
                EXPECT_EQ(r.out[i],
                          folder + QString("/DUVU%1.JPG").arg(first + i, 4, 10, QChar('0')));
                EXPECT_FALSE(written.contains(r.out[i])) << "a number taken twice";
                written.insert(r.out[i]);
                const QColor pixel = PixelAt(r.out[i], 400, 300);
                EXPECT_TRUE(run == 0 ? pixel.red() > 128 : pixel.blue() > 128) << "another run's";
                EXPECT_NEAR(pixel.green(), colour(run, i).green(), 2) << "image " << i;
            }
        }
        EXPECT_FALSE(written.isEmpty());
        EXPECT_EQ(Entries(folder).size(), written.size()) << "a file lost, or one left behind";
    }
}

// What a killed run left (its temporary file on the card, its work folder) goes with the next
// run, and nothing else does.
TEST_F(BatchCardTest, WhatAKilledRunLeftIsRemovedByTheNext) {
    QProcess killed;
    Start(killed, OnCard({Images(
                      "in", 40, [](int i) { return QColor::fromHsv(i * 9, 255, 255); }, 1600)}));
    ASSERT_TRUE(WaitForFirstEntry(killed));
    ::kill(killed.processId(), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(30000));
    ASSERT_EQ(Entries(tmp).filter("vimbrelcastorBatch-").size(), 1);
    // The kill may fall between two writes: a leftover is planted beside what is not ours.
    WriteBytes(folder + "/.vimbrelcastor-00000000deadbeef.tmp", "half");
    WriteBytes(folder + "/notes.tmp", "someone's");
    QDir(folder).mkdir(".vimbrelcastor-folder.tmp");
    QDir(tmp).mkdir("someone-else");
    // An earlier run's folder on the same card: its leftover goes too, its images stay.
    const QString earlier = card + "/DCIM/099RODIV";
    QDir().mkpath(earlier);
    WriteBytes(earlier + "/.vimbrelcastor-00000000feedface.tmp", "half");
    WriteBytes(earlier + "/DUVU0001.JPG", "kept");
    const ProgramRun next = RunOnCard({"--folder", "100", "--on-conflict", "next",
                                       Images("one", 1, [](int) { return Qt::white; })});
    EXPECT_EQ(next.exitCode, 0) << next.err.toStdString();
    EXPECT_EQ(LeftBehind(), QStringList{".vimbrelcastor-folder.tmp"});
    EXPECT_TRUE(QFile::exists(folder + "/notes.tmp"));
    EXPECT_EQ(Entries(earlier), QStringList{"DUVU0001.JPG"});
    EXPECT_TRUE(QFile::exists(tmp + "/someone-else"));
}

// SIGTERM and SIGINT stop the run after the image being written: what was written stays and
// was reported, nothing temporary stays, and the exit status names the signal.
TEST_F(BatchCardTest, ASignalStopsTheRunCleanly) {
    const QString in = Images(
        "in", 40, [](int i) { return QColor::fromHsv(i * 9, 255, 255); }, 1600);
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        QDir(folder).removeRecursively();
        QProcess process;
        Start(process, OnCard({in}));
        ASSERT_TRUE(WaitForFirstEntry(process));
        ::kill(process.processId(), signal);
        const ProgramRun result = Finish(process);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(result.exitCode, 128 + signal);
        EXPECT_TRUE(
            result.err.endsWith(QString("vimbrelcastor: Stopped by %1 after writing %2 images.\n")
                                    .arg(signal == SIGTERM ? "SIGTERM" : "SIGINT")
                                    .arg(result.out.size())))
            << result.err.toStdString();
        EXPECT_LT(result.out.size(), 40);
        QStringList names;
        for (const QString& path : result.out) names << QFileInfo(path).fileName();
        EXPECT_EQ(Entries(folder), names);
        EXPECT_TRUE(LeftBehind().isEmpty());
    }
}

// The card folder given as a link off the card: nothing is written through it.
TEST_F(BatchCardTest, ALinkOffTheCardIsNotWrittenThrough) {
    QDir().mkpath(card + "/DCIM");
    QDir().mkpath(temp.filePath("elsewhere"));
    ASSERT_TRUE(QFile::link(temp.filePath("elsewhere"), folder));
    const ProgramRun result =
        RunOnCard({"--folder", "100", Images("in", 1, [](int) { return Qt::red; })});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "vimbrelcastor: \"" + folder +
                              "\" is a symbolic link. Images are written only into folders on "
                              "the card itself.\n");
    EXPECT_TRUE(Entries(temp.filePath("elsewhere")).isEmpty());
}

// A run goes on past an image that cannot be decoded; the next one takes its number. The last
// line counts what became of each; a file refused at import counts as refused.
TEST_F(BatchCardTest, GoesOnPastABadImageAndCountsWhatBecameOfEach) {
    struct Case {
        const char* name;
        QString summary;
    } const cases[] = {
        {"good_bad_good",
         "vimbrelcastor: Written: 2 (damaged: 0), skipped: 0, refused: 0, failed: 1\n"},
        {"good_refused_good_missing",
         "vimbrelcastor: Written: 2 (damaged: 0), skipped: 0, refused: 2, failed: 0\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(card + "/DCIM").removeRecursively();
        const QString in = temp.filePath(c.name);
        QDir().mkpath(in);
        WriteJpeg(Solid(320, 240, Qt::red), in + "/a.jpg");
        if (QString(c.name).contains("refused")) {
            WriteBytes(in + "/b.jpg", "not a picture");
        } else {
            WriteBytes(in + "/b.jpg", corpus::Undecodable(JpegBytes(Solid(320, 240, Qt::green))));
        }
        WriteJpeg(Solid(320, 240, Qt::blue), in + "/c.jpg");
        QStringList arguments{in};
        if (QString(c.name).contains("missing")) arguments << temp.filePath("missing.jpg");
        const ProgramRun result = RunOnCard(arguments);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_TRUE(result.err.endsWith(c.summary)) << result.err.toStdString();
        EXPECT_EQ(result.out, (QStringList{folder + "/DUVU0001.JPG", folder + "/DUVU0002.JPG"}));
        EXPECT_EQ(Entries(folder), (QStringList{"DUVU0001.JPG", "DUVU0002.JPG"}));
        EXPECT_GT(PixelAt(folder + "/DUVU0002.JPG", 400, 300).blue(), 200) << "the third image";
    }
}

}  // namespace
