#include "platform/process.h"

#include <QFile>
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
