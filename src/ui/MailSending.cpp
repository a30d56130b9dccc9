#include "ui/MailSending.h"

#include "mail/CurlTransport.h"
#include "print/qt/LetterFiles.h"
#include "print/qt/LetterPdf.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>

std::unique_ptr<mail::IMailTransport> CurlMailTransport(
    const TMailConnection& connection, mail::IPasswordSource& passwords)
{
    mail::TCurlSettings settings = mail::PlanConnection(connection.server);
    settings.user = connection.user;
    settings.caCertFile = connection.caCertFile;
    return std::make_unique<mail::TCurlTransport>(std::move(settings), &passwords);
}

// ---- The progress window ----------------------------------------------------------------

TMailProgressWindow::TMailProgressWindow(std::function<void()> cancel, QWidget* parent)
    : QDialog(parent)
    , cancel_(std::move(cancel))
{
    setObjectName(QStringLiteral("MailProgress"));
    setWindowTitle(QStringLiteral("Sending the Letters"));
    if (parent != nullptr)
        setFont(parent->font());
    label_ = new QLabel(QStringLiteral("Connecting to the mail server..."), this);
    label_->setObjectName(QStringLiteral("LMailProgress"));
    label_->setTextFormat(Qt::PlainText);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("PBMailProgress"));
    bar_->setAccessibleName(QStringLiteral("Letters sent"));
    bar_->setFormat(QStringLiteral("%v of %m"));
    stop_ = new QPushButton(QStringLiteral("Cancel"), this);
    stop_->setObjectName(QStringLiteral("BStopSending"));
    stop_->setToolTip(QStringLiteral("The letter on its way is finished; the others stay unsent, and Email Letters "
                                     "sends them later."));
    connect(stop_, &QPushButton::clicked, this, [this] { cancel_(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addWidget(stop_, 0, Qt::AlignRight);
    label_->setMinimumWidth(QFontMetrics(font()).averageCharWidth() * 60);
}

void TMailProgressWindow::Show(const mail::TMailProgress& progress)
{
    bar_->setMaximum(progress.count);
    bar_->setValue(progress.number - (progress.accepted ? 0 : 1));
    // A letter's giver and address, never whom they give to.
    if (!progress.accepted && stop_->isEnabled())
        label_->setText(QStringLiteral("Sending %1 of %2: %3")
                            .arg(progress.number)
                            .arg(progress.count)
                            .arg(QString::fromStdString(progress.name + " <" + progress.address + ">")));
}

void TMailProgressWindow::ShowStopping()
{
    stop_->setEnabled(false);
    label_->setText(QStringLiteral("Stopping once the letter on its way is sent..."));
}

// ---- The sending ---------------------------------------------------------------------------

TMailSending::TGivenPassword::~TGivenPassword()
{
    std::fill(password_.begin(), password_.end(), '\0');
}

TMailSending::TMailSending(std::unique_ptr<mail::TMailRun> run, TMailConnection connection, std::string password,
    bool restart, const TMailTransportMaker& makeTransport, QWidget* window,
    std::function<void(const TMailOutcome&)> finished)
    : QObject(window)
    , run_(std::move(run))
    , letters_(std::make_unique<TLetterPdfWriter>(run_->Participants(), run_->TemplateLines(), kPdfFileDotsPerInch))
    , connection_(std::move(connection))
    , password_(std::move(password))
    , restart_(restart)
    , makeTransport_(makeTransport)
    , finished_(std::move(finished))
    , progress_(new TMailProgressWindow([this] { Cancel(); }, window))
{
    run_->SetLetterPdfMaker([this](const TCCUser& giver) { return letters_->Letter(giver); });
    progress_->show();
    worker_ = std::thread([this] { Work(); });
}

TMailSending::~TMailSending()
{
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
    delete progress_;
}

void TMailSending::Cancel()
{
    cancel_ = true;
    if (progress_)
        progress_->ShowStopping();
}

void TMailSending::HideProgress()
{
    if (progress_)
        progress_->hide();
}

void TMailSending::Work()
{
    TMailOutcome outcome;
    outcome.result.remaining = run_->ToSend(restart_);
    try {
        const std::unique_ptr<mail::IMailTransport> transport = makeTransport_(connection_, password_);
        const auto progress = [this](const mail::TMailProgress& p) {
            QMetaObject::invokeMethod(
                this, [this, p] { progress_->Show(p); }, Qt::QueuedConnection);
        };
        outcome.result = run_->Send(*transport, { restart_, progress, &cancel_ });
    } catch (const std::exception& error) {
        outcome.error = error.what();
    }
    // Told through the window's event loop; should the sending go first, the call goes with it.
    QMetaObject::invokeMethod(
        this, [this, outcome] { finished_(outcome); }, Qt::QueuedConnection);
}
