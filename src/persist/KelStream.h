#pragma once
// Byte streams for the object files. All integers on file are little-endian.
// Readers and writers work on TStream, so tests can use memory and failing devices.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TStream {
public:
    virtual ~TStream() = default;
    /// Reads up to n bytes; returns how many were read (fewer only at the end).
    virtual std::size_t Read(void* buffer, std::size_t n) = 0;
    /// Writes up to n bytes; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t n) = 0;
    /// Moves to an absolute offset.
    virtual void Seek(std::uint64_t position) = 0;
    virtual std::uint64_t Position() const = 0;
    virtual std::uint64_t Size() const = 0;
    /// Pushes everything written so far to stable storage; raises when that fails.
    virtual void Flush() { }

    /// Bytes between the position and the end of the stream.
    std::uint64_t Remaining() const;

    /// Reads exactly n bytes or raises EInvalidPersistentFileAction naming `what` and the offset.
    void ReadExact(void* buffer, std::size_t n, std::string_view what);
    /// Writes exactly n bytes or raises EInvalidPersistentFileAction.
    void WriteExact(const void* buffer, std::size_t n, std::string_view what);

    std::uint8_t ReadU8(std::string_view what);
    std::uint16_t ReadU16(std::string_view what);
    std::int16_t ReadI16(std::string_view what);
    std::uint32_t ReadU32(std::string_view what);
    std::int32_t ReadI32(std::string_view what);
    void WriteU8(std::uint8_t v);
    void WriteU16(std::uint16_t v);
    void WriteI16(std::int16_t v);
    void WriteU32(std::uint32_t v);
    void WriteI32(std::int32_t v);

    /// Refuses (EInvalidPersistentFileAction) a length read from the file that claims more
    /// bytes than the stream still holds, before anything is allocated for it.
    void CheckAvailable(std::uint64_t n, std::string_view what) const;
};

/// A growable in-memory stream.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<std::uint8_t> bytes)
        : bytes_(std::move(bytes))
    {
    }
    TMemoryStream(const std::uint8_t* data, std::size_t size)
        : bytes_(data, data + size)
    {
    }

    std::size_t Read(void* buffer, std::size_t n) override;
    std::size_t Write(const void* buffer, std::size_t n) override;
    void Seek(std::uint64_t position) override;
    std::uint64_t Position() const override { return position_; }
    std::uint64_t Size() const override { return bytes_.size(); }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t position_ = 0;
};
