// Test program start: participant records need the persistence library's version,
// and the Qt tests an application object on the offscreen platform.

#include "persist/KelPermObjFileStm.h"

#include <gtest/gtest.h>

#ifdef TINSELWICK_PRINT_TESTS_WITH_QT
#include <QGuiApplication>
#endif

int main(int argc, char** argv)
{
    InitializePersistenceLibrary();
    SetCurrentVersion(21404, 18000);
#ifdef TINSELWICK_PRINT_TESTS_WITH_QT
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
