// Unsaved work: the title's mark while there is some, and the end of the window's life:
// closing it, or the desktop session ending, never throws away unsaved work without
// asking, and never saves without the user's word.
//
// What counts as saved is compared, not tracked: the register and the template are
// taken as one value after every save and retrieve, and again after every command and
// when the window is to go. Every way of changing them (the commands, the draw, typing
// in the memo) is caught alike, and one that leaves them as they were asks nothing.

#include "ui/FmMainCC.h"

#include "register/RegisterSnapshot.h"
#include "ui/MailSending.h"
#include "ui/ProgramSettings.h"

#include <QApplication>
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

void TCrisForm::UpdateTitle()
{
    QString title = QStringLiteral("Tinselwick[*]");
    if (!CurrentFileName.empty()) {
        // "[*]" in a file's name is the toolkit's placeholder unless doubled.
        QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(CurrentFileName))).fileName();
        name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
        title = name + QStringLiteral("[*] - Tinselwick");
    }
    setWindowTitle(title);
    registerChanged_ = RegisterSnapshot(GroupNames.get(), Participants.get()) != savedState_.Register;
    UpdateMarkForTemplate();
}

void TCrisForm::UpdateMarkForTemplate()
{
    setWindowModified(registerChanged_ || MNotes->toPlainText() != savedState_.Template);
}

void TCrisForm::ConnectSessionEnd()
{
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(application, &QGuiApplication::commitDataRequest, this, &TCrisForm::SessionEnding);
}

bool TCrisForm::MayClose()
{
    const TDocumentState now = CurrentState();
    return now == savedState_ || now == abandonedState_ || SaveOrDiscardBefore(QStringLiteral("closing"));
}

bool TCrisForm::SaveOrDiscardBefore(const QString& doing)
{
    QString question = QStringLiteral("Save the register before ") + doing + QLatin1Char('?');
    if (!CurrentFileName.empty()) {
        const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(CurrentFileName))).fileName();
        question
            = QStringLiteral("Save the changes to ") + name + QStringLiteral(" before ") + doing + QLatin1Char('?');
    }
    switch (services_.Messages.QuestionSaveDiscardCancel(question)) {
    case TSaveAnswer::Save:
        // As File > Save: its dialog when there is no file name yet, its error shown as
        // it shows it. A cancelled or failed save goes no further.
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
    if (Sending()
        && !services_.Messages.WarningOkCancel(QStringLiteral(
            "Letters are being sent. Stop after the letter on its way and close? The others can be sent later."))) {
        event->ignore();
        return;
    }
    if (!MayClose()) {
        event->ignore();
        return;
    }
    if (Sending()) {
        // The letter on its way is finished and recorded in the journal before the window goes.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        sending_.reset();
        QApplication::restoreOverrideCursor();
    }
    event->accept();
    services_.Settings.SetWindowGeometry(saveGeometry());
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
