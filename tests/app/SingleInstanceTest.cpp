#include "app/SingleInstance.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

TEST(SingleInstance, ASecondInstanceIsRefusedWhileTheFirstRuns) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("vimbrelcastor.lock");
    SingleInstance first(path);
    ASSERT_TRUE(first.Acquire());
    SingleInstance second(path);
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(first.held()) << "the first is not disturbed";
    first.Release();
    EXPECT_TRUE(second.Acquire());
}

TEST(SingleInstance, ALockLeftByACrashedInstanceIsTakenOver) {
    QTemporaryDir temp;
    const QString path = QDir(temp.path()).filePath("vimbrelcastor.lock");
    // The lock file of a process that no longer exists: pid, program name, host name.
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("2147483646\nvimbrelcastor\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    SingleInstance next(path);
    EXPECT_TRUE(next.Acquire());
}

}  // namespace
