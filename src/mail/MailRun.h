#pragma once
// One run of letters by e-mail, as the command line and the window drive it alike:
//   1. construct it from the saved document and the address list: everything that can be
//      checked without a server is checked at once (Errors(), Warnings(), an incomplete
//      draw, the journal's state);
//   2. then either WriteMessageFiles() (a dry run) or Send() over a transport, from any
//      thread: the run holds its own copy of the register, read from the document.
// Nothing the run reports names a giver's taker: that is only inside the messages.

#include "mail/AddressList.h"
#include "mail/MailTransport.h"
#include "mail/SentJournal.h"
#include "register/KksDocument.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TCCUser;

namespace mail {

inline constexpr const char* kDefaultSubject = "Your Kris Kringle";

/// What the organiser chooses besides the server.
struct TMailSettings {
    std::string from; ///< the sender's address
    std::string subject = kDefaultSubject;
    bool attachPdf = false;
    bool allowSharedAddress = false;
    /// The wait between messages, for servers that limit the rate.
    std::chrono::milliseconds pace { 0 };
    /// Messages per session before a new one starts (0: no limit), for servers that limit a session.
    int perConnection = 0;
    /// The wait before the first of three new tries after a lost connection; each next one waits longer.
    std::chrono::milliseconds retryPause { 2000 };
};

/// Raises std::invalid_argument, saying what is wrong, for a sender that is not an
/// address or a subject that holds a control character.
void CheckSettings(const TMailSettings& settings);

/// A giver's letter as a PDF file (the page `letters --pdf-dir` writes), for runs that
/// attach it; made by the caller, who has the printer, from the run's own register
/// (TMailRun::Participants, TemplateLines). Called for the first giver alone, then from
/// several threads at once.
using TLetterPdfMaker = std::function<std::string(const TCCUser& giver)>;

/// Where a run is: message `number` of `count` to send this time, for a giver and their
/// address; `accepted` once the server has it.
struct TMailProgress {
    int number = 0;
    int count = 0;
    std::string name;
    std::string address;
    bool accepted = false;
};

struct TSendControl {
    /// Sends to every giver and starts a new journal, whatever the journal held.
    bool restart = false;
    /// Told before each message and once the server has it, on the thread that runs Send.
    std::function<void(const TMailProgress&)> progress;
    /// Looked at between messages: the message in flight is finished, then the run stops.
    const std::atomic<bool>* cancel = nullptr;
};

struct TSendResult {
    int sent = 0; ///< accepted in this run
    int skipped = 0; ///< had theirs already, by the journal
    int remaining = 0; ///< still without their letter
    bool cancelled = false;
    /// Why the run stopped early (empty when it did not): the giver, the reason, the
    /// server's reply. `failure` is absent when the journal could not be written.
    std::string stopReason;
    std::optional<TFailure> failure;
};

class TMailRun {
public:
    /// Reads the document and the address list (UTF-8 CSV) and checks them. Raises, naming
    /// the file, when either cannot be read, for a document without participants or with a
    /// name no header may carry, and CheckSettings' errors as it does.
    TMailRun(const std::string& documentPath, const std::string& addressListPath, TMailSettings settings);
    ~TMailRun();
    TMailRun(const TMailRun&) = delete;
    TMailRun& operator=(const TMailRun&) = delete;

    /// The register the letters come from, the run's own copy, and its letter template.
    const TStringList& Participants() const { return *document_.Participants; }
    const std::vector<std::string>& TemplateLines() const { return templateLines_; }
    /// Needed before a run that attaches the letters writes or sends anything.
    void SetLetterPdfMaker(TLetterPdfMaker maker) { letterPdf_ = std::move(maker); }

    int GiverCount() const { return static_cast<int>(givers_.size()); }
    /// The givers without a taker: mail goes out for a whole draw or not at all.
    const std::vector<std::string>& GiversWithoutTaker() const { return withoutTaker_; }
    /// What stops the sending: the address list's errors (see TAddressMatch).
    const TLineProblems& Errors() const { return errors_; }
    const TLineProblems& Warnings() const { return warnings_; }
    /// Nothing stops the sending: a complete draw and no errors.
    bool Ready() const { return withoutTaker_.empty() && errors_.Empty(); }

    const TSentJournal& Journal() const { return *journal_; }
    /// How many messages Send would send.
    int ToSend(bool restart) const;

    /// The dry run: each giver's message as "FIRST LAST.eml" in `folder` (made with mode
    /// 0700 when missing; files 0600). Refuses, listing them, files that exist already
    /// unless `force` (platform::EFileListError), and the document and the address list even
    /// so. Writes no journal. Returns the number of files.
    int WriteMessageFiles(const std::string& folder, bool force);

    /// Sends the letters of those who have none yet (everybody with `restart`), in the
    /// document's order, recording each acceptance in the journal. Stops at the first
    /// message that does not get through (after three new tries on a lost connection) and
    /// says so in the result. Requires Ready(), and `restart` for an earlier draw's journal.
    /// Raises, with nothing sent, while another run sends this document's letters; who has
    /// theirs is read from the journal again first, so a run that ended meanwhile counts.
    TSendResult Send(IMailTransport& transport, const TSendControl& control);

private:
    struct TGiver {
        const TCCUser* record = nullptr;
        std::string name; ///< UTF-8
        std::string address;
    };

    std::string Message(const TGiver& giver) const;
    std::vector<const TGiver*> Pending(bool restart) const;
    /// Hands one message over, trying anew on a lost connection; false when it stopped the run.
    bool Deliver(IMailTransport& transport, const TGiver& giver, const std::string& message,
        const TSendControl& control, TSendResult& result) const;

    TMailSettings settings_;
    std::string documentPath_;
    std::string addressListPath_;
    TLetterPdfMaker letterPdf_;
    TKksDocument document_;
    std::vector<std::string> templateLines_;
    std::vector<TGiver> givers_;
    std::vector<const TCCUser*> records_;
    std::vector<std::string> withoutTaker_;
    TLineProblems errors_;
    TLineProblems warnings_;
    std::unique_ptr<TSentJournal> journal_;
};

} // namespace mail
