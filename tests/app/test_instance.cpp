#include "platform/process.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace vornap::platform;

// One player per application path, free again when it ends; each later start
// asks the running player to show itself, over a socket only its user reaches.
TEST(InstanceLock, OnePlayerPerApplicationPathWhichLaterStartsAskToShowItself) {
    QTemporaryDir a, b;
    {
        FileInstanceLock running(a.path());
        ASSERT_FALSE(running.previousInstance());
        EXPECT_EQ(running.failure(), "");
        EXPECT_FALSE(FileInstanceLock(b.path()).previousInstance());
        int asked = 0;
        running.onShowRequest([&] { ++asked; });
        struct stat st {};
        const QString socket = running.lockFilePath().chopped(5) + ".sock";
        ASSERT_EQ(::stat(QFile::encodeName(socket).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & (S_IFMT | 077), unsigned(S_IFSOCK));
        for (int start = 1; start <= 2; ++start) {
            FileInstanceLock later(a.path());
            EXPECT_TRUE(later.previousInstance());
            later.showRunningInstance();
            EXPECT_TRUE(QTest::qWaitFor([&] { return asked == start; }));
        }
    }
    EXPECT_FALSE(FileInstanceLock(a.path()).previousInstance());
}

TEST(InstanceLock, ALockThatCannotBeMadeIsAFailureNotARunningPlayer) {
    QTemporaryDir home;
    const QByteArray tmp = qgetenv("TMPDIR");
    QFile(home.filePath("file")).open(QIODevice::WriteOnly);
    for (const QString& folder : {home.filePath("missing"), home.filePath("file")}) {
        qputenv("TMPDIR", folder.toUtf8());
        FileInstanceLock lock(home.path());
        EXPECT_FALSE(lock.previousInstance()) << folder.toStdString();
        EXPECT_TRUE(lock.failure().contains(lock.lockFilePath())) << lock.failure().toStdString();
    }
    qputenv("TMPDIR", tmp);
}
