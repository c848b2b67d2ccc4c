#include <QGuiApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Fonts need a GUI application object (without a display: the offscreen
// platform). Settings go to a folder of the run's own, never ~/.config.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath("data").toUtf8());
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
