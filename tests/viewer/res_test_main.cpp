// The resource and About box tests: a Qt application on the offscreen
// platform, the viewer started as the program starts it, and a scratch
// folder in place of the home folder.
#include "app.h"
#include "ruvokapp.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid())
        return 2;
    const QByteArray path = home.path().toLocal8Bit();
    qputenv("HOME", path);
    qputenv("XDG_CONFIG_HOME", path + "/config");
    qputenv("XDG_DATA_HOME", path + "/data");
    qputenv("XDG_CACHE_HOME", path + "/cache");
    qputenv("XDG_STATE_HOME", path + "/state");
    qputenv("XDG_RUNTIME_DIR", path);

    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    char name[] = "ruvok";
    char* args[] = {name, nullptr};
    AfxWinInit(1, args);
    if (!theApp.InitInstance()) {
        std::fprintf(stderr, "the viewer did not start\n");
        return 2;
    }
    return RUN_ALL_TESTS();
}
