#include "persist/ObjectFileStream.h"

#include "persist/InvalidPersistentFileAction.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

} // namespace

TObjectFileStream::TObjectFileStream(std::uint64_t limit)
    : buffer_(kBufferSize)
    , limit_(limit)
{
}

void TObjectFileStream::Attach(TStream* inner)
{
    Detach();
    inner_ = inner;
    if (inner_ != nullptr)
        start_ = inner_->Position();
}

void TObjectFileStream::Detach() noexcept
{
    inner_ = nullptr;
    getNext_ = getEnd_ = nullptr;
    putNext_ = putEnd_ = nullptr;
    start_ = 0;
}

TStream& TObjectFileStream::Target() const
{
    if (inner_ == nullptr)
        throw EInvalidPersistentFileAction("The object file is closed");
    return *inner_;
}

std::uint64_t TObjectFileStream::Position() const
{
    if (getNext_ != nullptr)
        return start_ + static_cast<std::uint64_t>(getNext_ - buffer_.data());
    if (putNext_ != nullptr)
        return start_ + static_cast<std::uint64_t>(putNext_ - buffer_.data());
    return start_;
}

std::uint64_t TObjectFileStream::Size() const
{
    const std::uint64_t inner = Target().Size();
    return putNext_ != nullptr ? std::max(inner, Position()) : inner;
}

void TObjectFileStream::WritePending()
{
    if (putNext_ == nullptr)
        return;
    const auto pending = static_cast<std::size_t>(putNext_ - Buffer());
    // Emptied first: a failed write is reported once, not again by every later call.
    putNext_ = putEnd_ = nullptr;
    const std::size_t written = Target().Write(Buffer(), pending);
    start_ += written;
    if (written != pending)
        throw EInvalidPersistentFileAction(
            "Write failed: the data at offset " + std::to_string(start_) + " could not be written");
}

void TObjectFileStream::DropReadAhead()
{
    if (getNext_ == nullptr)
        return;
    const std::uint64_t position = Position();
    const bool ahead = getNext_ != getEnd_;
    getNext_ = getEnd_ = nullptr;
    start_ = position;
    if (ahead)
        Target().Seek(position);
}

bool TObjectFileStream::Refill()
{
    start_ = Position();
    getNext_ = getEnd_ = nullptr;
    const std::size_t got = Target().Read(Buffer(), buffer_.size());
    if (got == 0)
        return false;
    getNext_ = Buffer();
    getEnd_ = Buffer() + got;
    return true;
}

std::size_t TObjectFileStream::Read(void* buffer, std::size_t n)
{
    WritePending();
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        if (getNext_ != getEnd_) {
            const std::size_t count = std::min(n - done, static_cast<std::size_t>(getEnd_ - getNext_));
            std::memcpy(out + done, getNext_, count);
            getNext_ += count;
            done += count;
        } else if (n - done >= buffer_.size()) {
            // A block as large as the buffer goes straight through.
            DropReadAhead();
            const std::size_t got = Target().Read(out + done, n - done);
            start_ += got;
            done += got;
            break;
        } else if (!Refill()) {
            break;
        }
    }
    return done;
}

std::size_t TObjectFileStream::Write(const void* buffer, std::size_t n)
{
    if (n == 0)
        return 0;
    DropReadAhead();
    const std::uint64_t position = Position();
    if (position > limit_ || n > limit_ - position)
        RefuseGrowth(position, n);
    TStream& target = Target();
    if (putNext_ != nullptr && n <= static_cast<std::size_t>(putEnd_ - putNext_)) {
        std::memcpy(putNext_, buffer, n);
        putNext_ += n;
        return n;
    }
    WritePending();
    if (n >= buffer_.size()) {
        const std::size_t written = target.Write(buffer, n);
        start_ += written;
        return written;
    }
    // A fresh window, ending where the limit would be passed.
    putNext_ = Buffer();
    putEnd_ = Buffer() + static_cast<std::size_t>(std::min<std::uint64_t>(buffer_.size(), limit_ - start_));
    std::memcpy(putNext_, buffer, n);
    putNext_ += n;
    return n;
}

void TObjectFileStream::Seek(std::uint64_t position)
{
    WritePending();
    getNext_ = getEnd_ = nullptr;
    Target().Seek(position);
    start_ = position;
}

void TObjectFileStream::RefuseGrowth(std::uint64_t position, std::uint64_t bytes) const
{
    throw EInvalidPersistentFileAction("The file would grow past the format's limit of " + std::to_string(limit_)
        + " bytes (" + std::to_string(bytes) + " bytes to write at offset " + std::to_string(position) + ")");
}

void TObjectFileStream::Flush()
{
    WritePending();
    Target().Flush();
}
