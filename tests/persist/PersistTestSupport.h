#pragma once
// Helpers for the persistence and document tests: the test data, streams that fail on
// purpose, and a sparse stream that can pretend to be 2 GB (folders and file bytes are
// in support/Files.h).

#include "persist/KelPermObjFileStm.h"
#include "persist/KelStream.h"
#include "register/PersistenceStartup.h"
#include "support/Files.h"

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

inline std::string TestDataPath(const std::string& name)
{
    const char* dir = std::getenv("TINSELWICK_TEST_DATA");
    return std::string(dir != nullptr ? dir : TINSELWICK_TEST_DATA_DIR) + "/" + name;
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
