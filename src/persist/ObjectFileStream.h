#pragma once
// The stream an object file and the objects it stores read and write through: a buffer
// in front of the stream it wraps, and the format's size limit.

#include "persist/KelStream.h"

#include <cstdint>
#include <vector>

/// Objects read and write a few bytes at a time: through the buffer's window each field
/// costs a copy, not calls through two streams. Reading fetches ahead; writing collects
/// the bytes and hands them on in large blocks (on a seek, a read, WritePending and
/// Flush). A write that would take the file past the limit is refused before anything of
/// it is written; the window never reaches past the limit.
class TObjectFileStream final : public TStream {
public:
    explicit TObjectFileStream(std::uint64_t limit);

    /// Starts on `inner` at its present position. Bytes still pending for the stream
    /// before are dropped: call WritePending first to keep them.
    void Attach(TStream* inner);
    /// Drops the stream (and anything pending); reads and writes then raise.
    void Detach() noexcept;
    TStream* Inner() const { return inner_; }
    /// Hands the pending bytes to the inner stream; raises when it takes fewer.
    void WritePending();

    std::size_t Read(void* buffer, std::size_t n) override;
    std::size_t Write(const void* buffer, std::size_t n) override;
    void Seek(std::uint64_t position) override;
    std::uint64_t Position() const override;
    std::uint64_t Size() const override;
    /// Writes the pending bytes, then flushes the inner stream.
    void Flush() override;

    std::uint64_t Limit() const { return limit_; }
    /// Raises the refusal of `bytes` to be written at `position`, past the limit.
    [[noreturn]] void RefuseGrowth(std::uint64_t position, std::uint64_t bytes) const;

private:
    TStream& Target() const;
    std::uint8_t* Buffer() { return buffer_.data(); }
    /// Gives up the bytes read ahead, putting the inner stream back where reading stands.
    void DropReadAhead();
    /// Reads at least one byte ahead into the buffer; false at the end of the inner stream.
    bool Refill();

    std::vector<std::uint8_t> buffer_;
    // The inner stream's offset of the buffer's first byte. While reading, the inner
    // stream stands at the end of the bytes fetched; while writing, at start_ itself.
    std::uint64_t start_ = 0;
    std::uint64_t limit_;
    TStream* inner_ = nullptr;
};
