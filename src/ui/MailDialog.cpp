#include "ui/MailDialog.h"

#include "ui/DialogControls.h"
#include "ui/FileFilters.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <exception>

namespace {

const QString kCertificateFilter = QStringLiteral("Certificates|*.pem *.crt|All Files|*.*");
constexpr int kStartTlsPort = 587;
constexpr int kTlsPort = 465;

QLabel* NewLabel(QWidget* parent, const char* caption, QWidget* buddy)
{
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setBuddy(buddy);
    return label;
}

QLineEdit* NewEdit(QWidget* parent, const char* name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    // A line break or another control character could add a header to every message;
    // refused where it is typed or pasted rather than when the letters go.
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^\\x00-\\x1f\\x7f]*")), edit));
    return edit;
}

} // namespace

TMailDialog::TMailDialog(const TMailRequest& start, TOpenFile openFile, TCheckAddresses check, QWidget* parent)
    : QDialog(parent)
    , openFile_(std::move(openFile))
    , check_(std::move(check))
    , addressList_(start.addressList)
{
    setObjectName(QStringLiteral("MailDialog"));
    setWindowTitle(QStringLiteral("Email Letters"));
    if (parent != nullptr)
        setFont(parent->font());
    CreateControls();
    EHost->setText(start.server.host);
    (start.server.implicitTls ? RTls : RStartTls)->setChecked(true);
    EPort->setValue(start.server.port);
    EUser->setText(start.server.user);
    EPassword->setText(start.password);
    CRememberPassword->setChecked(start.rememberPassword);
    EFrom->setText(start.server.from);
    ESubject->setText(start.server.subject.isEmpty() ? QStringLiteral("Your Kris Kringle") : start.server.subject);
    CAttachPdf->setChecked(start.attachPdf);
    ECertFile->setText(start.certFile);
    CAllowShared->setChecked(start.allowShared);
    // What was chosen under "More" stays in sight.
    BMore->setChecked(!start.certFile.isEmpty() || start.allowShared);
    if (addressList_.isEmpty())
        LAddressFile->setText(QStringLiteral("No file chosen"));
    else
        CheckAddressList();
}

void TMailDialog::CreateControls()
{
    EHost = NewEdit(this, "EHost");
    EHost->setPlaceholderText(QStringLiteral("mail.example.org"));
    EPort = new QSpinBox(this);
    EPort->setObjectName(QStringLiteral("EPort"));
    EPort->setRange(1, 65535);
    EPort->setAccessibleName(QStringLiteral("Port"));
    RStartTls = new QRadioButton(QStringLiteral("STARTTLS"), this);
    RStartTls->setObjectName(QStringLiteral("RStartTls"));
    RStartTls->setToolTip(QStringLiteral("Plain at first, then encrypted before the login (usually port 587)."));
    RTls = new QRadioButton(QStringLiteral("TLS"), this);
    RTls->setObjectName(QStringLiteral("RTls"));
    RTls->setToolTip(QStringLiteral("Encrypted from the first byte (usually port 465)."));
    EUser = NewEdit(this, "EUser");
    EUser->setPlaceholderText(QStringLiteral("none: no login"));
    EPassword = NewEdit(this, "EPassword");
    EPassword->setEchoMode(QLineEdit::Password);
    CRememberPassword = NewCheckBox(this, "CRememberPassword", "Remember in the desktop &keyring",
        "Kept by the desktop's keyring, never in a file of Tinselwick's.");
    EFrom = NewEdit(this, "EFrom");
    EFrom->setPlaceholderText(QStringLiteral("an address kept for the draw"));
    EFrom->setToolTip(QStringLiteral("Bounced letters come back to this address, and many providers keep a copy of "
                                     "every sent message in its Sent folder."));
    ESubject = NewEdit(this, "ESubject");
    LAddressFile = new QLabel(this);
    LAddressFile->setObjectName(QStringLiteral("LAddressFile"));
    LAddressFile->setWordWrap(true);
    BAddressFile = NewChooseButton(this, "BAddressFile", "Choose the address list");
    BAddressFile->setToolTip(QStringLiteral("The people list with an email column, as a CSV file."));
    MAddressProblems = new QListWidget(this);
    MAddressProblems->setObjectName(QStringLiteral("MAddressProblems"));
    MAddressProblems->setAccessibleName(QStringLiteral("Problems of the address list"));
    MAddressProblems->setSelectionMode(QAbstractItemView::NoSelection);
    CAttachPdf = NewCheckBox(this, "CAttachPdf", "Attac&h the letter as PDF",
        "Each giver's page as a PDF file too, the file Letters to Folder makes.");
    BMore = new QToolButton(this);
    BMore->setObjectName(QStringLiteral("BMore"));
    BMore->setText(QStringLiteral("&More"));
    BMore->setCheckable(true);
    BMore->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    BMore->setArrowType(Qt::RightArrow);
    BMore->setAutoRaise(true);
    PMore = new QWidget(this);
    PMore->setObjectName(QStringLiteral("PMore"));
    ECertFile = NewEdit(PMore, "ECertFile");
    ECertFile->setPlaceholderText(QStringLiteral("the system's certificates"));
    BCertFile = NewChooseButton(PMore, "BCertFile", "Choose the certificate file");
    CAllowShared = NewCheckBox(PMore, "CAllowShared", "Allow a shared a&ddress",
        "Two givers with one address: whoever reads that inbox sees both letters.");
    auto* buttons = new QDialogButtonBox(this);
    BSend = buttons->addButton(QStringLiteral("Send"), QDialogButtonBox::AcceptRole);
    BSend->setObjectName(QStringLiteral("BSend"));
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BMailCancel"));

    auto* server = new QHBoxLayout;
    server->addWidget(EHost, 1);
    server->addWidget(NewLabel(this, "P&ort:", EPort));
    server->addWidget(EPort);
    server->addWidget(RStartTls);
    server->addWidget(RTls);
    auto* password = new QHBoxLayout;
    password->addWidget(EPassword, 1);
    password->addWidget(CRememberPassword);
    auto* addressFile = new QHBoxLayout;
    addressFile->addWidget(LAddressFile, 1);
    addressFile->addWidget(BAddressFile);
    auto* more = new QGridLayout(PMore);
    more->setContentsMargins(0, 0, 0, 0);
    more->addWidget(NewLabel(PMore, "&Certificate file:", ECertFile), 0, 0);
    more->addWidget(ECertFile, 0, 1);
    more->addWidget(BCertFile, 0, 2);
    more->addWidget(CAllowShared, 1, 0, 1, 3);

    auto* layout = new QGridLayout(this);
    int row = 0;
    const auto add = [&](const char* caption, QWidget* buddy, QLayout* field) {
        layout->addWidget(NewLabel(this, caption, buddy), row, 0);
        layout->addLayout(field, row++, 1);
    };
    const auto addWidget = [&](const char* caption, QWidget* field) {
        layout->addWidget(NewLabel(this, caption, field), row, 0);
        layout->addWidget(field, row++, 1);
    };
    add("&Server:", EHost, server);
    addWidget("&User name:", EUser);
    add("&Password:", EPassword, password);
    addWidget("&From:", EFrom);
    addWidget("Su&bject:", ESubject);
    add("&Address list:", BAddressFile, addressFile);
    layout->setRowStretch(row, 1);
    layout->addWidget(MAddressProblems, row++, 1);
    layout->addWidget(CAttachPdf, row++, 1);
    layout->addWidget(BMore, row++, 0, 1, 2, Qt::AlignLeft);
    layout->addWidget(PMore, row++, 1);
    layout->addWidget(buttons, row++, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    const QFontMetrics metrics(font());
    EHost->setMinimumWidth(metrics.averageCharWidth() * 30);
    // A few lines at first; the list grows with the dialog for a long list of problems.
    MAddressProblems->setMinimumSize(metrics.averageCharWidth() * 60, metrics.lineSpacing() * 5);
    MAddressProblems->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    PMore->hide();

    // The port follows the choice of TLS while it is the other choice's usual one.
    connect(RTls, &QRadioButton::toggled, this, [this](bool tls) {
        if (EPort->value() == (tls ? kStartTlsPort : kTlsPort))
            EPort->setValue(tls ? kTlsPort : kStartTlsPort);
    });
    connect(BMore, &QToolButton::toggled, this, [this](bool shown) {
        BMore->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
        PMore->setVisible(shown);
        adjustSize();
    });
    connect(BAddressFile, &QPushButton::clicked, this, &TMailDialog::ChooseAddressList);
    connect(BCertFile, &QPushButton::clicked, this, &TMailDialog::ChooseCertFile);
    connect(CAllowShared, &QCheckBox::toggled, this, [this] {
        if (!addressList_.isEmpty())
            CheckAddressList();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &TMailDialog::SendRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TMailRequest TMailDialog::Request() const
{
    TMailRequest request;
    request.server.host = EHost->text().trimmed();
    request.server.port = EPort->value();
    request.server.implicitTls = RTls->isChecked();
    request.server.user = EUser->text().trimmed();
    request.server.from = EFrom->text().trimmed();
    request.server.subject = ESubject->text();
    request.password = EPassword->text();
    request.rememberPassword = CRememberPassword->isChecked();
    request.addressList = addressList_;
    request.certFile = ECertFile->text().trimmed();
    request.attachPdf = CAttachPdf->isChecked();
    request.allowShared = CAllowShared->isChecked();
    return request;
}

void TMailDialog::ShowProblems(const TAddressCheck& check)
{
    MAddressProblems->clear();
    MAddressProblems->addItems(check.lines);
    if (check.ready)
        MAddressProblems->addItem(QStringLiteral("Every giver has an address of their own."));
}

void TMailDialog::ChooseAddressList()
{
    const std::optional<QString> file = openFile_({ kCsvExtension, kCsvFilter, QString(), addressList_ });
    if (!file)
        return;
    addressList_ = *file;
    CheckAddressList();
}

void TMailDialog::ChooseCertFile()
{
    const std::optional<QString> file = openFile_({ QString(), kCertificateFilter, QString(), ECertFile->text() });
    if (file)
        ECertFile->setText(*file);
}

void TMailDialog::CheckAddressList()
{
    LAddressFile->setText(QFileInfo(addressList_).fileName());
    LAddressFile->setToolTip(addressList_);
    try {
        ShowProblems(check_(addressList_, CAllowShared->isChecked()));
    } catch (const std::exception& error) {
        ShowProblems({ { QFileInfo(addressList_).fileName() + QStringLiteral(" cannot be read: ")
                           + QString::fromStdString(error.what()) },
            false });
    }
}
