#include "platform/process.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vornap::platform;

TEST(InstanceLock, OnePlayerPerApplicationPath) {
    QTemporaryDir a;
    QTemporaryDir b;
    FileInstanceLock first(a.path());
    EXPECT_FALSE(first.previousInstance());
    FileInstanceLock second(a.path());
    EXPECT_TRUE(second.previousInstance());
    FileInstanceLock other(b.path());
    EXPECT_FALSE(other.previousInstance());
}

TEST(InstanceLock, IsFreeAgainWhenThePlayerEnds) {
    QTemporaryDir a;
    {
        FileInstanceLock first(a.path());
        EXPECT_FALSE(first.previousInstance());
    }
    FileInstanceLock next(a.path());
    EXPECT_FALSE(next.previousInstance());
}

TEST(AppPath, ComesFromVornapHomeWhenSet) {
    QTemporaryDir a;
    qputenv("VORNAP_HOME", (a.path() + "/").toUtf8());
    EXPECT_EQ(DefaultAppPath().path(), a.path());
    qunsetenv("VORNAP_HOME");
}
