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

void TStream::ReadExact(void* buffer, std::size_t n, std::string_view what)
{
    const std::uint64_t offset = Position();
    if (Read(buffer, n) != n)
        ThrowShortRead(what, offset, n);
}

void TStream::WriteExact(const void* buffer, std::size_t n, std::string_view what)
{
    const std::uint64_t offset = Position();
    if (Write(buffer, n) != n)
        throw EInvalidPersistentFileAction(
            "Write failed: " + std::string(what) + " at offset " + std::to_string(offset) + " could not be written");
}

void TStream::CheckAvailable(std::uint64_t n, std::string_view what) const
{
    if (n > Remaining())
        throw EInvalidPersistentFileAction("Damaged file: " + std::string(what) + " at offset "
            + std::to_string(Position()) + " claims " + std::to_string(n) + " bytes, but only "
            + std::to_string(Remaining()) + " remain");
}

std::uint8_t TStream::ReadU8(std::string_view what)
{
    std::uint8_t b = 0;
    ReadExact(&b, 1, what);
    return b;
}

std::uint16_t TStream::ReadU16(std::string_view what)
{
    std::uint8_t b[2];
    ReadExact(b, 2, what);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::int16_t TStream::ReadI16(std::string_view what)
{
    return static_cast<std::int16_t>(ReadU16(what));
}

std::uint32_t TStream::ReadU32(std::string_view what)
{
    std::uint8_t b[4];
    ReadExact(b, 4, what);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8)
        | (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::int32_t TStream::ReadI32(std::string_view what)
{
    return static_cast<std::int32_t>(ReadU32(what));
}

void TStream::WriteU8(std::uint8_t v)
{
    WriteExact(&v, 1, "a byte");
}

void TStream::WriteU16(std::uint16_t v)
{
    const std::uint8_t b[2] = { static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8) };
    WriteExact(b, 2, "a 16-bit number");
}

void TStream::WriteI16(std::int16_t v)
{
    WriteU16(static_cast<std::uint16_t>(v));
}

void TStream::WriteU32(std::uint32_t v)
{
    const std::uint8_t b[4] = { static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
        static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24) };
    WriteExact(b, 4, "a 32-bit number");
}

void TStream::WriteI32(std::int32_t v)
{
    WriteU32(static_cast<std::uint32_t>(v));
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
