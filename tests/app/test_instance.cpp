#include "platform/process.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

TEST(InstanceLock, ALaterStartReachesTheRunningPlayer) {
    QTemporaryDir home;
    FileInstanceLock running(home.path());
    ASSERT_FALSE(running.previousInstance());
    int shown = 0;
    running.onShowRequest([&shown] { ++shown; });

    for (int start = 1; start <= 2; ++start) {
        FileInstanceLock later(home.path());
        ASSERT_TRUE(later.previousInstance());
        later.showRunningInstance();
        for (QDeadlineTimer deadline(5000); shown < start && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        EXPECT_EQ(shown, start);
    }
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
