// The picture control tests run on the offscreen platform with a private
// configuration folder, so the registry they write is never the person's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir config_home;
    setenv("XDG_CONFIG_HOME", config_home.path().toLocal8Bit().constData(), 1);
    unsetenv("TREVANIC_COMPONENT_REGISTRY");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
