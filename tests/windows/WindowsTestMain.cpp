#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's file dialog keeps its history and last folder in the user's settings; a run must not
    // meet what an earlier one left there (a folder since deleted stalls the next dialog).
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setApplicationName("Sonwick3");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
