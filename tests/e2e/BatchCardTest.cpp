#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <iostream>

#include "tests/support/TestImages.h"

using namespace testimages;

namespace {

// Batch runs as scripts start them, each with a temporary folder of its own: side by side on
// one card, killed, stopped by a signal, sent through a link, or given images that fail. No
// file is ever lost, left half-written or written off the card, and every line on standard
// error names the program.
class BatchCardTest : public ::testing::Test {
protected:
    struct Result {
        bool finished;
        int exitCode;
        QStringList out;  // lines
        QString err;
    };

    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "e2e_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
    }

    BatchCardTest() {
        QDir().mkpath(card);
        QDir().mkpath(tmp);
        environment.insert("TMPDIR", tmp);
        environment.insert("XDG_CONFIG_HOME", temp.filePath("config"));
    }

    void Start(QProcess& process, const QStringList& arguments) {
        process.setProcessEnvironment(environment);
        process.start(VC_PROGRAM,
                      QStringList{"--batch", "--card", card, "--lang", "en"} + arguments);
        process.closeWriteChannel();
    }
    static Result Finish(QProcess& process, int milliseconds = 120000) {
        const bool finished =
            process.state() == QProcess::NotRunning || process.waitForFinished(milliseconds);
        if (!finished) {
            process.kill();
            process.waitForFinished();
        }
        return {
            finished, process.exitCode(),
            QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
            QString::fromLocal8Bit(process.readAllStandardError())};
    }
    Result Run(const QStringList& arguments, int milliseconds = 120000) {
        QProcess process;
        Start(process, arguments);
        return Finish(process, milliseconds);
    }
    // Until the running program has put something into the card folder.
    bool WaitForFirstEntry(QProcess& process) const {
        while (Entries(folder).isEmpty()) {
            if (process.waitForFinished(5)) return false;
        }
        return true;
    }

    // count images in a new folder, image i of the colour colour(i).
    QString Images(const QString& name, int count, const std::function<QColor(int)>& colour,
                   int width = 160) {
        const QString in = temp.filePath(name);
        QDir().mkpath(in);
        for (int i = 0; i < count; ++i) {
            WriteJpeg(Solid(width, width * 3 / 4, colour(i)),
                      QDir(in).filePath(QString("%1.jpg").arg(i, 3, 10, QChar('0'))));
        }
        return in;
    }
    static QStringList Entries(const QString& in) {
        return QDir(in).entryList(
            QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir temp;
    QString card = temp.filePath("card");
    QString folder = card + "/DCIM/100RODIV";
    QString tmp = temp.filePath("tmp");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

TEST_F(BatchCardTest, SaveNextWithNoNumberAfter9999EndsWith144) {
    QDir().mkpath(folder);
    WriteBytes(folder + "/DUVU0001.JPG", "old");
    WriteBytes(folder + "/DUVU9999.JPG", "old");
    const Result result = Run(
        {"--folder", "100", "--on-conflict", "next", Images("in", 2, [](int) { return Qt::red; })},
        20000);
    ASSERT_TRUE(result.finished) << "the question and its answer came back for ever";
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err.count("the file number 9999 already exists"), 1)
        << result.err.toStdString();
    EXPECT_EQ(Entries(folder), (QStringList{"DUVU0001.JPG", "DUVU9999.JPG"}));
}

}  // namespace
