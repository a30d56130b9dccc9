#include "app/GuardedApplication.h"

#include "platform/gui/QtAnsi.h"
#include "ui/FmMainCC.h"

#include <exception>

bool TMessageGuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        if (messages_ != nullptr)
            messages_->ApplicationError(AnsiToQString(WithFullStop(error.what())));
    } catch (...) {
        if (messages_ != nullptr)
            messages_->ApplicationError(QStringLiteral("An unexpected error ended the command."));
    }
    return false;
}
