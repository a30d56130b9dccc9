#pragma once
// A TStream on a platform file, with a buffer in front: the object files read and
// write a few bytes at a time, and one system call per field would dominate.

#include "persist/KelStream.h"
#include "platform/PosixFile.h"

#include <vector>

class TFileStream : public TStream {
public:
    explicit TFileStream(platform::TPosixFile file);
    /// Writes what is buffered and closes, ignoring errors: call Close() to hear of them.
    ~TFileStream() override;

    std::size_t Read(void* buffer, std::size_t n) override;
    std::size_t Write(const void* buffer, std::size_t n) override;
    void Seek(std::uint64_t position) override;
    std::uint64_t Position() const override { return position_; }
    std::uint64_t Size() const override;
    /// Writes the buffer and syncs the file to disk.
    void Flush() override;

    /// Writes the buffer and closes the file; raises when either fails.
    void Close();
    platform::TPosixFile& File() { return file_; }

private:
    void WriteBuffered();

    platform::TPosixFile file_;
    std::uint64_t position_ = 0;
    std::uint64_t fileSize_ = 0; // size on disk, kept up to date by our own writes

    // Read-ahead: bytes [readStart_, readStart_ + readBuffer_.size()) of the file.
    std::vector<char> readBuffer_;
    std::uint64_t readStart_ = 0;

    // Pending writes: bytes [writeStart_, writeStart_ + writeBuffer_.size()).
    std::vector<char> writeBuffer_;
    std::uint64_t writeStart_ = 0;
};
