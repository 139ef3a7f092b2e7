#pragma once

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/ProgramRun.h"
#include "tests/support/TestImages.h"

// The program as a script or a user's session starts it, with a temporary folder, profile and
// card of its own. Scripts read standard error line by line: every run checks that each line
// names the program.
template <class Base>
class ProgramFixtureOf : public Base {
protected:
    static void SetUpTestSuite() { testimages::EnsureCoreApplication(); }

    ProgramFixtureOf() {
        for (const QString& path : {in, card, tmp}) QDir().mkpath(path);
        environment.insert("TMPDIR", tmp);
        environment.insert("XDG_CONFIG_HOME", temp.filePath("config"));
    }

    QString In(const QString& name) const { return QDir(in).filePath(name); }

    // count images in a new folder, image i of the colour colour(i).
    QString Images(const QString& name, int count, const std::function<QColor(int)>& colour,
                   int width = 160) {
        const QString images = temp.filePath(name);
        QDir().mkpath(images);
        for (int i = 0; i < count; ++i) {
            testimages::WriteJpeg(
                testimages::Solid(width, width * 3 / 4, colour(i)),
                QDir(images).filePath(QString("%1.jpg").arg(i, 3, 10, QChar('0'))));
        }
        return images;
    }
    static QStringList Entries(const QString& path) {
        return QDir(path).entryList(
            QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    void Start(QProcess& process, const QStringList& arguments) const {
        StartProgram(process, VC_PROGRAM, arguments, environment);
    }
    static ProgramRun Finish(QProcess& process, int milliseconds = 120000) {
        const ProgramRun run = FinishProgram(process, milliseconds);
        EXPECT_TRUE(run.finished) << "the run hung";
        EXPECT_TRUE(run.err.isEmpty() || run.err.endsWith('\n'));
        for (const QString& line : run.err.split('\n', Qt::SkipEmptyParts))
            EXPECT_TRUE(line.startsWith("vimbrelcastor: ")) << line.toStdString();
        return run;
    }
    ProgramRun Run(const QStringList& arguments, int milliseconds = 120000) const {
        QProcess process;
        Start(process, arguments);
        return Finish(process, milliseconds);
    }
    // A batch run onto the card, in English unless the arguments say otherwise.
    QStringList OnCard(const QStringList& arguments) const {
        return QStringList{"--batch", "--card", card, "--lang", "en"} + arguments;
    }
    ProgramRun RunOnCard(const QStringList& arguments, int milliseconds = 120000) const {
        return Run(OnCard(arguments), milliseconds);
    }

    // The DCF files of folders in name order (folder by folder), each checked by exiftool: its
    // three Exif dates and its file time are one time (FileModifyDate, DateTimeOriginal,
    // CreateDate for DateTimeDigitized, ModifyDate for DateTime). Those times, in seconds.
    static QList<qint64> CheckedTimes(const QStringList& folders) {
        QList<qint64> times;
        for (const QString& folder : folders) {
            const QString table =
                testimages::RunTool("exiftool", {"-q", "-q", "-T", "-d", "%s", "-FileName",
                                                 "-DateTimeOriginal", "-CreateDate", "-ModifyDate",
                                                 "-FileModifyDate", "-ext", "JPG", folder});
            QStringList rows = table.split('\n', Qt::SkipEmptyParts);
            rows.sort();
            for (const QString& row : rows) {
                const QStringList fields = row.split('\t');
                EXPECT_EQ(fields.size(), 5) << row.toStdString();
                if (fields.size() != 5) continue;
                for (int i = 2; i < 5; ++i)
                    EXPECT_EQ(fields[i].toLongLong(), fields[1].toLongLong()) << row.toStdString();
                times << fields[1].toLongLong();
            }
        }
        return times;
    }

    QTemporaryDir temp;
    QString in = temp.filePath("my pictures");
    QString card = temp.filePath("card");
    QString folder = card + "/DCIM/100RODIV";
    QString tmp = temp.filePath("tmp");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
};

using ProgramFixture = ProgramFixtureOf<::testing::Test>;
