// Test program start: participant records need their class registered and the
// persistence library's version set, and the Qt tests an application object on the
// offscreen platform.

#include "register/PersistenceStartup.h"

#include <gtest/gtest.h>

#ifdef TINSELWICK_PRINT_TESTS_WITH_QT
#include <QGuiApplication>
#endif

int main(int argc, char** argv)
{
    StartPersistenceWithVersion();
#ifdef TINSELWICK_PRINT_TESTS_WITH_QT
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
