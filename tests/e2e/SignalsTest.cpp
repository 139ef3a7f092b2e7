#include <sys/stat.h>

#include <QDirIterator>
#include <QElapsedTimer>
#include <QThread>
#include <csignal>

#include "ProgramFixture.h"

using namespace testimages;

namespace {

// Files (not folders) anywhere under folder.
QStringList FilesUnder(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    return files;
}

using WindowSignalsTest = ProgramFixture;

// SIGTERM and SIGINT end the window as Close would, without a question: the work copies of
// the imported images are gone afterwards.
TEST_F(WindowSignalsTest, EndsTheWindowAndEmptiesItsWorkFolder) {
    // The window program as a user's session runs it, but on the offscreen platform and with a
    // home and run-time folder of its own.
    const QString run = temp.filePath("run");
    QDir().mkpath(run);
    QDir().mkpath(temp.filePath("home"));
    ::chmod(QFile::encodeName(run).constData(), 0700);
    environment.insert("HOME", temp.filePath("home"));
    environment.insert("XDG_RUNTIME_DIR", run);
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    const QString picture = In("photo.jpg");
    WriteJpeg(Solid(640, 480, Qt::red), picture);
    const QString work = tmp + "/vimbrelcastorWork";
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        QProcess program;
        Start(program, {"--no-splash", "--lang", "en", picture});
        ASSERT_TRUE(program.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (FilesUnder(work).isEmpty() && waited.elapsed() < 60000 &&
               program.state() == QProcess::Running) {
            QThread::msleep(50);
        }
        ASSERT_EQ(FilesUnder(work).size(), 1) << "the imported image's work copy";

        ::kill(program.processId(), signal);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended by itself, not killed";
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_TRUE(FilesUnder(work).isEmpty()) << FilesUnder(work).join(' ').toStdString();
        EXPECT_TRUE(QFile::exists(picture)) << "the user's file stays";
    }
}

}  // namespace
