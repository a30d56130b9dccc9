// Tools > Email Letters: the dialog sends through the mail library to a real SMTP server
// on the loopback, remembers what it may, and keeps the register still while it sends.

#include "FormFixture.h"
#include "TestSmtpServer.h"

#include "mail/SentJournal.h"
#include "platform/PosixFile.h"
#include "ui/MailDialog.h"

#include <QDate>
#include <QJsonArray>

#include <fstream>
#include <set>

namespace {

/// Accepts every message until `cancelAt`, where it asks the sending to stop while the
/// message is in flight.
class TStoppingTransport final : public mail::IMailTransport {
public:
    explicit TStoppingTransport(std::function<void()> stop)
        : stop_(std::move(stop))
    {
    }
    void Send(const mail::TEnvelope& envelope, const std::string&) override
    {
        accepted.push_back(envelope.to);
        if (accepted.size() == 2)
            stop_();
    }
    void EndSession() override { }
    inline static std::vector<std::string> accepted;

private:
    std::function<void()> stop_;
};

class EmailLettersTest : public FormTest {
protected:
    testsupport::TTempDir dir;
    QString document = QString::fromStdString(dir / "family.kks");
    QString people = QString::fromStdString(dir / "people.csv");

    /// Six people in three households, drawn and saved, and their addresses.
    void SetUp() override
    {
        FormTest::SetUp();
        Register({ { "SMITH", 2 }, { "JONES", 2 }, { "BROWN", 2 } });
        F().BGo->click();
        fileDialogs.answers.push_back(document);
        F().Save1->trigger();
        std::ofstream csv(people.toStdString());
        csv << "first,last,email\n";
        for (const std::string& key : ParticipantKeys())
            csv << Participant(key)->FirstName << ",x," << Participant(key)->FirstName << "@example.org\n";
    }

    /// Opens the dialog and fills it for `server`, the address list chosen through its button.
    TMailDialog& OpenDialog(const testsupport::TTestSmtpServer& server)
    {
        F().EmailLetters1->trigger();
        auto* dialog = F().findChild<TMailDialog*>();
        EXPECT_NE(dialog, nullptr);
        dialog->EHost->setText(QStringLiteral("localhost"));
        dialog->EPort->setValue(QString::fromStdString(server.Url()).section(QLatin1Char(':'), -1).toInt());
        dialog->EUser->setText(QString::fromLatin1(server.kUser));
        dialog->EPassword->setText(QString::fromLatin1(server.kPassword));
        dialog->EFrom->setText(QStringLiteral("santa@example.org"));
        dialog->ECertFile->setText(QString::fromStdString(testsupport::TestCertificate().cert));
        fileDialogs.answers.push_back(people);
        dialog->BAddressFile->click();
        return *dialog;
    }

    void WaitForTheEnd()
    {
        while (F().Sending())
            QTest::qWait(5);
    }

    std::multiset<std::string> Recipients(const testsupport::TTestSmtpServer& server) const
    {
        std::multiset<std::string> to;
        for (const QJsonObject& m : server.Messages())
            to.insert(m["rcpt_tos"].toArray().at(0).toString().toStdString());
        return to;
    }
};

TEST_F(EmailLettersTest, EveryGiverGetsOneLetterWhileTheRegisterStaysStillAndTheChoicesAreRemembered)
{
    const testsupport::TTestSmtpServer server;
    TMailDialog& dialog = OpenDialog(server);
    EXPECT_EQ(dialog.MAddressProblems->item(0)->text(), "Every giver has an address of their own.");
    dialog.CRememberPassword->setChecked(true);
    messages.Take();
    dialog.BSend->click();

    ASSERT_TRUE(F().Sending());
    for (QAction* item : F().RegisterChangingItems())
        EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
    for (QPushButton* button : F().RegisterChangingButtons())
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_TRUE(F().BPrint->isEnabled());
    WaitForTheEnd();

    EXPECT_EQ(messages.Take(), Messages { Listed(TMessageKind::Information, "6 letters sent.", {}) });
    EXPECT_TRUE(CommandsEnabled());
    EXPECT_TRUE(F().Retrieve1->isEnabled());
    std::multiset<std::string> expected;
    for (const std::string& key : ParticipantKeys())
        expected.insert(Participant(key)->FirstName + "@example.org");
    EXPECT_EQ(Recipients(server), expected);

    // A new start: the server and sender from the settings, the password from the keyring.
    Restart();
    F().RetrieveDocument(document);
    F().EmailLetters1->trigger();
    const TMailRequest remembered = F().findChild<TMailDialog*>()->Request();
    EXPECT_EQ(remembered.server.host, "localhost");
    EXPECT_EQ(remembered.server.user, server.kUser);
    EXPECT_EQ(remembered.server.from, "santa@example.org");
    EXPECT_EQ(remembered.password, server.kPassword);
    EXPECT_TRUE(remembered.rememberPassword);
    const QString settingsText = QString::fromUtf8(platform::ReadWholeFile(SettingsFile().toStdString()));
    EXPECT_FALSE(settingsText.contains(QString::fromLatin1(server.kPassword)));
}

TEST_F(EmailLettersTest, ALaterDrawAsksBeforeEverybodyGetsANewLetterAndAnAnsweredRunSendsNothingTwice)
{
    const testsupport::TTestSmtpServer server;
    OpenDialog(server).BSend->click();
    WaitForTheEnd();
    OpenDialog(server).BSend->click();
    EXPECT_FALSE(F().Sending());
    EXPECT_EQ(messages.Take().back(), Listed(TMessageKind::Information, "All 6 letters were sent already.", {}));
    F().findChild<TMailDialog*>()->reject();

    F().BGo->click();
    F().Save1->trigger();
    const QString question = QStringLiteral("Letters of an earlier draw went to 6 people on %1. Send this draw to "
                                            "everybody?")
                                 .arg(QDate::currentDate().toString(Qt::ISODate));
    OpenDialog(server).BSend->click();
    EXPECT_EQ(messages.Take().back(), (TShownMessage { TShownMessage::Question, question }));
    EXPECT_FALSE(F().Sending());
    messages.yesNoAnswers = { true };
    F().findChild<TMailDialog*>()->BSend->click();
    WaitForTheEnd();
    EXPECT_EQ(server.Messages().size(), 12u);
}

TEST_F(EmailLettersTest, CancelStopsAfterTheLetterInFlightAndTheJournalKeepsWhoHasTheirs)
{
    TStoppingTransport::accepted.clear();
    mailTransport = [this](const TMailConnection&, mail::IPasswordSource&) {
        return std::make_unique<TStoppingTransport>([this] {
            QMetaObject::invokeMethod(
                F().findChild<QPushButton*>("BStopSending"), "click", Qt::BlockingQueuedConnection);
        });
    };
    NewForm();
    F().RetrieveDocument(document);
    const testsupport::TTestSmtpServer server;
    OpenDialog(server).BSend->click();
    WaitForTheEnd();
    EXPECT_EQ(TStoppingTransport::accepted.size(), 2u);
    EXPECT_EQ(messages.Take().back(),
        Listed(TMessageKind::Warning, "Sending stopped. 2 sent, 4 remain: Email Letters sends the rest.", {}));
    std::vector<const TCCUser*> givers;
    for (const std::string& key : ParticipantKeys())
        givers.push_back(Participant(key));
    EXPECT_EQ(mail::TSentJournal(document.toStdString(), givers).SentCount(), 2);
}

TEST_F(EmailLettersTest, UnsavedChangesAndAddressProblemsAreToldBeforeAnythingIsSent)
{
    AddParticipant(QStringLiteral("newcomer"), QStringLiteral("x"));
    F().BGo->click();
    F().EmailLetters1->trigger();
    EXPECT_EQ(messages.Take().back(),
        (TShownMessage { TShownMessage::Warning,
            "The letters are sent from the saved document. Save the changes to family.kks first?" }));
    EXPECT_EQ(F().findChild<TMailDialog*>(), nullptr);

    messages.warningAnswers = { true };
    const testsupport::TTestSmtpServer server;
    TMailDialog& dialog = OpenDialog(server);
    EXPECT_FALSE(F().HasUnsavedChanges());
    const QStringList problems { "people.csv: no line for NEWCOMER X" };
    EXPECT_EQ(dialog.MAddressProblems->item(0)->text(), problems[0]);
    dialog.BSend->click();
    EXPECT_EQ(messages.Take().back(),
        Listed(TMessageKind::Error, "No letters sent: every giver needs an address of their own in people.csv.",
            problems));
    EXPECT_FALSE(F().Sending());
    EXPECT_TRUE(server.Messages().empty());
}

} // namespace
