// Tools > Email Letters: each giver's letter by e-mail, through the mail library the
// command-line tool's mail command runs, so that both send the same messages and keep
// the same journal. The run reads the saved document itself and sends on a thread of its
// own; the window stays usable, but nothing that changes the register or its draw runs
// until the sending has ended.

#include "ui/FmMainCC.h"

#include "mail/AddressList.h"
#include "platform/AtomicFile.h"
#include "platform/PosixFile.h"
#include "platform/gui/QtAnsi.h"
#include "register/CCUser.h"
#include "ui/MailDialog.h"
#include "ui/MailSending.h"
#include "ui/UserFiles.h"

#include <QApplication>
#include <QFileInfo>

#include <stdexcept>

namespace {

/// Where the keyring keeps a login's password.
QString KeyringKey(const TMailChoices& server)
{
    return server.user + QLatin1Char('@') + server.host;
}

/// The mail library's texts are UTF-8; the window's own errors are in the code page.
void TellMailError(IMessageService& messages, const std::exception& error)
{
    messages.ErrorBox(QString::fromStdString(WithFullStop(error.what())));
}

/// The address list's problems as the command-line tool prints them.
QStringList ProblemLines(const QString& listName, const TLineProblems& errors, const TLineProblems& warnings)
{
    QStringList lines;
    for (const std::string& line : mail::AddressProblemLines(listName.toStdString(), errors, warnings))
        lines << QString::fromStdString(line);
    return lines;
}

} // namespace

void TCrisForm::EmailLetters1Click(QObject*)
{
    if (!Participants || Participants->Count() == 0)
        throw std::runtime_error("Nothing to send: the register has no participants");
    QStringList withoutTaker;
    for (int i = 0; i < Participants->Count(); ++i)
        if (const TCCUser* giver = UserAt(*Participants, i); giver != nullptr && giver->Taker == nullptr)
            withoutTaker << AnsiToQString(giver->SpacedName());
    if (!withoutTaker.isEmpty()) {
        services_.Messages.ListMessage(TMessageKind::Error,
            QStringLiteral("No letters can be sent: the draw is not complete. These givers have no taker:"),
            withoutTaker, false);
        return;
    }
    // The run reads the document from its file, and the journal of who has their letter
    // lies beside it: what is sent must be what is saved.
    if (CurrentFileName.empty() || HasUnsavedChanges()) {
        const QString what = CurrentFileName.empty()
            ? QStringLiteral("the register")
            : QStringLiteral("the changes to ") + QFileInfo(ShownPath(CurrentFileName)).fileName();
        if (!services_.Messages.WarningOkCancel(QStringLiteral("The letters are sent from the saved document. Save ")
                + what + QStringLiteral(" first?")))
            return;
        RunGuarded([this] { Save1Click(Save1); });
        if (CurrentFileName.empty() || HasUnsavedChanges())
            return;
    }

    TMailRequest start;
    start.server = services_.Settings.Mail();
    start.addressList = addressList_;
    start.certFile = certFile_;
    if (!start.server.user.isEmpty() && !start.server.host.isEmpty())
        if (std::optional<QString> password = services_.Keyring.Read(KeyringKey(start.server))) {
            start.password = *password;
            start.rememberPassword = true;
        }
    auto* dialog = new TMailDialog(
        start, [this](const TFileDialogRequest& request) { return OpenFileDialog(request); },
        [this](const QString& file, bool allowShared) { return AddressProblems(file, allowShared); }, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Window-modal and not waited for, as Draw Rules: the register stays as the dialog
    // checks the addresses against it.
    dialog->setWindowModality(Qt::WindowModal);
    connect(dialog, &TMailDialog::SendRequested, this, [this, dialog] { RunGuarded([&] { SendLetters(*dialog); }); });
    dialog->open();
}

TAddressCheck TCrisForm::AddressProblems(const QString& file, bool allowShared) const
{
    std::vector<const TCCUser*> givers;
    if (Participants)
        for (int i = 0; i < Participants->Count(); ++i)
            if (const TCCUser* giver = UserAt(*Participants, i))
                givers.push_back(giver);
    const mail::TAddressMatch match
        = mail::MatchAddresses(platform::ReadWholeFile(NativeFullPath(file)), givers, allowShared);
    return { ProblemLines(QFileInfo(file).fileName(), match.errors, match.warnings), match.errors.Empty() };
}

void TCrisForm::SendLetters(TMailDialog& dialog)
{
    const TMailRequest request = dialog.Request();
    TMailChoices server = request.server;
    // An IPv6 address as a URL writes it.
    if (server.host.startsWith(QLatin1Char('[')) && server.host.endsWith(QLatin1Char(']')))
        server.host = server.host.mid(1, server.host.size() - 2);
    if (server.host.isEmpty())
        throw std::runtime_error("Name the mail server the letters go through");
    if (!server.user.isEmpty() && request.password.isEmpty())
        throw std::runtime_error(
            "Type the password of " + server.user.toStdString() + " at " + server.host.toStdString());
    if (request.addressList.isEmpty())
        throw std::runtime_error("Choose the address list: the people list with an email column");
    if (!request.certFile.isEmpty() && !QFileInfo(request.certFile).isReadable())
        throw std::runtime_error("Cannot read the certificate file " + request.certFile.toStdString());

    mail::TMailSettings settings;
    settings.from = server.from.toStdString();
    if (!server.subject.isEmpty())
        settings.subject = server.subject.toStdString();
    settings.attachPdf = request.attachPdf;
    settings.allowSharedAddress = request.allowShared;
    std::unique_ptr<mail::TMailRun> run;
    try {
        run = std::make_unique<mail::TMailRun>(CurrentFileName, NativeFullPath(request.addressList), settings);
    } catch (const std::exception& error) {
        TellMailError(services_.Messages, error);
        return;
    }
    if (!run->GiversWithoutTaker().empty()) {
        QStringList names;
        for (const std::string& name : run->GiversWithoutTaker())
            names << QString::fromStdString(name);
        services_.Messages.ListMessage(TMessageKind::Error,
            QStringLiteral("No letters sent: the draw in the saved document is not complete. These givers have no "
                           "taker:"),
            names, false);
        return;
    }
    const QString listName = QFileInfo(request.addressList).fileName();
    const QStringList problems = ProblemLines(listName, run->Errors(), run->Warnings());
    dialog.ShowProblems({ problems, run->Errors().Empty() });
    if (!run->Errors().Empty()) {
        services_.Messages.ListMessage(TMessageKind::Error,
            QStringLiteral("No letters sent: every giver needs an address of their own in %1.").arg(listName), problems,
            false);
        return;
    }
    bool restart = false;
    const mail::TSentJournal& journal = run->Journal();
    if (journal.State() == mail::TSentJournal::TState::EarlierDraw) {
        if (!services_.Messages.QuestionYesNo(
                QStringLiteral("Letters of an earlier draw went to %1 people on %2. Send this draw to everybody?")
                    .arg(journal.EarlierCount())
                    .arg(QString::fromStdString(journal.EarlierDate()))))
            return;
        restart = true;
    }
    if (run->ToSend(restart) == 0) {
        services_.Messages.ListMessage(TMessageKind::Information,
            QStringLiteral("All %1 letters were sent already.").arg(run->GiverCount()), {}, false);
        return;
    }

    // The choices are kept once they are sound, whatever becomes of the sending.
    services_.Settings.SetMail(request.server);
    addressList_ = request.addressList;
    certFile_ = request.certFile;
    if (!server.user.isEmpty()) {
        try {
            if (request.rememberPassword)
                services_.Keyring.Write(KeyringKey(server), request.password);
            else
                services_.Keyring.Forget(KeyringKey(server));
        } catch (const std::exception& error) {
            // Not kept is no reason to keep the letters back; forgetting fails only where
            // no keyring answers, and then nothing is kept.
            if (request.rememberPassword)
                services_.Messages.ListMessage(TMessageKind::Warning,
                    QString::fromStdString(error.what()) + QStringLiteral(" The letters go all the same."), {}, false);
        }
    }

    TMailConnection connection { { server.implicitTls, server.host.toStdString(), server.port },
        server.user.toStdString(), request.certFile.isEmpty() ? std::string() : NativeFullPath(request.certFile) };
    dialog.accept();
    sending_ = std::make_unique<TMailSending>(std::move(run), std::move(connection), request.password.toStdString(),
        restart, services_.MailTransport, this, [this](const TMailOutcome& outcome) { LettersSent(outcome); });
    ApplySendingLock();
}

void TCrisForm::LettersSent(const TMailOutcome& outcome)
{
    // Its own queued call is running: it goes once that has returned.
    sending_->HideProgress();
    sending_.release()->deleteLater();
    ApplySendingLock();

    const mail::TSendResult& result = outcome.result;
    const QString rest
        = QStringLiteral("%1 sent, %2 remain: Email Letters sends the rest.").arg(result.sent).arg(result.remaining);
    if (!outcome.error.empty())
        services_.Messages.ErrorBox(
            QStringLiteral("No letters sent: ") + QString::fromStdString(WithFullStop(outcome.error)));
    else if (!result.stopReason.empty())
        services_.Messages.ListMessage(TMessageKind::Error,
            QString::fromStdString(WithFullStop(result.stopReason)) + QLatin1Char('\n') + rest, {}, false);
    else if (result.cancelled)
        services_.Messages.ListMessage(TMessageKind::Warning, QStringLiteral("Sending stopped. ") + rest, {}, false);
    else {
        QString told = QStringLiteral("%1 letter%2 sent").arg(result.sent).arg(result.sent == 1 ? "" : "s");
        if (result.skipped > 0)
            told += QStringLiteral(", %1 skipped (sent before)").arg(result.skipped);
        services_.Messages.ListMessage(TMessageKind::Information, told + QLatin1Char('.'), {}, false);
    }
}

void TCrisForm::ApplySendingLock()
{
    for (QPushButton* button : RegisterChangingButtons())
        button->setEnabled(commandsEnabled_ && !Sending());
    for (QAction* item : RegisterChangingItems())
        item->setEnabled((item == Retrieve1 || commandsEnabled_) && !Sending());
}
