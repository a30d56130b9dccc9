// The end of the window's life: closing it, or the desktop session ending, never
// throws away unsaved work without asking, and never saves without the user's word.
//
// What counts as saved is compared, not tracked: the register and the template are
// taken as one value after every save and retrieve, and again when the window is to
// go. Every way of changing them (the commands, the draw, typing in the memo) is
// caught alike, and one that leaves them as they were asks nothing.

#include "ui/FmMainCC.h"

#include "register/RegisterSnapshot.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSessionManager>

TCrisForm::TDocumentState TCrisForm::CurrentState() const
{
    return { RegisterSnapshot(GroupNames.get(), Participants.get()), MNotes->toPlainText() };
}

void TCrisForm::MarkSaved()
{
    savedState_ = CurrentState();
}

bool TCrisForm::HasUnsavedChanges() const
{
    return CurrentState() != savedState_;
}

void TCrisForm::ConnectSessionEnd()
{
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this, &TCrisForm::SessionEnding);
}

bool TCrisForm::MayClose()
{
    const TDocumentState now = CurrentState();
    if (now == savedState_ || now == abandonedState_)
        return true;
    QString question = QStringLiteral("Save the register before closing?");
    if (!CurrentFileName.empty()) {
        const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(CurrentFileName))).fileName();
        question = QStringLiteral("Save the changes to ") + name + QStringLiteral(" before closing?");
    }
    switch (services_.Messages.QuestionSaveDiscardCancel(question)) {
    case TSaveAnswer::Save:
        // As File > Save: its dialog when there is no file name yet, its error shown as
        // it shows it. A cancelled or failed save keeps the window.
        RunGuarded([this] { Save1Click(Save1); });
        return !HasUnsavedChanges();
    case TSaveAnswer::Discard:
        return true;
    case TSaveAnswer::Cancel:
        break;
    }
    return false;
}

void TCrisForm::closeEvent(QCloseEvent* event)
{
    if (MayClose())
        event->accept();
    else
        event->ignore();
}

void TCrisForm::SessionEnding(QSessionManager& manager)
{
    // Asking needs the session manager's leave, requested only when there is something
    // to ask about. Without it the session ends and nothing is saved unasked.
    if (!HasUnsavedChanges() || !manager.allowsInteraction())
        return;
    if (MayClose())
        abandonedState_ = CurrentState(); // the close that ends the session asks no more
    else
        manager.cancel();
}
