// One main for the GUI tests: Qt's offscreen platform (no display needed), one
// application object, and the persistence library started once as the program does.

#include "persist/KelPermObjFileStm.h"
#include "register/PersistenceStartup.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid()) {
        QFile::setPermissions(runtimeDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtimeDir.path()));
    }
    // The window's settings go to a folder of the run's own, never the user's.
    QTemporaryDir configDir;
    if (configDir.isValid())
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir.path()));
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tinselwick"));

    kel_testing::ResetPersistenceLibrary();
    StartPersistenceWithVersion();

    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
