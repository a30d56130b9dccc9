#include "platform/gui/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString Caption()
{
    const QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

int Show(QWidget* parent, QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok)
{
    QMessageBox box(icon, Caption(), text, buttons, parent);
    // A dialog takes no face from its parent by itself; the box speaks in the window's.
    if (parent != nullptr)
        box.setFont(parent->font());
    box.setDefaultButton(defaultButton);
    // The screen reader announces the box by its caption and reads the text label.
    box.setAccessibleName(Caption());
    return box.exec();
}

} // namespace

void TQtMessageService::ErrorBox(const QString& text)
{
    Show(parent_, QMessageBox::Critical, text, QMessageBox::Ok);
}

void TQtMessageService::ApplicationError(const QString& text)
{
    Show(parent_, QMessageBox::Critical, text, QMessageBox::Ok);
}

bool TQtMessageService::WarningOkCancel(const QString& text)
{
    return Show(parent_, QMessageBox::Warning, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

TSaveAnswer TQtMessageService::QuestionSaveDiscardCancel(const QString& text)
{
    // Escape and the frame's close button give Cancel: only a deliberate Discard loses work.
    switch (Show(parent_, QMessageBox::Question, text, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        QMessageBox::Save)) {
    case QMessageBox::Save:
        return TSaveAnswer::Save;
    case QMessageBox::Discard:
        return TSaveAnswer::Discard;
    default:
        return TSaveAnswer::Cancel;
    }
}
