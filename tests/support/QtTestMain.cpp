#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Tests draw nowhere: listing them at build or test time runs this binary without the test
    // environment, and a developer's desktop should not get windows either.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
