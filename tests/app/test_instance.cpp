#include "platform/process.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vornap::platform;

TEST(InstanceLock, OnePlayerPerApplicationPathFreeAgainWhenItEnds) {
    QTemporaryDir a;
    QTemporaryDir b;
    {
        FileInstanceLock first(a.path());
        EXPECT_FALSE(first.previousInstance());
        EXPECT_TRUE(FileInstanceLock(a.path()).previousInstance());
        EXPECT_FALSE(FileInstanceLock(b.path()).previousInstance());
    }
    EXPECT_FALSE(FileInstanceLock(a.path()).previousInstance());
}

TEST(InstanceLock, ALockThatCannotBeMadeIsAFailureNotARunningPlayer) {
    QTemporaryDir home;
    const QByteArray tmp = qgetenv("TMPDIR");
    for (const QString& folder : {home.filePath("missing"), home.filePath("file")}) {
        QFile(home.filePath("file")).open(QIODevice::WriteOnly);
        qputenv("TMPDIR", folder.toUtf8());
        FileInstanceLock lock(home.path());
        EXPECT_FALSE(lock.previousInstance()) << folder.toStdString();
        EXPECT_TRUE(lock.failure().contains(lock.lockFilePath())) << lock.failure().toStdString();
    }
    qputenv("TMPDIR", tmp);
    FileInstanceLock lock(home.path());
    EXPECT_FALSE(lock.previousInstance());
    EXPECT_EQ(lock.failure(), "");
}

TEST(InstanceLock, ALaterStartAsksTheRunningPlayerToShowItself) {
    QTemporaryDir home;
    FileInstanceLock running(home.path());
    ASSERT_FALSE(running.previousInstance());
    int asked = 0;
    running.onShowRequest([&] { ++asked; });
    // Only its own user may reach the running player.
    struct stat st {};
    const QString socket = running.lockFilePath().chopped(5) + ".sock";
    ASSERT_EQ(::stat(QFile::encodeName(socket).constData(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u);
    for (int start = 1; start <= 2; ++start) {
        FileInstanceLock later(home.path());
        EXPECT_TRUE(later.previousInstance());
        later.showRunningInstance();
        EXPECT_TRUE(QTest::qWaitFor([&] { return asked == start; }));
    }
}
