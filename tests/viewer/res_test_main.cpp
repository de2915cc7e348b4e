// The resource and About box tests: a Qt application on the offscreen
// platform, the viewer started as the program starts it, and a home of the
// program's own.
#include "app.h"
#include "ruvokapp.h"
#include "test_home.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    IsolateHome();

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
