#include "app/Companion.h"

#include <gtest/gtest.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#include "skin/MessageIds.h"
#include "tests/support/ScriptedPrompter.h"

namespace {

// Both profile scopes point into a folder of the test's own, so neither the machine's nor the
// user's settings are read or written.
class CompanionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(profile.isValid());
        const QString user = profile.filePath("user");
        const QString system = profile.filePath("system");
        qputenv("XDG_CONFIG_HOME", user.toUtf8());
        qputenv("XDG_CONFIG_DIRS", system.toUtf8());
        // Qt reads the variables once, at the first QSettings of the process, which an earlier
        // test in this program may already have made; the paths set directly always hold.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, user);
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, system);
    }

    static void SetPath(QSettings::Scope scope, const QString& path) {
        QSettings(scope, "Kestrovia", "QVN").setValue("Ondavire/Path", path);
    }

    // A stand-in companion in a folder with a blank in its name: it writes its arguments one
    // per line into output, which appears complete or not at all.
    QString WriteStandIn(const QString& output) {
        const QString script = work.filePath("Ondavire Tools/ondavire");
        QDir().mkpath(work.filePath("Ondavire Tools"));
        QFile file(script);
        if (!file.open(QIODevice::WriteOnly)) return QString();
        file.write(QStringLiteral("#!/bin/sh\n"
                                  "for a; do printf '%s\\n' \"$a\"; done > '%1.part'\n"
                                  "mv '%1.part' '%1'\n")
                       .arg(output)
                       .toUtf8());
        file.setPermissions(file.permissions() | QFile::ExeOwner);
        return script;
    }

    static QStringList WaitForLines(const QString& path) {
        QDeadlineTimer deadline(10000);
        while (!QFile::exists(path) && !deadline.hasExpired()) QThread::msleep(20);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return {"<never written>"};
        const QString text = QString::fromUtf8(file.readAll());
        if (text.isEmpty()) return {};
        return text.chopped(1).split('\n');
    }

    QTemporaryDir profile;
    QTemporaryDir work;
};

TEST_F(CompanionTest, CommandLineQuotesOnlyTheSwitch) {
    EXPECT_EQ(CompanionCommandLine("/opt/Ondavire/ondavire", ""), "/opt/Ondavire/ondavire");
    EXPECT_EQ(CompanionCommandLine("/opt/Ondavire/ondavire", "/media/SD CARD/DCIM/100RODIV"),
              "/opt/Ondavire/ondavire \"/T:/media/SD CARD/DCIM/100RODIV\"");
}

TEST_F(CompanionTest, SystemScopeComesBeforeUserScope) {
    struct Case {
        const char* name;
        const char* system;  // nullptr: no value
        const char* user;
        const char* expected;
    } const cases[] = {
        {"neither", nullptr, nullptr, ""},
        {"system_only", "/opt/a", nullptr, "/opt/a"},
        {"user_only", nullptr, "/home/b", "/home/b"},
        {"both", "/opt/a", "/home/b", "/opt/a"},
        {"empty_system_value", "", "/home/b", "/home/b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QSettings(QSettings::SystemScope, "Kestrovia", "QVN").clear();
        QSettings(QSettings::UserScope, "Kestrovia", "QVN").clear();
        if (c.system) SetPath(QSettings::SystemScope, c.system);
        if (c.user) SetPath(QSettings::UserScope, c.user);
        EXPECT_EQ(CompanionPath(), c.expected);
    }
}

TEST_F(CompanionTest, MissingCompanionShows104) {
    const QString gone = work.filePath("gone");
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } const cases[] = {
        {"no_value", [] {}},
        {"empty_value", [] { SetPath(QSettings::SystemScope, ""); }},
        {"file_does_not_exist", [&] { SetPath(QSettings::SystemScope, work.filePath("none")); }},
        {"file_vanished_after_it_was_set",
         [&] {
             QFile file(gone);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.close();
             SetPath(QSettings::UserScope, gone);
             QFile::remove(gone);
         }},
        {"a_folder", [&] { SetPath(QSettings::SystemScope, work.path()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QSettings(QSettings::SystemScope, "Kestrovia", "QVN").clear();
        QSettings(QSettings::UserScope, "Kestrovia", "QVN").clear();
        c.arrange();
        ScriptedPrompter prompter;
        EXPECT_FALSE(LaunchCompanion("/media/card", prompter));
        EXPECT_EQ(prompter.Ids(), QList<int>{msg::CompanionNotFound});
    }
}

TEST_F(CompanionTest, PassesTheFolderAsOneArgument) {
    struct Case {
        const char* name;
        const char* lastDestination;
        QStringList arguments;
    } const cases[] = {
        {"nothing_saved_yet", "", {}},
        {"folder_with_blanks", "/media/SD CARD/DCIM/100RODIV", {"/T:/media/SD CARD/DCIM/100RODIV"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString output = work.filePath(QString("%1.txt").arg(c.name));
        const QString standIn = WriteStandIn(output);
        ASSERT_FALSE(standIn.isEmpty());
        SetPath(QSettings::SystemScope, standIn);
        ScriptedPrompter prompter;
        EXPECT_TRUE(LaunchCompanion(c.lastDestination, prompter));
        EXPECT_TRUE(prompter.records.isEmpty());
        // Counted as well: an empty argument would join to the same text as none.
        const QStringList lines = WaitForLines(output);
        EXPECT_EQ(lines.size(), c.arguments.size());
        EXPECT_EQ(lines.join('\n'), c.arguments.join('\n'));
    }
}

}  // namespace
