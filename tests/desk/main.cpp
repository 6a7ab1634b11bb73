#include <QGuiApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // Time marks are texts, and painting text needs the application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
