#pragma once
// Helpers for the persistence and document tests: temporary folders, file bytes,
// streams that fail on purpose, and a sparse stream that can pretend to be 2 GB.

#include "persist/KelPermObjFileStm.h"
#include "persist/KelStream.h"
#include "register/PersistenceStartup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

/// A fresh folder under /tmp, removed with everything in it.
class TTempDir {
public:
    TTempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tinselwick-test.XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TTempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& Path() const { return path_; }
    /// The names of the folder's entries, sorted.
    std::vector<std::string> Entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::string TestDataPath(const std::string& name)
{
    const char* dir = std::getenv("TINSELWICK_TEST_DATA");
    return std::string(dir != nullptr ? dir : TINSELWICK_TEST_DATA_DIR) + "/" + name;
}

/// How many files the process has open: a failed open must not leave one behind.
inline int OpenDescriptorCount()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

/// Little-endian building blocks for hand-made files.
inline void Put16(Bytes& b, std::uint16_t v)
{
    b.insert(b.end(), { std::uint8_t(v), std::uint8_t(v >> 8) });
}
inline void Put32(Bytes& b, std::uint32_t v)
{
    b.insert(b.end(), { std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24) });
}
inline void PutText(Bytes& b, const std::string& text)
{
    b.push_back(static_cast<std::uint8_t>(text.size()));
    b.insert(b.end(), text.begin(), text.end());
}

/// The message of the exception `f` raises, checking its type; "" when it raises nothing.
template <class Exception, class F> std::string MessageOf(F&& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return {};
}

/// A memory stream that moves only `budget` bytes in the chosen direction, then
/// moves fewer than asked, like a full disk or a file cut short.
class TFailingStream : public TMemoryStream {
public:
    enum class Fail { Reads, Writes };
    TFailingStream(Fail fail, std::uint64_t budget, std::vector<std::uint8_t> initial = {})
        : TMemoryStream(std::move(initial))
        , fail_(fail)
        , budget_(budget)
    {
    }
    std::size_t Read(void* buffer, std::size_t n) override
    {
        return fail_ == Fail::Reads ? TMemoryStream::Read(buffer, Allow(n)) : TMemoryStream::Read(buffer, n);
    }
    std::size_t Write(const void* buffer, std::size_t n) override
    {
        return fail_ == Fail::Writes ? TMemoryStream::Write(buffer, Allow(n)) : TMemoryStream::Write(buffer, n);
    }

private:
    std::size_t Allow(std::size_t n)
    {
        const std::size_t allowed = static_cast<std::size_t>(std::min<std::uint64_t>(n, budget_));
        budget_ -= allowed;
        return allowed;
    }
    Fail fail_;
    std::uint64_t budget_;
};

/// A stream that stores only the bytes written, so a file of 2 GB costs nothing.
class TSparseStream : public TStream {
public:
    std::size_t Read(void* buffer, std::size_t n) override
    {
        auto* out = static_cast<std::uint8_t*>(buffer);
        std::size_t done = 0;
        for (; done < n && position_ < size_; ++done, ++position_) {
            const auto it = bytes_.find(position_);
            out[done] = it == bytes_.end() ? 0 : it->second;
        }
        return done;
    }
    std::size_t Write(const void* buffer, std::size_t n) override
    {
        const auto* in = static_cast<const std::uint8_t*>(buffer);
        for (std::size_t i = 0; i < n; ++i)
            bytes_[position_++] = in[i];
        size_ = std::max(size_, position_);
        return n;
    }
    void Seek(std::uint64_t position) override { position_ = position; }
    std::uint64_t Position() const override { return position_; }
    std::uint64_t Size() const override { return size_; }
    std::size_t BytesStored() const { return bytes_.size(); }

private:
    std::map<std::uint64_t, std::uint8_t> bytes_;
    std::uint64_t position_ = 0;
    std::uint64_t size_ = 0;
};

/// Each test starts from the library as the program starts it: classes registered, version set.
class TPersistTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kel_testing::ResetPersistenceLibrary();
        StartPersistenceWithVersion();
    }
    void TearDown() override { kel_testing::ResetPersistenceLibrary(); }
};

} // namespace testsupport
