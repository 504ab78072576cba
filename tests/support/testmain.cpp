#include <gtest/gtest.h>

#include <QApplication>

// Every test runs against real widgets on Qt's offscreen platform, without a display.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own messages about fonts and the platform are noise in test output.
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
