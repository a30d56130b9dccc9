#pragma once
// The Email Letters dialog: the mail server (host, port, TLS or STARTTLS), the login and
// whether its password is kept in the desktop keyring, the sender and the subject, the
// address list with its problems listed as soon as it is chosen, the PDF attachment, and
// under "More" a certificate file and whether two givers may share an address. The
// window does the sending: the dialog stays open until the letters are on their way.

#include "platform/gui/FileDialogService.h"
#include "ui/ProgramSettings.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

#include <functional>
#include <optional>

/// Everything the dialog asks for.
struct TMailRequest {
    TMailChoices server; ///< what the program's settings remember
    QString password;
    bool rememberPassword = false;
    QString addressList; ///< the people CSV (full path); empty: none chosen
    QString certFile; ///< empty: the system's certificates
    bool attachPdf = false;
    bool allowShared = false;
};

/// An address list checked against the register.
struct TAddressCheck {
    QStringList lines; ///< as mail::AddressProblemLines gives them
    bool ready = false; ///< every giver has an address of their own: only warnings, if anything
};

class TMailDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows the open dialog for the request (the caller sets the starting folder).
    using TOpenFile = std::function<std::optional<QString>(const TFileDialogRequest&)>;
    /// The problem lines of an address list, checked against the register; raises when
    /// the file cannot be read.
    using TCheckAddresses = std::function<TAddressCheck(const QString& file, bool allowShared)>;

    TMailDialog(const TMailRequest& start, TOpenFile openFile, TCheckAddresses check, QWidget* parent = nullptr);

    TMailRequest Request() const;
    /// Lists the address list's problems, and says so when they stop nothing.
    void ShowProblems(const TAddressCheck& check);

    QLineEdit* EHost;
    QSpinBox* EPort;
    QRadioButton* RStartTls;
    QRadioButton* RTls;
    QLineEdit* EUser;
    QLineEdit* EPassword;
    QCheckBox* CRememberPassword;
    QLineEdit* EFrom;
    QLineEdit* ESubject;
    QLabel* LAddressFile;
    QPushButton* BAddressFile;
    QListWidget* MAddressProblems;
    QCheckBox* CAttachPdf;
    QToolButton* BMore;
    QWidget* PMore;
    QLineEdit* ECertFile;
    QPushButton* BCertFile;
    QCheckBox* CAllowShared;
    QPushButton* BSend;

signals:
    /// Send was pressed; the window checks, sends, and closes the dialog once the letters go.
    void SendRequested();

private:
    void CreateControls();
    void ChooseAddressList();
    void ChooseCertFile();
    /// Checks the chosen address list again; a file that cannot be read shows as its one problem.
    void CheckAddressList();

    TOpenFile openFile_;
    TCheckAddresses check_;
    QString addressList_;
};
