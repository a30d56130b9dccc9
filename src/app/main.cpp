// Tinselwick: the desktop program. The command line may name one document to open.

#include "app/AfterFirstPaint.h"
#include "app/GuardedApplication.h"
#include "app/StartCommandLine.h"
#include "draw/Random.h"
#include "persist/PersistenceLibrary.h"
#include "platform/gui/QtFileDialogService.h"
#include "platform/gui/QtHelpViewer.h"
#include "platform/gui/QtKeyring.h"
#include "platform/gui/QtMessageService.h"
#include "print/qt/QtPrinterService.h"
#include "register/PersistenceStartup.h"
#include "ui/CCAbout.h"
#include "ui/FmMainCC.h"
#include "ui/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QIcon>

#include <cstdio>
#include <optional>
#include <string>

namespace {

/// The program's icon at the sizes made from its drawing at build time.
QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

/// Without a system printer a job goes to a PDF file the user names. Unlike the
/// document's Save As, this dialog asks before it replaces a file.
std::optional<std::string> AskPdfPath(IFileDialogService& fileDialogs)
{
    const std::optional<QString> path = fileDialogs.GetSaveFileName(
        { QStringLiteral("pdf"), QStringLiteral("PDF Files|*.pdf"), QDir::homePath(), QString(), true });
    if (!path)
        return std::nullopt;
    return QFile::encodeName(*path).toStdString();
}

} // namespace

int main(int argc, char* argv[])
{
    const TStartRequest request = ParseStartCommandLine(argc, argv);
    if (request.exitCode) {
        const QByteArray text = request.text.toLocal8Bit();
        std::fputs(text.constData(), *request.exitCode == 0 ? stdout : stderr);
        return *request.exitCode;
    }

    // The order of the units' start-up: the persistent classes, the random source (the
    // secure generator: the window never takes a seed), then the version, which must be set
    // before any record can be created.
    StartPersistence();
    ProgramRandom();
    SetProgramVersion();

    // Only the program's own name goes to the toolkit: no option reaches it.
    int qtArgc = 1;
    char* qtArgv[] = { argv[0], nullptr };
    TMessageGuardedApplication application(qtArgc, qtArgv);
    // The title of the message boxes. No display name is set: the desktop would add it to
    // every window's title ("Tinselwick Help — Tinselwick").
    QApplication::setApplicationName(QStringLiteral("Tinselwick"));
    // Desktops match the running windows to the menu entry, and take its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tinselwick.Tinselwick"));

    TQtMessageService messages;
    application.SetMessageService(&messages);
    TQtFileDialogService fileDialogs;
    TQtHelpViewer help;
    TQtPrinterService printer([&fileDialogs] { return AskPdfPath(fileDialogs); });
    TProgramSettings settings(TProgramSettings::StandardFileName());

    int exitCode = 0;
    {
        TQtKeyring keyring;
        TCrisForm form({ messages, fileDialogs, help, printer, ProgramRandom(), settings, keyring });
        messages.SetParent(&form);
        fileDialogs.SetParent(&form);

        // The icon (decoded at every size) and the hidden About box are made once the window
        // is on screen: its first paint needs neither.
        std::optional<TAboutCC> about;
        AfterFirstPaint(&form, [&form, &about] {
            QApplication::setWindowIcon(ProgramIcon());
            about.emplace();
            form.SetAboutBox(&*about);
            QObject::connect(&*about, &TAboutCC::HelpRequested, &form,
                [&form] { form.RunGuarded([&form] { form.Help2Click(&form); }); });
        });

        form.show();
        // A document named at start is retrieved as the File menu would; with nothing yet
        // in the window there is nothing to confirm, and a failure leaves it empty.
        if (!request.document.isEmpty())
            form.RunGuarded([&form, &request] { form.RetrieveDocument(request.document); });
        exitCode = QApplication::exec();

        // The report of records still alive is made while the window still holds them,
        // and the window then frees them.
        ShutdownPersistenceLibrary();
        form.SetAboutBox(nullptr);
    }
    return exitCode;
}
