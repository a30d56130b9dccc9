// tinselwick-cli mail FILE.kks --addresses PEOPLE.csv --server URL --from ADDRESS ...:
// each giver's letter by e-mail, through the organiser's own mail server, so that nobody
// but the giver sees whom they give to. Runs in tinselwick-print, which can make the
// PDF attachment; the work itself is the mail library's run (mail/MailRun.h).

#include "cli/CliCommand.h"
#include "mail/CurlTransport.h"
#include "mail/MailRun.h"
#include "print/qt/LetterFiles.h"
#include "print/qt/LetterPdf.h"

#include <QGuiApplication>

#include <cmath>
#include <csignal>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <stdexcept>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace cli {
namespace {

    constexpr const char* kPasswordVariable = "TINSELWICK_SMTP_PASSWORD";

    /// While the echo is off: a signal that ends the process first puts the terminal back,
    /// so that Ctrl-C at the password's prompt does not leave the shell typing blind.
    class TEchoOff {
    public:
        explicit TEchoOff(int fd)
        {
            fd_ = fd;
            if (::tcgetattr(fd, &saved_) != 0)
                return;
            struct sigaction restore { };
            restore.sa_handler = Restore;
            ::sigemptyset(&restore.sa_mask);
            for (std::size_t k = 0; k < std::size(kSignals); ++k)
                ::sigaction(kSignals[k], &restore, &previous_[k]);
            termios silent = saved_;
            silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            active_ = ::tcsetattr(fd, TCSAFLUSH, &silent) == 0;
        }
        ~TEchoOff()
        {
            if (active_)
                ::tcsetattr(fd_, TCSAFLUSH, &saved_);
            for (std::size_t k = 0; k < std::size(kSignals); ++k)
                ::sigaction(kSignals[k], &previous_[k], nullptr);
        }
        TEchoOff(const TEchoOff&) = delete;
        TEchoOff& operator=(const TEchoOff&) = delete;

    private:
        static constexpr int kSignals[] = { SIGINT, SIGTERM, SIGQUIT, SIGHUP };
        // One prompt at a time: the handler can only reach what is static.
        static inline int fd_ = -1;
        static inline termios saved_ {};
        static inline struct sigaction previous_[std::size(kSignals)] {};
        static inline volatile sig_atomic_t active_ = 0;

        static void Restore(int signal)
        {
            if (active_)
                ::tcsetattr(fd_, TCSANOW, &saved_);
            // What would have happened without the prompt happens now.
            for (std::size_t k = 0; k < std::size(kSignals); ++k)
                if (kSignals[k] == signal)
                    ::sigaction(signal, &previous_[k], nullptr);
            ::raise(signal);
        }
    };

    /// The controlling terminal, for the password and nothing else; closed on destruction.
    class TTerminal {
    public:
        TTerminal()
            : fd_(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC))
        {
        }
        ~TTerminal()
        {
            if (fd_ >= 0)
                ::close(fd_);
        }
        TTerminal(const TTerminal&) = delete;
        TTerminal& operator=(const TTerminal&) = delete;
        bool Usable() const { return fd_ >= 0 && ::isatty(fd_); }

        /// Asks with `prompt` and reads a line with the echo off (put back on whatever happens).
        std::string AskHidden(const std::string& prompt)
        {
            std::string line;
            {
                const TEchoOff silent(fd_);
                Write(prompt);
                char c = 0;
                while (::read(fd_, &c, 1) == 1 && c != '\n')
                    line += c;
            }
            Write("\n");
            return line;
        }

    private:
        void Write(const std::string& text)
        {
            if (::write(fd_, text.data(), text.size()) < 0)
                return; // a prompt that cannot be shown still reads the answer
        }
        int fd_;
    };

    /// The password from the environment (taken out of it at once, so that nothing this
    /// process starts inherits it), else from the terminal when asked for.
    class TCliPasswords final : public mail::IPasswordSource {
    public:
        TCliPasswords()
        {
            if (const char* value = std::getenv(kPasswordVariable)) {
                fromEnvironment_ = value;
                ::unsetenv(kPasswordVariable);
            }
        }
        bool Available() const { return fromEnvironment_ || TTerminal().Usable(); }
        void SetPrompt(std::string prompt) { prompt_ = std::move(prompt); }
        std::string Password() override
        {
            if (fromEnvironment_)
                return *fromEnvironment_;
            TTerminal terminal;
            if (!terminal.Usable())
                throw std::runtime_error("No password: no terminal to ask on");
            return terminal.AskHidden(prompt_);
        }

    private:
        std::optional<std::string> fromEnvironment_;
        std::string prompt_;
    };

    struct TMailOptions {
        QCommandLineOption addresses { "addresses",
            "The people list (CSV, UTF-8) with the columns first (or first name), last (or last name) and email "
            "(or e-mail, or mail), any letter case; other columns are ignored, so the list import read serves.",
            "PEOPLE.csv" };
        QCommandLineOption server { "server",
            "The mail server: smtps://HOST[:PORT] (TLS, port 465) or smtp://HOST[:PORT] (STARTTLS, port 587). The "
            "certificate and host name are verified; plain SMTP only to a server on this machine.",
            "URL" };
        QCommandLineOption from { "from", "The sender's address (name@domain).", "ADDRESS" };
        QCommandLineOption user { "user",
            "Logs in as NAME. The password comes from the environment variable TINSELWICK_SMTP_PASSWORD, or is asked "
            "on the terminal.",
            "NAME" };
        QCommandLineOption subject { "subject", "The subject (default \"Your Kris Kringle\").", "TEXT" };
        QCommandLineOption attachPdf { "attach-pdf",
            "Attaches each giver's letter as FIRST LAST.pdf, the page letters --pdf-dir writes." };
        QCommandLineOption caCert { "cacert", "Verifies the server's certificate against FILE instead of the system's.",
            "FILE" };
        QCommandLineOption pace { "pace", "Waits SECONDS between messages, for servers that limit the rate.",
            "SECONDS" };
        QCommandLineOption perConnection { "per-connection",
            "Starts a new session after N messages, for servers that limit a session.", "N" };
        QCommandLineOption allowShared { "allow-shared-address",
            "Lets two givers share an address (one inbox then receives both letters)." };
        QCommandLineOption dryRun { "dry-run",
            "Sends nothing: writes each message as FIRST LAST.eml into DIR (made for you alone). These files show "
            "whom each giver gives to, to whoever opens them. No journal is written.",
            "DIR" };
        QCommandLineOption restart { "restart",
            "Sends this draw to everybody and starts a new journal, whatever the journal holds." };
    };

    std::chrono::milliseconds ParsePace(const QString& text)
    {
        bool ok = !text.isEmpty() && text.front().isDigit();
        const double seconds = ok ? text.toDouble(&ok) : 0;
        if (!ok || !std::isfinite(seconds) || seconds > 3600)
            throw EUsageError(("Invalid pace '" + text + "': seconds from 0 to 3600, such as 2 or 0.5").toStdString());
        return std::chrono::milliseconds(std::lround(seconds * 1000));
    }

    int ParseCount(const QString& text)
    {
        bool ok = !text.isEmpty() && text.front().isDigit();
        const int count = ok ? text.toInt(&ok) : 0;
        if (!ok || count < 1)
            throw EUsageError(("Invalid --per-connection '" + text + "': a whole number from 1").toStdString());
        return count;
    }

    std::string RequiredValue(const QCommandLineParser& parser, const QCommandLineOption& option, const char* missing)
    {
        if (!parser.isSet(option) || parser.value(option).isEmpty())
            throw EUsageError(missing);
        return parser.value(option).toStdString();
    }

    /// The settings the command line makes, refused as a usage error where they are wrong.
    mail::TMailSettings ReadSettings(const QCommandLineParser& parser, const TMailOptions& o)
    {
        mail::TMailSettings settings;
        settings.from = RequiredValue(parser, o.from, "Name the sender with --from ADDRESS");
        if (parser.isSet(o.subject))
            settings.subject = parser.value(o.subject).toStdString();
        settings.attachPdf = parser.isSet(o.attachPdf);
        settings.allowSharedAddress = parser.isSet(o.allowShared);
        if (parser.isSet(o.pace))
            settings.pace = ParsePace(parser.value(o.pace));
        if (settings.pace.count() > 0)
            settings.retryPause = settings.pace;
        if (parser.isSet(o.perConnection))
            settings.perConnection = ParseCount(parser.value(o.perConnection));
        try {
            mail::CheckSettings(settings);
        } catch (const std::invalid_argument& error) {
            throw EUsageError(error.what());
        }
        return settings;
    }

    mail::TServerUrl ReadServer(const QCommandLineParser& parser, const TMailOptions& o)
    {
        const std::string url = RequiredValue(
            parser, o.server, "Name the mail server with --server smtps://HOST[:PORT] or smtp://HOST[:PORT]");
        try {
            return mail::ParseServerUrl(url);
        } catch (const std::invalid_argument& error) {
            throw EUsageError(error.what());
        }
    }

    /// Tells the address list's problems on standard error; true when none stops the sending.
    bool ReportProblems(const mail::TMailRun& run, const QString& list)
    {
        for (const std::string& line : mail::AddressProblemLines(list.toStdString(), run.Errors(), run.Warnings()))
            WriteErr(Escaped(QString::fromStdString(line)) + "\n");
        if (run.Errors().Empty())
            return true;
        WriteErr(QString("No letters sent: every giver needs an address of their own in %1.\n").arg(list));
        return false;
    }

    /// The progress as the user sees it: one line kept up to date on a terminal, a line per
    /// message where the output goes to a file or a pipe.
    std::function<void(const mail::TMailProgress&)> ShowProgress()
    {
        const bool terminal = ::isatty(STDOUT_FILENO);
        return [terminal](const mail::TMailProgress& p) {
            const QString who = QString::fromStdString(p.name + " <" + p.address + ">");
            if (terminal && !p.accepted)
                WriteOut(QString("\rSending %1 of %2: %3\x1b[K").arg(p.number).arg(p.count).arg(who));
            else if (!terminal && p.accepted)
                WriteOut(QString("Sent %1 of %2: %3\n").arg(p.number).arg(p.count).arg(who));
            if (terminal && p.accepted && p.number == p.count)
                WriteOut("\n");
            std::fflush(stdout);
        };
    }

    int Send(mail::TMailRun& run, const mail::TServerUrl& server, const std::string& user, const std::string& caCert,
        TCliPasswords& passwords, bool restart)
    {
        const auto& journal = run.Journal();
        if (journal.State() == mail::TSentJournal::TState::EarlierDraw && !restart) {
            WriteErr(QString("Letters of an earlier draw went to %1 people on %2 (%3). Nothing sent: --restart sends "
                             "this draw to everybody and starts a new journal.\n")
                         .arg(journal.EarlierCount())
                         .arg(QString::fromStdString(journal.EarlierDate()), QString::fromStdString(journal.Path())));
            return kExitDocumentError;
        }
        if (run.ToSend(restart) == 0) {
            WriteOut(QString("All %1 letters were sent already (%2).\n")
                         .arg(run.GiverCount())
                         .arg(QString::fromStdString(journal.Path())));
            return kExitOk;
        }
        mail::TCurlSettings settings = mail::PlanConnection(server);
        settings.user = user;
        settings.caCertFile = caCert;
        passwords.SetPrompt("Password for " + user + " at " + server.host + ": ");
        mail::TCurlTransport transport(std::move(settings), &passwords);
        const mail::TSendResult result = run.Send(transport, { restart, ShowProgress(), nullptr });
        if (::isatty(STDOUT_FILENO) && !result.stopReason.empty())
            WriteOut("\n"); // the progress line stays above the reason
        const QString skipped = result.skipped == 0 ? QString()
                                                    : QString(", %1 skipped (sent before, by %2)")
                                                          .arg(result.skipped)
                                                          .arg(QString::fromStdString(journal.Path()));
        if (result.stopReason.empty()) {
            WriteOut(QString("%1 letter%2 sent%3.\n").arg(result.sent).arg(result.sent == 1 ? "" : "s", skipped));
            return kExitOk;
        }
        WriteErr(Escaped(QString::fromStdString(result.stopReason), true) + "\n");
        WriteErr(QString("%1 sent, %2 remain%3: the same command sends the rest.\n")
                     .arg(result.sent)
                     .arg(result.remaining)
                     .arg(skipped));
        return result.sent > 0 ? kExitMailStopped : kExitDocumentError;
    }

} // namespace

int RunMailCommand(TInvocation& invocation)
{
    TCliPasswords passwords;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QString("Sends each giver their letter by e-mail through your mail server, so that nobody but the giver\n"
                "sees whom they give to: the command prints only the givers and their addresses.\n"
                "Who has their letter is kept in FILE.kks.sent; the same command again sends only to the others.\n"
                "What no program can hide: a bounced message comes back to the From address, and many providers\n"
                "keep a copy of every sent message in the account's Sent folder: use an address kept for the draw.\n"
                "Exit status %1: the draw is not complete. %2: a message did not go after others had gone (run\n"
                "the command again for the rest). %3: nothing could be sent (no connection, login or certificate).")
            .arg(kExitDrawIncomplete)
            .arg(kExitMailStopped)
            .arg(kExitDocumentError));
    const TMailOptions o;
    for (const QCommandLineOption& option : { o.addresses, o.server, o.from, o.user, o.subject, o.attachPdf, o.caCert,
             o.pace, o.perConnection, o.allowShared, o.dryRun, o.restart })
        parser.addOption(option);
    parser.addPositionalArgument("FILE", "The document (.kks) whose letters to send.");
    const std::optional<TSharedOptions> shared = ParseArguments(
        parser, invocation, { { TSharedOption::Force, "With --dry-run, replaces files that exist already." } });
    if (!shared)
        return kExitOk;
    const std::string fileName = NativePath(RequirePositionals(parser, 1, "one document file").at(0));
    const QString list = parser.value(o.addresses);
    if (!parser.isSet(o.addresses) || list.isEmpty())
        throw EUsageError("Name the address list with --addresses PEOPLE.csv");
    const mail::TServerUrl server = ReadServer(parser, o);
    const mail::TMailSettings settings = ReadSettings(parser, o);
    const bool dryRun = parser.isSet(o.dryRun);
    if (shared->force && !dryRun)
        throw EUsageError("--force goes with --dry-run only");
    if (dryRun && (parser.value(o.dryRun).isEmpty() || parser.isSet(o.restart)))
        throw EUsageError(
            "A dry run writes into a folder (--dry-run DIR) and sends nothing, so --restart goes without it");
    const std::string user = parser.value(o.user).toStdString();
    if (!dryRun && !user.empty() && !passwords.Available())
        throw EUsageError("--user needs a password: set TINSELWICK_SMTP_PASSWORD, or run on a terminal to be asked");
    const std::string caCert = NativePath(parser.value(o.caCert));
    if (!caCert.empty() && ::access(caCert.c_str(), R_OK) != 0)
        throw std::runtime_error("Cannot read the certificate file " + caCert);

    // The attachment is a printed page: Qt's painting needs its application object.
    std::unique_ptr<QGuiApplication> application;
    if (settings.attachPdf) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(invocation.argc, invocation.argv);
    }
    mail::TMailRun run(fileName, NativePath(list), settings);
    TLetterPdfWriter letters(run.Participants(), run.TemplateLines(), kPdfFileDotsPerInch);
    run.SetLetterPdfMaker([&letters](const TCCUser& giver) { return letters.Letter(giver); });
    if (!run.GiversWithoutTaker().empty()) {
        WriteErr("No letters sent: the draw is not complete. These givers have no taker:\n  "
            + Escaped(QString::fromStdString(run.GiversWithoutTaker().front())));
        for (std::size_t k = 1; k < run.GiversWithoutTaker().size(); ++k)
            WriteErr("\n  " + Escaped(QString::fromStdString(run.GiversWithoutTaker()[k])));
        WriteErr("\n");
        return kExitDrawIncomplete;
    }
    if (!ReportProblems(run, list))
        return kExitDocumentError;
    if (dryRun) {
        const QString folder = parser.value(o.dryRun);
        const int count = run.WriteMessageFiles(NativePath(folder), shared->force);
        WriteOut(QString("%1 message%2 written to %3, none sent. Each file shows whom its giver gives to.\n")
                     .arg(count)
                     .arg(count == 1 ? "" : "s", folder));
        return kExitOk;
    }
    return Send(run, server, user, caCert, passwords, parser.isSet(o.restart));
}

} // namespace cli
