#include "register/KksDocument.h"
#include "platform/PosixFile.h"
#include "register/CCObjectFile.h"
#include "register/RegisterTestSupport.h"
#include "support/FileFaults.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace testsupport;

namespace {

const std::string kGolden = "two-participants-exchange.kks";
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

class KksDocument : public TRegisterTest {
protected:
    TTempDir dir;
    TObject window; // stands for the main window, the records' owner
};

TKksDocument ReadBytes(const Bytes& bytes, TObject* owner = nullptr)
{
    TMemoryStream memory(bytes);
    return ReadKksDocument(memory, "memory", owner);
}

Bytes WriteBytes(const TRegister& r)
{
    TMemoryStream memory;
    WriteKksDocument(memory, "memory", r.groups, r.participants, r.templateLines);
    return memory.Bytes();
}

TEST_F(KksDocument, WritesTheExchangeExampleByteForByte)
{
    TRegister r;
    FillExchange(r);
    const std::string path = dir / "draw.kks";
    WriteKksDocument(path, r.groups, r.participants, r.templateLines);
    EXPECT_EQ(ReadFileBytes(TestDataPath(kGolden)), ReadFileBytes(path));
    EXPECT_EQ(ReadFileBytes(TestDataPath(kGolden)), WriteBytes(r));
}

TEST_F(KksDocument, ReadsTheExchangeExampleAndLinksTakers)
{
    {
        TKksDocument d = ReadKksDocument(TestDataPath(kGolden), &window);
        ASSERT_FALSE(d.Incomplete());
        EXPECT_EQ((std::vector<std::string> { "X", "Y" }), d.GroupNames->Texts());
        EXPECT_EQ((std::vector<std::string> { "ANNLEE", "BOBKAY" }), d.Participants->Texts());
        TCCUser* ann = UserAt(*d.Participants, 0);
        TCCUser* bob = UserAt(*d.Participants, 1);
        EXPECT_EQ("LEE", ann->LastName);
        EXPECT_EQ(1, bob->GroupNo);
        EXPECT_EQ(21404, bob->Version);
        EXPECT_EQ(bob, ann->Taker);
        EXPECT_EQ(ann, bob->Giver);
        EXPECT_EQ(ann, bob->Taker);
        EXPECT_TRUE(ann->TakerNameOnFile.empty());
        EXPECT_EQ(&window, ann->Owner);
        EXPECT_EQ(d.Participants.get(), ann->OwnerList);
        EXPECT_TRUE(d.TemplateRead);
        EXPECT_EQ((std::vector<std::string> { "Dear [M]" }), d.TemplateLines);
    }
    EXPECT_EQ(0, LiveObjects()->Count()) << "the document frees its records";
}

TEST_F(KksDocument, IncompleteDocuments)
{
    TRegister noGroups; // both lists exist but are empty
    noGroups.templateLines = { "never read" };
    const TKksDocument a = ReadBytes(WriteBytes(noGroups));
    EXPECT_TRUE(a.Incomplete());
    EXPECT_FALSE(a.GroupNames);
    EXPECT_FALSE(a.TemplateRead);

    TRegister noParticipants;
    noParticipants.groups.Add("X");
    noParticipants.templateLines = { "Dear [M]", "  trailing  " };
    const Bytes bytes = WriteBytes(noParticipants);
    // Groups, an empty participant list, the template, an empty class table.
    const Bytes tail = { 0x69, 0x2B, 0, 0, 0x6A, 0x2B, 0x69, 0x2B, 0, 0, 0x6A, 0x2B };
    EXPECT_TRUE(std::equal(tail.begin(), tail.begin() + 6, bytes.begin() + 8 + 10));
    EXPECT_TRUE(std::equal(tail.begin() + 6, tail.end(), bytes.end() - 6));
    const TKksDocument b = ReadBytes(bytes);
    EXPECT_TRUE(b.Incomplete());
    EXPECT_FALSE(b.GroupNames);
    EXPECT_TRUE(b.TemplateRead);
    EXPECT_EQ(noParticipants.templateLines, b.TemplateLines);
}

TEST_F(KksDocument, EmptyTemplateDeletedGroupsAndEveryGroupNumberRoundTrip)
{
    TRegister r;
    r.groups.Add("A");
    r.groups.Add(".");
    r.groups.Add("C");
    r.Add("ZOE", "", 2);
    r.Add("AL", "B", -1);
    // Numbers that name no group, as earlier versions could save them, come back as they are.
    r.Add("BEN", "", 7);
    r.Add("CY", "", -9);
    const Bytes bytes = WriteBytes(r);
    const Bytes emptyTemplate = { 0x69, 0x2B, 0, 0, 0x6A, 0x2B };
    EXPECT_TRUE(std::equal(emptyTemplate.begin(), emptyTemplate.end(), bytes.end() - 16 - 6));

    const TKksDocument d = ReadBytes(bytes);
    EXPECT_EQ((std::vector<std::string> { "A", ".", "C" }), d.GroupNames->Texts());
    std::vector<int> groupNumbers;
    for (int i = 0; i < d.Participants->Count(); ++i)
        groupNumbers.push_back(UserAt(*d.Participants, i)->GroupNo);
    EXPECT_EQ((std::vector<int> { 2, -1, 7, -9 }), groupNumbers);
    EXPECT_FALSE(UserAt(*d.Participants, 0)->HasTaker());
    EXPECT_TRUE(d.TemplateLines.empty());
}

/// The golden file with some bytes replaced.
Bytes Patched(std::size_t offset, const Bytes& with)
{
    Bytes b = ReadFileBytes(TestDataPath(kGolden));
    std::copy(with.begin(), with.end(), b.begin() + static_cast<std::ptrdiff_t>(offset));
    return b;
}

TEST_F(KksDocument, StoredTakerNamesAreMatchedWithoutCaseAndUnknownOnesLeaveNoTaker)
{
    const TKksDocument lower = ReadBytes(Patched(109, { 'b', 'o', 'b', 'k', 'a', 'y' }));
    EXPECT_EQ(UserAt(*lower.Participants, 1), UserAt(*lower.Participants, 0)->Taker);

    const TKksDocument unknown = ReadBytes(Patched(109, { 'N', 'O', 'B', 'O', 'D', 'Y' }));
    TCCUser* ann = UserAt(*unknown.Participants, 0);
    EXPECT_FALSE(ann->HasTaker());
    EXPECT_TRUE(ann->TakerNameOnFile.empty());
    EXPECT_EQ(UserAt(*unknown.Participants, 1), ann->Giver);
}

/// Hands out at most seven bytes a read, so that no field arrives in one piece.
class TTrickleStream : public TMemoryStream {
public:
    using TMemoryStream::TMemoryStream;
    std::size_t Read(void* buffer, std::size_t n) override
    {
        return TMemoryStream::Read(buffer, std::min<std::size_t>(n, 7));
    }
};

TEST_F(KksDocument, ALargeDocumentRoundTripsThroughEveryReaderAndWriter)
{
    // Names of every length, so that fields straddle the streams' buffers at all offsets.
    TRegister r;
    r.groups.Add("G");
    const int n = 4000;
    for (int i = 0; i < n; ++i)
        r.Add(std::to_string(i) + std::string(static_cast<std::size_t>(i % 27), 'X'),
            std::string(static_cast<std::size_t>(i % 31), 'y'), 0);
    for (int i = 0; i < n; ++i)
        UserAt(r.participants, i)->SetTaker(UserAt(r.participants, (i + 7) % n));
    const Bytes bytes = WriteBytes(r);
    ASSERT_GT(bytes.size(), 4 * 65536u);
    const std::string path = dir / "large.kks";
    WriteKksDocument(path, r.groups, r.participants, r.templateLines);
    EXPECT_EQ(bytes, ReadFileBytes(path));

    TTrickleStream trickle(bytes);
    std::vector<TKksDocument> read;
    read.push_back(ReadBytes(bytes));
    read.push_back(ReadKksDocument(path, nullptr));
    read.push_back(ReadKksDocument(trickle, "trickle", nullptr));
    for (const TKksDocument& d : read) {
        ASSERT_EQ(r.participants.Texts(), d.Participants->Texts());
        for (int i = 0; i < n; i += 97)
            ASSERT_EQ(UserAt(*d.Participants, (i + 7) % n), UserAt(*d.Participants, i)->Taker) << i;
        TMemoryStream again;
        WriteKksDocument(again, "again", *d.GroupNames, *d.Participants, d.TemplateLines);
        EXPECT_EQ(bytes, again.Bytes());
    }
    for (std::uint64_t k : { 65535u, 65536u, 65537u, 200000u }) {
        TFailingStream failingRead(TFailingStream::Fail::Reads, k, bytes);
        EXPECT_THROW(ReadKksDocument(failingRead, "failing", nullptr), EInvalidPersistentFileAction);
        TFailingStream failingWrite(TFailingStream::Fail::Writes, k);
        EXPECT_THROW(WriteKksDocument(failingWrite, "failing", r.groups, r.participants, r.templateLines),
            EInvalidPersistentFileAction);
    }
}

struct DamagedCase {
    const char* label;
    Bytes bytes;
    std::string message;
};

TEST_F(KksDocument, DamagedDocumentsRaiseTheirMessages)
{
    const Bytes golden = ReadFileBytes(TestDataPath(kGolden));
    TRegister withoutRecord;
    withoutRecord.groups.Add("X");
    withoutRecord.participants.Add("GHOST");
    const DamagedCase cases[] = {
        { "never closed", Patched(4, { 0, 0, 0, 0 }), "Unregistered Object on Stream Ref No=0  " },
        { "class not registered", Patched(228, { 'T', 'F', 'o', 'o', 'U', 's', 'r' }),
            "Object Type TFooUsr is Not Registered" },
        { "group list end marker", Patched(20, { 0, 0 }), "Mis Constructed AnsiString End Reg No= 0" },
        { "taker string marker", Patched(103, { 0, 0 }), "Invalid Ansi String on File" },
        { "taker string over a billion", Patched(105, { 0x01, 0xCA, 0x9A, 0x3B }), "OverLength Ansi String on File" },
        { "taker string longer than the file", Patched(105, { 200, 0, 0, 0 }),
            "Damaged file: a string at offset 109 claims 200 bytes, but only 130 remain" },
        // Lengths no file of the format holds, refused before a byte is read: a sparse file's
        // holes would let them pass any test against the bytes that remain.
        { "taker key over 255 bytes", Patched(105, { 0x00, 0x01, 0, 0 }),
            "Damaged file: a taker's key at offset 105 claims 256 bytes, but holds at most 255" },
        { "class table past 2 GB", Patched(4, { 0, 0, 0, 0x80 }),
            "File Open Failed::Damaged file: the class table position 2147483648 lies past the format's limit of "
            "2147483647 bytes::memory" },
        { "participant without a record", WriteBytes(withoutRecord),
            "Damaged file: participant 1 (GHOST) has no participant record" },
        { "not an object file", Bytes(golden.begin() + 8, golden.end()),
            "File Open Failed::File is Not of Acceptable Type::memory" },
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.message, MessageOf<std::exception>([&] { ReadBytes(c.bytes); }));
    }
    EXPECT_EQ(0, LiveObjects()->Count()) << "records read before an error are freed";
}

TEST_F(KksDocument, EveryTruncationEveryFailingReadAndEveryFailingWriteRaises)
{
    const Bytes golden = ReadFileBytes(TestDataPath(kGolden));
    TRegister r;
    FillExchange(r);
    for (std::size_t k = 0; k < golden.size(); ++k) {
        SCOPED_TRACE(k);
        EXPECT_THROW(ReadBytes(Bytes(golden.begin(), golden.begin() + static_cast<std::ptrdiff_t>(k))),
            EInvalidPersistentFileAction);
        TFailingStream failingRead(TFailingStream::Fail::Reads, k, golden);
        EXPECT_THROW(ReadKksDocument(failingRead, "failing", nullptr), EInvalidPersistentFileAction);
        TFailingStream failingWrite(TFailingStream::Fail::Writes, k);
        EXPECT_THROW(WriteKksDocument(failingWrite, "failing", r.groups, r.participants, r.templateLines),
            EInvalidPersistentFileAction);
    }
}

TEST_F(KksDocument, EveryBitFlipIsRefusedOrReadWithConsistentLinks)
{
    const Bytes golden = ReadFileBytes(TestDataPath(kGolden));
    int refused = 0;
    for (std::size_t k = 0; k < golden.size(); ++k) {
        Bytes flipped = golden;
        flipped[k] ^= static_cast<std::uint8_t>(1u << (k % 8));
        try {
            const TKksDocument d = ReadBytes(flipped, &window);
            for (int i = 0; !d.Incomplete() && i < d.Participants->Count(); ++i) {
                const TCCUser* u = UserAt(*d.Participants, i);
                EXPECT_TRUE(
                    u->Taker == nullptr || (u->Taker->Giver == u && d.Participants->IndexOfObject(u->Taker) >= 0))
                    << k;
            }
        } catch (const std::exception&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 20) << "the flips that break the structure: header, markers, counts, lengths";
}

// ---- Saving over an existing document --------------------------------------------

/// A participant whose record cannot be written completely: a disk that fills up mid-save.
class TFailingUser : public TCCUser {
public:
    using TCCUser::TCCUser;
    void WriteToStream(TStream& stream) override
    {
        TCCUser::WriteToStream(stream);
        throw std::runtime_error("No space left on device");
    }
};

TEST_F(KksDocument, AFailedSaveLeavesTheOldFileAndNoTemporaryFile)
{
    const std::string path = dir / "party.kks";
    TRegister old;
    FillExchange(old);
    WriteKksDocument(path, old.groups, old.participants, old.templateLines);
    const Bytes before = ReadFileBytes(path);

    TRegister longLine, longGroup, tooMany, failing, held;
    FillExchange(longLine);
    longLine.templateLines.push_back(std::string(256, 'x'));
    FillExchange(longGroup);
    longGroup.groups.Add(std::string(300, 'g'));
    for (int i = 0; i < 32768; ++i)
        tooMany.groups.Add("G");
    FillExchange(failing);
    failing.participants.Add("LAST", new TFailingUser(&failing.participants, nullptr));
    FillExchange(held);

    const std::pair<TRegister*, std::string> cases[] = {
        { &longLine, "Template line 2 is too long to save: 256 bytes (at most 255)" },
        { &longGroup, "Group name 3 is too long to save: 300 bytes (at most 255)" },
        { &tooMany, "Too many groups to save: 32768 (at most 32767)" },
        { &failing, "Saving " + path + " failed: No space left on device. The earlier document is unchanged." },
        { &held, std::string("File Open Failed::") + platform::kSharingViolationMessage + "::" + path },
    };
    const int descriptors = OpenDescriptorCount();
    for (const auto& [reg, message] : cases) {
        SCOPED_TRACE(message);
        // A reader holds the document open only for the last case.
        std::unique_ptr<TCCObjectFile> reader;
        if (reg == &held)
            reader = std::make_unique<TCCObjectFile>(path, fmDbRead);
        EXPECT_EQ(message, MessageOf<std::exception>([&, reg = reg] {
            WriteKksDocument(path, reg->groups, reg->participants, reg->templateLines);
        }));
        EXPECT_EQ(before, ReadFileBytes(path));
        EXPECT_EQ((std::vector<std::string> { "party.kks" }), dir.Entries());
        reader.reset();
        EXPECT_EQ(descriptors, OpenDescriptorCount()) << "every file of a failed save is closed";
    }
    // A disk that fills up after any number of bytes of a document longer than the old one.
    held.groups.Add("Z");
    for (std::size_t k = 0; k < before.size(); ++k) {
        std::string message;
        {
            const TFileSizeLimit limit(k);
            message = MessageOf<std::exception>(
                [&] { WriteKksDocument(path, held.groups, held.participants, held.templateLines); });
        }
        ASSERT_NE(message.find("File too large"), std::string::npos) << k;
        ASSERT_TRUE(message.starts_with("Saving " + path) && message.ends_with("document is unchanged.")) << message;
        ASSERT_EQ(before, ReadFileBytes(path)) << k;
        ASSERT_EQ((std::vector<std::string> { "party.kks" }), dir.Entries()) << k;
    }
}

// Saves of a large register killed at random moments, as kill -9 would end them: the
// document on disk stays whole, and no temporary file is left but, from the instant
// between naming the complete new file and renaming it, that file, which the next save
// takes away.
TEST_F(KksDocument, ASaveKilledAtAnyMomentLeavesTheDocumentWholeAndNoTemporaryFile)
{
    TRegister r;
    r.groups.Add("A");
    r.groups.Add("B");
    for (int i = 0; i < 30000; ++i)
        r.Add("P" + std::to_string(i), "Q", i % 2);
    // In memory where there is some: a kill waits for the disk to finish a flush.
    const TTempDir folder(
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path());
    const std::string path = folder / "office.kks";
    const auto save = [&] { WriteKksDocument(path, r.groups, r.participants, r.templateLines); };
    save();
    const auto started = std::chrono::steady_clock::now();
    save();
    const auto span = std::chrono::steady_clock::now() - started;
    const Bytes whole = ReadFileBytes(path);
    const int kills = kSanitized ? 20 : 200; // a sanitized save takes many times as long
    std::mt19937 random(21);
    for (int k = 0; k < kills; ++k) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            [&]() noexcept {
                for (;;)
                    save();
            }(); // never back into the test, whatever happens
        std::this_thread::sleep_for(span * std::uniform_real_distribution<>(0.0, 1.0)(random));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saves went on until the kill";
        ASSERT_EQ(whole, ReadFileBytes(path)) << k;
        for (const std::string& name : folder.Entries()) {
            if (name == "office.kks")
                continue;
            ASSERT_TRUE(name.starts_with(".tinselwick-new-")) << name;
            ASSERT_EQ(whole, ReadFileBytes(folder / name)) << name;
        }
    }
    save();
    EXPECT_EQ(folder.Entries(), std::vector<std::string> { "office.kks" });
}

TEST_F(KksDocument, ASaveReplacesTheFileAndKeepsItsPermissions)
{
    const std::string path = dir / "party.kks";
    TRegister first;
    first.groups.Add("X");
    WriteKksDocument(path, first.groups, first.participants, first.templateLines);
    ::chmod(path.c_str(), 0640);

    TRegister second;
    FillExchange(second);
    WriteKksDocument(path, second.groups, second.participants, second.templateLines);
    EXPECT_EQ(ReadFileBytes(TestDataPath(kGolden)), ReadFileBytes(path));
    struct stat st { };
    ASSERT_EQ(0, ::stat(path.c_str(), &st));
    EXPECT_EQ(0640u, st.st_mode & 0777);
    EXPECT_EQ((std::vector<std::string> { "party.kks" }), dir.Entries());
}

} // namespace
