#include "persist/KelFileStream.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 64 * 1024;
}

TFileStream::TFileStream(platform::TPosixFile file)
    : file_(std::move(file))
    , fileSize_(file_.Size())
{
}

TFileStream::~TFileStream()
{
    try {
        WriteBuffered();
    } catch (...) {
        // A destructor cannot report; callers that care have called Close().
    }
}

std::uint64_t TFileStream::Size() const
{
    return std::max(fileSize_, writeBuffer_.empty() ? 0 : writeStart_ + writeBuffer_.size());
}

void TFileStream::WriteBuffered()
{
    if (writeBuffer_.empty())
        return;
    // Emptied first: a failed write is reported once, not again by every later call.
    std::vector<char> pending;
    pending.swap(writeBuffer_);
    file_.WriteAt(writeStart_, pending.data(), pending.size());
    fileSize_ = std::max(fileSize_, writeStart_ + pending.size());
}

std::size_t TFileStream::Read(void* buffer, std::size_t n)
{
    WriteBuffered();
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const std::uint64_t at = position_;
        if (at >= readStart_ && at < readStart_ + readBuffer_.size()) {
            const std::size_t offset = static_cast<std::size_t>(at - readStart_);
            const std::size_t count = std::min(n - done, readBuffer_.size() - offset);
            std::memcpy(out + done, readBuffer_.data() + offset, count);
            done += count;
            position_ += count;
            continue;
        }
        if (n - done >= kBufferSize) {
            const std::size_t got = file_.ReadAt(at, out + done, n - done);
            done += got;
            position_ += got;
            break;
        }
        readBuffer_.resize(kBufferSize);
        const std::size_t got = file_.ReadAt(at, readBuffer_.data(), kBufferSize);
        readBuffer_.resize(got);
        readStart_ = at;
        if (got == 0)
            break;
    }
    return done;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t n)
{
    if (n == 0)
        return 0;
    readBuffer_.clear();
    if (!writeBuffer_.empty() && position_ != writeStart_ + writeBuffer_.size())
        WriteBuffered();
    if (writeBuffer_.empty() && n >= kBufferSize) {
        // A block as large as the buffer goes straight to the file.
        file_.WriteAt(position_, buffer, n);
        position_ += n;
        fileSize_ = std::max(fileSize_, position_);
        return n;
    }
    if (writeBuffer_.empty())
        writeStart_ = position_;
    const auto* in = static_cast<const char*>(buffer);
    writeBuffer_.insert(writeBuffer_.end(), in, in + n);
    position_ += n;
    if (writeBuffer_.size() >= kBufferSize)
        WriteBuffered();
    return n;
}

void TFileStream::Seek(std::uint64_t position)
{
    position_ = position;
}

void TFileStream::Flush()
{
    WriteBuffered();
    file_.Sync();
}

void TFileStream::Close()
{
    try {
        WriteBuffered();
    } catch (...) {
        try {
            file_.Close();
        } catch (...) {
        }
        throw;
    }
    file_.Close();
}
