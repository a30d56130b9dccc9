#pragma once
// Byte streams for the object files. All integers on file are little-endian.
// Readers and writers work on TStream, so tests can use memory and failing devices.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
    void ReadExact(void* buffer, std::size_t n, std::string_view what)
    {
        if (n <= static_cast<std::size_t>(getEnd_ - getNext_)) {
            std::memcpy(buffer, getNext_, n);
            getNext_ += n;
            return;
        }
        ReadExactThroughRead(buffer, n, what);
    }
    /// The next n bytes, in place in the stream's window when it holds them, otherwise read
    /// into `scratch` (n bytes long); raises as ReadExact does. Valid until the next read.
    const char* ReadInPlace(std::size_t n, void* scratch, std::string_view what)
    {
        if (n <= static_cast<std::size_t>(getEnd_ - getNext_)) {
            const auto* bytes = reinterpret_cast<const char*>(getNext_);
            getNext_ += n;
            return bytes;
        }
        ReadExactThroughRead(scratch, n, what);
        return static_cast<const char*>(scratch);
    }
    /// Writes exactly n bytes or raises EInvalidPersistentFileAction.
    void WriteExact(const void* buffer, std::size_t n, std::string_view what)
    {
        if (n <= static_cast<std::size_t>(putEnd_ - putNext_)) {
            std::memcpy(putNext_, buffer, n);
            putNext_ += n;
            return;
        }
        WriteExactThroughWrite(buffer, n, what);
    }

    /// Writes N bytes that `fill` puts into the buffer it is handed: the stream's window when
    /// it has room, so that they are made in place, otherwise a scratch buffer then written
    /// as WriteExact writes.
    template <std::size_t N, class Fill> void WriteFilled(Fill fill, std::string_view what)
    {
        if (N <= static_cast<std::size_t>(putEnd_ - putNext_)) {
            fill(putNext_);
            putNext_ += N;
            return;
        }
        std::array<std::uint8_t, N> scratch;
        fill(scratch.data());
        WriteExactThroughWrite(scratch.data(), N, what);
    }

    std::uint8_t ReadU8(std::string_view what) { return Read<std::uint8_t>(what); }
    std::uint16_t ReadU16(std::string_view what) { return Read<std::uint16_t>(what); }
    std::int16_t ReadI16(std::string_view what) { return static_cast<std::int16_t>(ReadU16(what)); }
    std::uint32_t ReadU32(std::string_view what) { return Read<std::uint32_t>(what); }
    std::int32_t ReadI32(std::string_view what) { return static_cast<std::int32_t>(ReadU32(what)); }
    void WriteU8(std::uint8_t v) { Write(v, "a byte"); }
    void WriteU16(std::uint16_t v) { Write(v, "a 16-bit number"); }
    void WriteI16(std::int16_t v) { WriteU16(static_cast<std::uint16_t>(v)); }
    void WriteU32(std::uint32_t v) { Write(v, "a 32-bit number"); }
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }

    /// Refuses (EInvalidPersistentFileAction) a length read from the file that claims more
    /// bytes than the stream still holds, before anything is allocated for it.
    void CheckAvailable(std::uint64_t n, std::string_view what) const
    {
        if (n > static_cast<std::uint64_t>(getEnd_ - getNext_))
            CheckRemaining(n, what);
    }

protected:
    // A window onto a buffer the stream keeps in memory, through which ReadExact and
    // WriteExact copy without a virtual call. Empty unless a derived stream opens one; a
    // stream that does counts the bytes moved through it in Position().
    const std::uint8_t* getNext_ = nullptr;
    const std::uint8_t* getEnd_ = nullptr;
    std::uint8_t* putNext_ = nullptr;
    std::uint8_t* putEnd_ = nullptr;

private:
    void ReadExactThroughRead(void* buffer, std::size_t n, std::string_view what);
    void WriteExactThroughWrite(const void* buffer, std::size_t n, std::string_view what);
    void CheckRemaining(std::uint64_t n, std::string_view what) const;

    // Integers are little-endian on file, as on the machines this runs on.
    static_assert(std::endian::native == std::endian::little);
    template <class T> T Read(std::string_view what)
    {
        T v;
        ReadExact(&v, sizeof v, what);
        return v;
    }
    template <class T> void Write(T v, std::string_view what) { WriteExact(&v, sizeof v, what); }
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
    /// Empties the stream, keeping its storage for what is written next.
    void Clear()
    {
        bytes_.clear();
        position_ = 0;
    }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t position_ = 0;
};
