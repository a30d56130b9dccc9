#include "mail/SentJournal.h"

#include "mail/LetterMessage.h"
#include "platform/PosixFile.h"
#include "platform/TemporaryNames.h"
#include "platform/Windows1252.h"
#include "register/CCUser.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <future>
#include <stdexcept>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mail {

namespace {

    constexpr std::string_view kFirstLine = "Tinselwick sent letters 1";

    std::vector<std::string_view> Fields(std::string_view line)
    {
        std::vector<std::string_view> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
            if (tab == std::string_view::npos)
                return fields;
            start = tab + 1;
        }
    }

    std::string LocalTime(std::time_t when)
    {
        std::tm local {};
        ::localtime_r(&when, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S%z", &local);
        return text;
    }

    std::string KeyOf(std::string_view first, std::string_view last)
    {
        return platform::Utf8ToWindows1252(first) + platform::Utf8ToWindows1252(last);
    }

    /// Writes every byte; the caller syncs.
    void WriteAll(int fd, const std::string& bytes)
    {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw platform::EPlatformError(std::strerror(n < 0 ? errno : ENOSPC));
            done += static_cast<std::size_t>(n);
        }
    }

    void Sync(int fd)
    {
        if (::fdatasync(fd) != 0)
            throw platform::EPlatformError(std::strerror(errno));
    }

} // namespace

std::string DrawFingerprint(const std::vector<const TCCUser*>& givers, const std::string& salt)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    pairs.reserve(givers.size());
    for (const TCCUser* giver : givers)
        pairs.emplace_back(giver->FullName(), giver->Taker != nullptr ? giver->Taker->FullName() : std::string());
    std::sort(pairs.begin(), pairs.end());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QByteArrayView(salt.data(), static_cast<qsizetype>(salt.size())));
    for (const auto& [giver, taker] : pairs) {
        // Keys are at most 60 characters: a length byte keeps "AB"+"C" apart from "A"+"BC".
        for (const std::string* key : { &giver, &taker }) {
            const char length = static_cast<char>(key->size());
            hash.addData(QByteArrayView(&length, 1));
            hash.addData(QByteArrayView(key->data(), static_cast<qsizetype>(key->size())));
        }
    }
    return hash.result().toHex().toStdString();
}

TSentJournal::TSentJournal(const std::string& document, const std::vector<const TCCUser*>& givers)
    : document_(document)
    , path_(PathFor(document))
    , givers_(givers)
{
    Load();
}

void TSentJournal::Reread()
{
    Flush();
    // The file may have been replaced meanwhile: records go to the one there now.
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    state_ = TState::None;
    sent_.clear();
    earlierCount_ = 0;
    earlierDate_.clear();
    fresh_ = true;
    lineEndOwed_ = false;
    Load();
}

void TSentJournal::Load()
{
    if (!platform::FileExists(path_))
        return;
    try {
        platform::TPosixFile in = platform::TPosixFile::OpenExisting(path_, false, platform::TShareMode::Shared);
        std::string text(static_cast<std::size_t>(in.Size()), '\0');
        text.resize(in.ReadAt(0, text.data(), text.size()));
        Read(text);
    } catch (const std::exception& error) {
        throw std::runtime_error("Cannot read the journal " + path_ + ": " + error.what());
    }
}

TSentJournal::~TSentJournal()
{
    if (syncing_.valid())
        syncing_.wait();
    if (fd_ >= 0)
        ::close(fd_);
    if (temporaryFd_ >= 0)
        ::close(temporaryFd_);
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    platform::ForgetTemporaryName(temporarySlot_);
}

void TSentJournal::Flush()
{
    try {
        if (syncing_.valid())
            syncing_.get();
        if (unsynced_)
            Sync(fd_);
        unsynced_ = false;
    } catch (const std::exception& error) {
        throw std::runtime_error("Cannot write the journal " + path_ + ": " + error.what());
    }
}

void TSentJournal::Read(const std::string& text)
{
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        // A last line without its line end was cut short while written: it counts for nothing.
        if (end == std::string::npos)
            break;
        lines.push_back(std::string_view(text).substr(start, end - start));
        start = end + 1;
    }
    const std::vector<std::string_view> draw = lines.size() >= 2 ? Fields(lines[1]) : std::vector<std::string_view>();
    if (lines.empty() || lines[0] != kFirstLine || draw.size() != 3 || draw[0] != "draw")
        throw std::runtime_error("it is not a journal of sent letters");
    salt_ = std::string(draw[1]);
    const bool sameDraw = DrawFingerprint(givers_, salt_) == draw[2];
    std::string lastTime;
    int count = 0;
    for (std::size_t k = 2; k < lines.size(); ++k) {
        const std::vector<std::string_view> fields = Fields(lines[k]);
        if (fields.size() != 4 || fields[0] != "sent")
            continue;
        ++count;
        lastTime = std::string(fields[1]);
        if (!sameDraw)
            continue;
        try {
            sent_.insert(KeyOf(fields[2], fields[3]));
        } catch (const platform::ECodePageError&) {
            // No participant has a name the code page cannot hold.
        }
    }
    state_ = sameDraw ? TState::SameDraw : TState::EarlierDraw;
    earlierCount_ = sameDraw ? 0 : count;
    earlierDate_ = sameDraw ? std::string() : lastTime.substr(0, 10);
    fresh_ = !sameDraw;
    lineEndOwed_ = sameDraw && text.back() != '\n';
}

bool TSentJournal::WasSent(const TCCUser& giver) const
{
    return state_ == TState::SameDraw && sent_.contains(giver.FullName());
}

void TSentJournal::StartAfresh()
{
    sent_.clear();
    fresh_ = true;
}

void TSentJournal::Prepare()
{
    try {
        if (fresh_ && temporaryFd_ < 0)
            OpenTemporary();
        if (!fresh_ && fd_ < 0)
            fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        if (!fresh_ && fd_ < 0)
            throw platform::EPlatformError(std::strerror(errno));
    } catch (const std::exception& error) {
        throw std::runtime_error("Cannot write the journal " + path_ + ": " + error.what());
    }
}

void TSentJournal::RecordSent(const TCCUser& giver, std::time_t when)
{
    const std::string line = "sent\t" + LocalTime(when) + "\t" + platform::Windows1252ToUtf8(giver.FirstName) + "\t"
        + platform::Windows1252ToUtf8(giver.LastName) + "\n";
    Prepare();
    try {
        if (fresh_)
            CommitFirstLine(line);
        else
            Append(line);
    } catch (const std::exception& error) {
        throw std::runtime_error("Cannot write the journal " + path_ + ": " + error.what());
    }
    sent_.insert(giver.FullName());
}

void TSentJournal::OpenTemporary()
{
    struct stat document { };
    if (::stat(document_.c_str(), &document) != 0)
        throw platform::EPlatformError(std::strerror(errno));
    std::string temporary = platform::FolderOf(path_) + "/.tinselwick-sent-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        throw platform::EPlatformError(std::strerror(errno));
    temporaryFd_ = fd;
    temporary_ = temporary;
    temporarySlot_ = platform::RegisterTemporaryName(temporary_);
    // It tells what the document tells, to whom the document tells it; where the owner
    // cannot be given, only its owner may read it.
    mode_t mode = document.st_mode & 07777;
    if (::fchown(fd, document.st_uid, document.st_gid) != 0)
        mode &= 0700;
    if (::fchmod(fd, mode) != 0)
        throw platform::EPlatformError(std::strerror(errno));
}

void TSentJournal::CommitFirstLine(const std::string& line)
{
    salt_ = UniqueToken(16);
    WriteAll(temporaryFd_,
        std::string(kFirstLine) + "\ndraw\t" + salt_ + "\t" + DrawFingerprint(givers_, salt_) + "\n" + line);
    Sync(temporaryFd_);
    platform::RenameFile(temporary_, path_);
    temporary_.clear();
    platform::ForgetTemporaryName(std::exchange(temporarySlot_, -1));
    platform::SyncFolder(platform::FolderOf(path_));
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = std::exchange(temporaryFd_, -1);
    state_ = TState::SameDraw;
    fresh_ = false;
}

void TSentJournal::Append(const std::string& line)
{
    // A line cut short while written is ended before the next one begins.
    WriteAll(fd_, lineEndOwed_ ? "\n" + line : line);
    lineEndOwed_ = false;
    unsynced_ = true;
    // Written, the line is safe from the end of this process; it goes on to the disk while
    // the next messages go, for a disk's wait is longer than a message to this machine's
    // own server. One sync at a time: lines written meanwhile go with the next, started by
    // the next record or by Flush.
    if (syncing_.valid() && syncing_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return;
    if (syncing_.valid())
        syncing_.get(); // raises what the last one met
    unsynced_ = false;
    syncing_ = std::async(std::launch::async, Sync, fd_);
}

} // namespace mail
