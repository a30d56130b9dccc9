// Tinselwick: the desktop program. Reads no command line.

#include "app/GuardedApplication.h"
#include "draw/Random.h"
#include "persist/PersistenceLibrary.h"
#include "platform/gui/QtFileDialogService.h"
#include "platform/gui/QtHelpViewer.h"
#include "platform/gui/QtMessageService.h"
#include "print/qt/QtPrinterService.h"
#include "register/PersistenceStartup.h"
#include "ui/CCAbout.h"
#include "ui/FmMainCC.h"

#include <QDir>
#include <QFile>

#include <optional>
#include <string>

int main(int /*argc*/, char* argv[])
{
    // The order of the units' start-up: the persistent classes, the random seed, then
    // the version, which must be set before any record can be created.
    StartPersistence();
    SeedProgramRandomFromClock();
    SetProgramVersion();

    // Only the program's own name goes to the toolkit: no option reaches it.
    int qtArgc = 1;
    char* qtArgv[] = { argv[0], nullptr };
    TMessageGuardedApplication application(qtArgc, qtArgv);
    QApplication::setApplicationName(QStringLiteral("Tinselwick"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tinselwick"));

    TQtMessageService messages;
    application.SetMessageService(&messages);
    TQtFileDialogService fileDialogs;
    TQtHelpViewer help;
    // Without a system printer a job goes to a PDF file the user names.
    TQtPrinterService printer([&fileDialogs]() -> std::optional<std::string> {
        const std::optional<QString> path = fileDialogs.GetSaveFileName(
            { QStringLiteral("pdf"), QStringLiteral("PDF Files|*.pdf"), QDir::homePath(), QString() });
        if (!path)
            return std::nullopt;
        return QFile::encodeName(*path).toStdString();
    });

    int exitCode = 0;
    {
        TCrisForm form({ messages, fileDialogs, help, printer, ProgramRandom() });
        messages.SetParent(&form);
        fileDialogs.SetParent(&form);

        TAboutCC about;
        about.hide();
        form.SetAboutBox(&about);
        QObject::connect(
            &about, &TAboutCC::HelpRequested, &form, [&form] { form.RunGuarded([&form] { form.Help2Click(&form); }); });

        form.show();
        exitCode = QApplication::exec();

        // The report of records still alive is made while the window still holds them,
        // and the window then frees them.
        ShutdownPersistenceLibrary();
        form.SetAboutBox(nullptr);
    }
    return exitCode;
}
