#pragma once
// What the main window needs from the platform, handed in at construction so
// that tests drive every command headless with scripted answers.

#include "draw/Random.h"
#include "platform/gui/FileDialogService.h"
#include "platform/gui/HelpViewer.h"
#include "platform/gui/Keyring.h"
#include "platform/gui/MessageService.h"
#include "print/PrinterService.h"
#include "ui/MailConnection.h"
#include "ui/ProgramSettings.h"

struct TFormServices {
    IMessageService& Messages;
    IFileDialogService& FileDialogs;
    IHelpViewer& Help;
    IPrinterService& Printer;
    TRandomSource& Random; ///< the process-wide source: the draw and the test letter share it
    TProgramSettings& Settings; ///< rules by document, the last folder, the window's place, the mail server
    IKeyring& Keyring; ///< the mail password, when the user has it remembered
    TMailTransportMaker MailTransport = CurlMailTransport;
};
