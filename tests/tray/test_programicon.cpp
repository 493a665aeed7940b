#include "tray/icons.h"

#include <gtest/gtest.h>

using namespace vornap;

// The desktop's icon theme is drawn from icon resource 1's picture.
TEST(ProgramIcon, IsResourceOnesPictureAtEveryThemeSize) {
    EXPECT_EQ(programIconImage(48), iconImage(1));
    for (int size : {16, 22, 24, 32, 64, 128, 256}) {
        const QImage image = programIconImage(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_TRUE(image.hasAlphaChannel());
        // A round disc: clear corners, an opaque rim half-way down each side.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 10 + 1, size / 2)), 255) << size;
    }
}
