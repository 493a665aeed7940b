#include <QApplication>
#include <gtest/gtest.h>

// GoogleTest programs run with a QApplication, so widget code can be tested.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("VORNAP_SOURCE_DIR"))
        qputenv("VORNAP_SOURCE_DIR", VORNAP_TEST_SOURCE_DIR);
    if (qEnvironmentVariableIsEmpty("VORNAP_BUILD_DIR"))
        qputenv("VORNAP_BUILD_DIR", VORNAP_TEST_BUILD_DIR);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
