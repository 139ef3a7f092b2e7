#include "app/Companion.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>

#include "skin/MessageIds.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestImages.h"

namespace {

// Both profile scopes point into a folder of the test's own, so neither the machine's nor the
// user's settings are read or written.
class CompanionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(profile.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile.filePath("u"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, profile.filePath("s"));
    }

    // The companion's path as the installer records it for every user and for this one.
    static void SetPaths(const QString& system, const QString& user) {
        QSettings(QSettings::SystemScope, "Kestrovia", "QVN").setValue("Ondavire/Path", system);
        QSettings(QSettings::UserScope, "Kestrovia", "QVN").setValue("Ondavire/Path", user);
    }

    QTemporaryDir profile;
    QTemporaryDir work;
};

TEST_F(CompanionTest, MissingCompanionShows104) {
    const QString gone = work.filePath("gone");
    // No value, a companion that was there when recorded but is gone since, a folder.
    for (const auto& [system, user] :
         {std::pair{QString(), QString()}, {QString(), gone}, {work.path(), QString()}}) {
        SCOPED_TRACE((system + user).toStdString());
        testimages::WriteBytes(gone, "");
        SetPaths(system, user);
        QFile::remove(gone);
        ScriptedPrompter prompter;
        EXPECT_FALSE(LaunchCompanion("/media/card", prompter));
        EXPECT_EQ(prompter.Ids(), QList<int>{msg::CompanionNotFound});
    }
}

// The one real start: a stand-in in a folder with a blank in its name writes its arguments, one
// a line, into a file that appears complete or not at all.
TEST_F(CompanionTest, PassesTheFolderAsOneArgument) {
    const QString output = work.filePath("arguments.txt");
    const QString standIn = work.filePath("Ondavire Tools/ondavire");
    ASSERT_TRUE(QDir().mkpath(work.filePath("Ondavire Tools")));
    testimages::WriteBytes(standIn,
                           QStringLiteral("#!/bin/sh\n"
                                          "for a; do printf '%s\\n' \"$a\"; done > '%1.part'\n"
                                          "mv '%1.part' '%1'\n")
                               .arg(output)
                               .toUtf8());
    QFile::setPermissions(standIn, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SetPaths(standIn, work.filePath("not the one"));

    ScriptedPrompter prompter;
    EXPECT_TRUE(LaunchCompanion("/media/SD CARD/DCIM/100RODIV", prompter));
    EXPECT_TRUE(prompter.records.isEmpty());
    QDeadlineTimer deadline(10000);
    while (!QFile::exists(output) && !deadline.hasExpired()) QThread::msleep(20);
    EXPECT_EQ(testimages::ReadBytes(output), "/T:/media/SD CARD/DCIM/100RODIV\n");
}

}  // namespace
