#pragma once
// Letters by e-mail from the window: one run sent on a thread of its own, its progress in
// a small window beside the main one, which stays usable meanwhile. The run holds its own
// copy of the register, read from the saved document, so nothing done in the window
// reaches the letters; keeping the register as the letters have it is the window's part.

#include "mail/MailRun.h"
#include "ui/MailConnection.h"

#include <QDialog>
#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class TLetterPdfWriter;

/// How a sending ended.
struct TMailOutcome {
    mail::TSendResult result;
    std::string error; ///< what stopped it before the run could start (UTF-8); nothing was sent then
};

/// The progress window: Cancel, Escape and its close button ask the sending to stop.
class TMailProgressWindow : public QDialog {
public:
    TMailProgressWindow(std::function<void()> cancel, QWidget* parent);
    void Show(const mail::TMailProgress& progress);
    void ShowStopping();
    void reject() override { cancel_(); }

private:
    std::function<void()> cancel_;
    QLabel* label_;
    QProgressBar* bar_;
    QPushButton* stop_;
};

class TMailSending : public QObject {
public:
    /// Starts sending at once; `finished` is called once, on the window's thread.
    TMailSending(std::unique_ptr<mail::TMailRun> run, TMailConnection connection, std::string password, bool restart,
        const TMailTransportMaker& makeTransport, QWidget* window, std::function<void(const TMailOutcome&)> finished);
    /// Stops after the message in flight and waits for it: the journal then has it.
    ~TMailSending() override;
    TMailSending(const TMailSending&) = delete;
    TMailSending& operator=(const TMailSending&) = delete;

    /// The message in flight is finished, then the run stops.
    void Cancel();
    /// Takes the progress window off the screen, once the sending has ended.
    void HideProgress();

private:
    /// The password the dialog was given, handed to the transport before its first login.
    class TGivenPassword final : public mail::IPasswordSource {
    public:
        explicit TGivenPassword(std::string password)
            : password_(std::move(password))
        {
        }
        ~TGivenPassword() override;
        TGivenPassword(const TGivenPassword&) = delete;
        TGivenPassword& operator=(const TGivenPassword&) = delete;
        std::string Password() override { return password_; }

    private:
        std::string password_;
    };

    void Work();

    std::unique_ptr<mail::TMailRun> run_;
    std::unique_ptr<TLetterPdfWriter> letters_;
    TMailConnection connection_;
    TGivenPassword password_;
    bool restart_;
    TMailTransportMaker makeTransport_;
    std::function<void(const TMailOutcome&)> finished_;
    std::atomic<bool> cancel_ = false;
    QPointer<TMailProgressWindow> progress_;
    std::thread worker_; // last: it starts once everything above is there
};
