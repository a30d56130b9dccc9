#include "persist/KelStream.h"

#include "persist/InvalidPersistentFileAction.h"

#include <algorithm>
#include <cstring>

namespace {

[[noreturn]] void ThrowShortRead(std::string_view what, std::uint64_t offset, std::size_t wanted)
{
    throw EInvalidPersistentFileAction("Damaged file: unexpected end of file reading " + std::string(what)
        + " at offset " + std::to_string(offset) + " (" + std::to_string(wanted) + " bytes wanted)");
}

} // namespace

std::uint64_t TStream::Remaining() const
{
    const std::uint64_t size = Size();
    const std::uint64_t pos = Position();
    return pos < size ? size - pos : 0;
}

void TStream::ReadExactThroughRead(void* buffer, std::size_t n, std::string_view what)
{
    const std::size_t got = Read(buffer, n);
    if (got != n)
        ThrowShortRead(what, Position() - got, n);
}

void TStream::WriteExactThroughWrite(const void* buffer, std::size_t n, std::string_view what)
{
    const std::size_t written = Write(buffer, n);
    if (written != n)
        throw EInvalidPersistentFileAction("Write failed: " + std::string(what) + " at offset "
            + std::to_string(Position() - written) + " could not be written");
}

void TStream::CheckRemaining(std::uint64_t n, std::string_view what) const
{
    if (n > Remaining())
        throw EInvalidPersistentFileAction("Damaged file: " + std::string(what) + " at offset "
            + std::to_string(Position()) + " claims " + std::to_string(n) + " bytes, but only "
            + std::to_string(Remaining()) + " remain");
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t n)
{
    if (position_ >= bytes_.size())
        return 0;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(n, bytes_.size() - position_));
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return count;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t n)
{
    if (n == 0)
        return 0;
    const std::uint64_t end = position_ + n;
    if (end > bytes_.size())
        bytes_.resize(static_cast<std::size_t>(end));
    std::memcpy(bytes_.data() + position_, buffer, n);
    position_ = end;
    return n;
}

void TMemoryStream::Seek(std::uint64_t position)
{
    position_ = position;
}
