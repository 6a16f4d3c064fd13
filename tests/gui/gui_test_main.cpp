// The GUI tests run on the offscreen platform with their own per-user
// settings folder, so they never touch a real display or the person's settings.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir config_home;
    setenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Trevanic");
    QApplication::setApplicationName("Voxtrel");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
