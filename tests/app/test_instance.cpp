#include "platform/process.h"

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
