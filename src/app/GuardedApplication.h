#pragma once
// The application object with the last line of the error display: an error that
// escapes an event handler is shown like any raised error and never crosses the
// event loop. The commands of the main window have their own guard; this one only
// catches what comes from elsewhere.

#include "platform/gui/MessageService.h"

#include <QApplication>

class TMessageGuardedApplication : public QApplication {
public:
    TMessageGuardedApplication(int& argc, char** argv)
        : QApplication(argc, argv)
    {
    }

    void SetMessageService(IMessageService* messages) { messages_ = messages; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    IMessageService* messages_ = nullptr;
};
