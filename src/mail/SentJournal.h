#pragma once
// Who has their letter: the journal beside the document (FILE.kks.sent). A line per
// giver whose message the server accepted, written and flushed right after the
// acceptance, and a fingerprint of the draw the letters came from, never whom anyone
// gives to. A run that stops is taken up again from it; a changed draw is noticed.
//
// The file:   Tinselwick sent letters 1
//             draw <salt> <fingerprint>
//             sent <local time> <first name> <last name>    (fields between tabs, UTF-8)

#include <ctime>
#include <future>
#include <string>
#include <unordered_set>
#include <vector>

class TCCUser;

namespace mail {

/// A fingerprint of the pairs of `givers`: SHA-256 over the salt and every giver's key
/// with their taker's, in the order of the keys. Changes with any pair; the salt keeps
/// two journals of one draw from matching and makes guessing pairs from it no easier.
std::string DrawFingerprint(const std::vector<const TCCUser*>& givers, const std::string& salt);

class TSentJournal {
public:
    enum class TState {
        None, ///< no journal: nobody has their letter
        SameDraw, ///< a journal of this draw: SentCount() givers have theirs
        EarlierDraw, ///< a journal of another draw: EarlierCount() letters went out on EarlierDate()
    };

    static std::string PathFor(const std::string& document) { return document + ".sent"; }

    /// Reads the journal beside `document`, if there is one, for the draw of `givers`.
    /// Raises naming the journal when it cannot be read or is not one.
    TSentJournal(const std::string& document, const std::vector<const TCCUser*>& givers);
    ~TSentJournal();
    TSentJournal(const TSentJournal&) = delete;
    TSentJournal& operator=(const TSentJournal&) = delete;

    TState State() const { return state_; }
    const std::string& Path() const { return path_; }
    int SentCount() const { return static_cast<int>(sent_.size()); }
    int EarlierCount() const { return earlierCount_; }
    /// The day the earlier draw's last letter went, as YYYY-MM-DD.
    const std::string& EarlierDate() const { return earlierDate_; }
    bool WasSent(const TCCUser& giver) const;

    /// Reads the journal again, for what another run recorded since: the records to come go
    /// to the file there now. Raises as the constructor does.
    void Reread();
    /// Forgets what the journal holds: the next record starts a new journal for this draw.
    void StartAfresh();
    /// Makes sure a record can be written, before anything is sent: the journal opened, or
    /// a new one's file made. Raises naming the journal.
    void Prepare();
    /// Records that the server accepted the giver's message: written at once, and on its
    /// way to the disk, which the next records do not wait for (Flush does). The first
    /// record of a new journal replaces the file whole, on the disk before it returns, with
    /// the document's owner and permission bits. Raises naming the journal.
    void RecordSent(const TCCUser& giver, std::time_t when);
    /// Waits until every record is on the disk; raises naming the journal when one is not.
    void Flush();

private:
    void Load();
    void Read(const std::string& text);
    void OpenTemporary();
    void CommitFirstLine(const std::string& line);
    void Append(const std::string& line);

    std::string document_;
    std::string path_;
    std::vector<const TCCUser*> givers_;
    TState state_ = TState::None;
    std::string salt_;
    std::unordered_set<std::string> sent_; // the givers' keys
    int earlierCount_ = 0;
    std::string earlierDate_;
    bool fresh_ = true; // the next record starts a new file
    bool lineEndOwed_ = false;
    std::future<void> syncing_; // records on their way to the disk
    bool unsynced_ = false; // records written since the last sync began
    int fd_ = -1;
    std::string temporary_; // a new journal's file until its first record renames it
    int temporaryFd_ = -1;
    int temporarySlot_ = -1; // removed should a signal end the process (platform/TemporaryNames.h)
};

} // namespace mail
