#include "mail/MailRun.h"

#include "mail/LetterMessage.h"
#include "mail/MailAddress.h"
#include "mail/MimeText.h"
#include "platform/AtomicFile.h"
#include "platform/FileClaim.h"
#include "platform/FileListError.h"
#include "platform/PosixFile.h"
#include "platform/Windows1252.h"
#include "print/DefaultTemplate.h"
#include "print/Letters.h"
#include "register/CCUser.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>
#include <unordered_set>

#include <sys/stat.h>

namespace mail {

namespace {

    /// Waits `pause`, looking at the cancel flag now and then; false when cancelled.
    bool Wait(std::chrono::milliseconds pause, const std::atomic<bool>* cancel)
    {
        constexpr std::chrono::milliseconds kStep { 50 };
        const auto end = std::chrono::steady_clock::now() + pause;
        while (std::chrono::steady_clock::now() < end) {
            if (cancel != nullptr && *cancel)
                return false;
            std::this_thread::sleep_for(
                std::min<std::chrono::steady_clock::duration>(kStep, end - std::chrono::steady_clock::now()));
        }
        return cancel == nullptr || !*cancel;
    }

    /// The messages made a few ahead of the sender, so that the making (a PDF above all)
    /// goes on while the server takes the message before; on a thread per core (up to
    /// four), for a PDF costs more than a local server's answer. The threads last the run,
    /// so the font caches they fill serve every letter; the first message is made alone,
    /// which sets up what the letters share.
    class TMadeAhead {
    public:
        TMadeAhead(std::size_t count, std::function<std::string(std::size_t)> make)
            : make_(std::move(make))
            , slots_(count)
        {
            const std::size_t workers = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
            for (std::size_t w = 0; w < std::min(workers, count); ++w)
                threads_.emplace_back([this, w] { Work(w == 0); });
        }
        ~TMadeAhead()
        {
            {
                const std::lock_guard lock(lock_);
                stop_ = true;
            }
            changed_.notify_all();
            for (std::thread& thread : threads_)
                thread.join();
        }
        TMadeAhead(const TMadeAhead&) = delete;
        TMadeAhead& operator=(const TMadeAhead&) = delete;

        /// The next message in order; raises what making it raised.
        std::string Next()
        {
            std::unique_lock lock(lock_);
            changed_.wait(lock, [this] { return slots_[taken_].has_value() || (error_ && errorAt_ == taken_); });
            if (!slots_[taken_])
                std::rethrow_exception(error_);
            std::string message = std::move(*slots_[taken_]);
            slots_[taken_++].reset();
            changed_.notify_all();
            return message;
        }

    private:
        static constexpr std::size_t kAhead = 8;

        void Work(bool first)
        {
            std::unique_lock lock(lock_);
            changed_.wait(lock, [&] { return first || firstMade_ || stop_; });
            for (;;) {
                changed_.wait(
                    lock, [this] { return stop_ || error_ || next_ == slots_.size() || next_ < taken_ + kAhead; });
                if (stop_ || error_ || next_ == slots_.size())
                    return;
                const std::size_t k = next_++;
                lock.unlock();
                std::optional<std::string> made;
                std::exception_ptr failed;
                try {
                    made = make_(k);
                } catch (...) {
                    failed = std::current_exception();
                }
                lock.lock();
                if (failed && (!error_ || k < errorAt_)) {
                    error_ = failed;
                    errorAt_ = k;
                }
                slots_[k] = std::move(made);
                firstMade_ = true;
                changed_.notify_all();
            }
        }

        std::function<std::string(std::size_t)> make_;
        std::mutex lock_;
        std::condition_variable changed_;
        std::vector<std::optional<std::string>> slots_; // made and not yet taken
        std::size_t next_ = 0; // the next to make
        std::size_t taken_ = 0; // the next to take
        std::exception_ptr error_;
        std::size_t errorAt_ = 0;
        bool firstMade_ = false;
        bool stop_ = false;
        std::vector<std::thread> threads_; // last: they start once everything above is there
    };

    bool Cancelled(const TSendControl& control)
    {
        return control.cancel != nullptr && *control.cancel;
    }

    bool SameFile(const std::string& a, const std::string& b)
    {
        struct stat first { };
        struct stat second { };
        return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev
            && first.st_ino == second.st_ino;
    }

    /// The dry run's folder, made for the organiser alone.
    void MakeFolder(const std::string& folder)
    {
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            throw std::runtime_error("Cannot make the folder " + folder + ": " + std::strerror(errno));
        struct stat status { };
        if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
            throw std::runtime_error("Cannot write into " + folder + ": it is not a folder");
    }

} // namespace

void CheckSettings(const TMailSettings& settings)
{
    if (!IsMailAddress(settings.from))
        throw std::invalid_argument("The sender '" + settings.from + "' is not an e-mail address (name@domain)");
    if (!IsHeaderSafe(settings.subject))
        throw std::invalid_argument("The subject holds a control character (a line break, a tab) or is not UTF-8");
    if (settings.perConnection < 0 || settings.pace.count() < 0 || settings.retryPause.count() < 0)
        throw std::invalid_argument("Negative counts and waits mean nothing");
}

TMailRun::TMailRun(const std::string& documentPath, const std::string& addressListPath, TMailSettings settings)
    : settings_(std::move(settings))
    , documentPath_(documentPath)
    , addressListPath_(addressListPath)
{
    CheckSettings(settings_);
    document_ = ReadKksDocument(documentPath, nullptr);
    if (document_.Incomplete())
        throw std::runtime_error("File " + platform::FullPathName(documentPath) + " incomplete");
    templateLines_ = document_.TemplateRead ? document_.TemplateLines : DefaultTemplateLines();
    for (int i = 0; i < document_.Participants->Count(); ++i) {
        const TCCUser* giver = UserAt(*document_.Participants, i);
        if (giver == nullptr)
            continue;
        records_.push_back(giver);
        givers_.push_back({ giver, GiverName(*giver), {} });
        if (giver->Taker == nullptr)
            withoutTaker_.push_back(givers_.back().name);
        if (!IsHeaderSafe(givers_.back().name))
            throw std::runtime_error("The name of participant " + std::to_string(i + 1)
                + " holds a control character, which no message may carry");
    }
    if (givers_.empty())
        throw std::runtime_error("Nothing to send: " + platform::FullPathName(documentPath) + " has no participants");
    TAddressMatch match
        = MatchAddresses(platform::ReadWholeFile(addressListPath), records_, settings_.allowSharedAddress);
    for (std::size_t g = 0; g < givers_.size(); ++g)
        givers_[g].address = std::move(match.addresses[g]);
    errors_ = std::move(match.errors);
    warnings_ = std::move(match.warnings);
    journal_ = std::make_unique<TSentJournal>(documentPath, records_);
}

TMailRun::~TMailRun() = default;

std::vector<const TMailRun::TGiver*> TMailRun::Pending(bool restart) const
{
    std::vector<const TGiver*> pending;
    for (const TGiver& giver : givers_)
        if (restart || !journal_->WasSent(*giver.record))
            pending.push_back(&giver);
    return pending;
}

int TMailRun::ToSend(bool restart) const
{
    return static_cast<int>(Pending(restart).size());
}

std::string TMailRun::Message(const TGiver& giver) const
{
    TLetterMessage message;
    message.from = settings_.from;
    message.toName = giver.name;
    message.toAddress = giver.address;
    message.subject = settings_.subject;
    message.body = LetterText(*giver.record, templateLines_);
    if (settings_.attachPdf) {
        if (!letterPdf_)
            throw std::logic_error("No maker of PDF letters was given");
        message.attachment = TAttachment { platform::Windows1252ToUtf8(LetterFileStem(*giver.record)) + ".pdf",
            letterPdf_(*giver.record) };
    }
    message.date = std::time(nullptr);
    message.messageId = NewMessageId(settings_.from);
    return ComposeMessage(message);
}

int TMailRun::WriteMessageFiles(const std::string& folder, bool force)
{
    if (!Ready())
        throw std::logic_error("The letters cannot go out yet");
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    std::vector<std::string> paths;
    std::unordered_set<std::string> taken;
    std::vector<std::string> existing;
    for (const TGiver& giver : givers_) {
        const std::string base = platform::Windows1252ToUtf8(LetterFileStem(*giver.record));
        std::string name = base + ".eml";
        for (int number = 2; !taken.insert(MailboxKey(name)).second; ++number)
            name = base + " (" + std::to_string(number) + ").eml";
        paths.push_back(prefix + name);
        struct stat status { };
        if (::lstat(paths.back().c_str(), &status) != 0)
            continue;
        existing.push_back(paths.back());
        // What the run reads is never written over, --force or not, whatever link leads there.
        for (const std::string& input : { documentPath_, addressListPath_ })
            if (SameFile(paths.back(), input))
                throw platform::EQuotingPaths<std::runtime_error>(
                    "Not written: " + paths.back() + " is " + input + ", which the run reads", { paths.back() });
    }
    if (!existing.empty() && !force)
        throw platform::ExistingFilesError(std::move(existing));
    MakeFolder(folder);
    for (std::size_t g = 0; g < givers_.size(); ++g) {
        const std::string bytes = Message(givers_[g]);
        try {
            // A name made up here: a link of that name is replaced, never written through.
            platform::TAtomicFile out(paths[g], platform::TTargetHold::None, platform::TLinkRule::ReplaceLink);
            platform::TPosixFile file = out.TakeFile();
            file.SetPermissions(0600);
            file.WriteAt(0, bytes.data(), bytes.size());
            file.Close();
            out.Commit();
        } catch (const std::exception& error) {
            throw platform::EQuotingPaths<std::runtime_error>(
                "Cannot write " + paths[g] + ": " + error.what(), { paths[g] });
        }
    }
    return static_cast<int>(givers_.size());
}

bool TMailRun::Deliver(IMailTransport& transport, const TGiver& giver, const std::string& message,
    const TSendControl& control, TSendResult& result) const
{
    constexpr int kNewTries = 3;
    for (int attempt = 0;; ++attempt) {
        try {
            transport.Send({ settings_.from, giver.address }, message);
            return true;
        } catch (const ETransportError& error) {
            if (error.Failure() == TFailure::ConnectionLost && attempt < kNewTries) {
                if (Wait(settings_.retryPause * (attempt + 1), control.cancel))
                    continue;
                result.cancelled = true;
                return false;
            }
            result.failure = error.Failure();
            result.stopReason = "The letter for " + giver.name + " <" + giver.address + "> did not go: " + error.what();
            return false;
        }
    }
}

TSendResult TMailRun::Send(IMailTransport& transport, const TSendControl& control)
{
    if (!Ready() || (journal_->State() == TSentJournal::TState::EarlierDraw && !control.restart))
        throw std::logic_error("The letters cannot go out yet");
    // Two runs at once would both send to whoever has no letter yet: the second one stops
    // here, before it connects. The claim lasts until this run's last record.
    const std::optional<platform::TFileClaim> claim = platform::TFileClaim::Take(journal_->Path());
    if (!claim)
        throw std::runtime_error(
            "Letters of " + documentPath_ + " are being sent by another run; try again once it has ended");
    // What a run that ended since this one read the journal has recorded counts.
    journal_->Reread();
    if (journal_->State() == TSentJournal::TState::EarlierDraw && !control.restart)
        throw std::runtime_error("Letters of another draw went to " + std::to_string(journal_->EarlierCount())
            + " people on " + journal_->EarlierDate() + " meanwhile (" + journal_->Path() + "). Nothing sent.");
    const std::vector<const TGiver*> pending = Pending(control.restart);
    TSendResult result;
    result.skipped = GiverCount() - static_cast<int>(pending.size());
    if (control.restart)
        journal_->StartAfresh();
    // A journal that cannot be written would let letters go twice: found out before any goes.
    journal_->Prepare();
    const auto count = static_cast<int>(pending.size());
    TMadeAhead messages(pending.size(), [this, &pending](std::size_t k) { return Message(*pending[k]); });
    int inSession = 0;
    for (int k = 0; k < count && !result.cancelled && result.stopReason.empty(); ++k) {
        const TGiver& giver = *pending[static_cast<std::size_t>(k)];
        std::string message;
        try {
            message = messages.Next();
        } catch (const std::exception& error) {
            result.stopReason = "The letter for " + giver.name + " could not be made: " + error.what();
            break;
        }
        if (Cancelled(control) || (k > 0 && !Wait(settings_.pace, control.cancel))) {
            result.cancelled = true;
            break;
        }
        if (settings_.perConnection > 0 && inSession == settings_.perConnection) {
            transport.EndSession();
            inSession = 0;
        }
        if (control.progress)
            control.progress({ k + 1, count, giver.name, giver.address, false });
        if (!Deliver(transport, giver, message, control, result))
            break;
        ++result.sent;
        ++inSession;
        try {
            journal_->RecordSent(*giver.record, std::time(nullptr));
        } catch (const std::exception& error) {
            result.stopReason = "The letter for " + giver.name + " went, but " + error.what();
        }
        if (control.progress)
            control.progress({ k + 1, count, giver.name, giver.address, true });
    }
    transport.EndSession();
    try {
        journal_->Flush();
    } catch (const std::exception& error) {
        result.stopReason += (result.stopReason.empty() ? "" : "\n") + std::string(error.what());
    }
    result.remaining = count - result.sent;
    return result;
}

} // namespace mail
