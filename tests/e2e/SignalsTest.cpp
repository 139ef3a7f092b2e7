#include <sys/stat.h>

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "tests/support/TestImages.h"

using namespace testimages;

namespace {

// The window program as a user's session runs it, but on the offscreen platform and with a
// temporary folder, profile and run-time folder of its own.
class WindowSignalsTest : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite() { testimages::EnsureCoreApplication(); }

    QString Path(const QString& name) const { return QDir(temp.path()).filePath(name); }

    QProcessEnvironment Environment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* folder : {"tmp", "home", "config", "run"}) QDir().mkpath(Path(folder));
        ::chmod(QFile::encodeName(Path("run")).constData(), 0700);
        environment.insert("TMPDIR", Path("tmp"));
        environment.insert("HOME", Path("home"));
        environment.insert("XDG_CONFIG_HOME", Path("config"));
        environment.insert("XDG_RUNTIME_DIR", Path("run"));
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        return environment;
    }

    // Files (not folders) anywhere under folder.
    static QStringList FilesUnder(const QString& folder) {
        QStringList files;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) files << it.next();
        return files;
    }

    QTemporaryDir temp;
};

// SIGTERM and SIGINT end the window as Close would, without a question: the work copies of
// the imported images are gone afterwards.
TEST_P(WindowSignalsTest, EndsTheWindowAndEmptiesItsWorkFolder) {
    const QString picture = Path("photo.jpg");
    WriteJpeg(Solid(640, 480, Qt::red), picture);
    QProcess program;
    program.setProcessEnvironment(Environment());
    program.start(VC_PROGRAM, {"--no-splash", "--lang", "en", picture});
    ASSERT_TRUE(program.waitForStarted());
    const QString work = Path("tmp/vimbrelcastorWork");
    QElapsedTimer waited;
    waited.start();
    while (FilesUnder(work).isEmpty() && waited.elapsed() < 60000 &&
           program.state() == QProcess::Running) {
        QThread::msleep(50);
    }
    ASSERT_EQ(FilesUnder(work).size(), 1) << "the imported image's work copy";

    ::kill(program.processId(), GetParam());
    ASSERT_TRUE(program.waitForFinished(30000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended by itself, not killed";
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(FilesUnder(work).isEmpty()) << FilesUnder(work).join(' ').toStdString();
    EXPECT_TRUE(QFile::exists(picture)) << "the user's file stays";
}

INSTANTIATE_TEST_SUITE_P(TermAndInt, WindowSignalsTest, ::testing::Values(SIGTERM, SIGINT));

}  // namespace
