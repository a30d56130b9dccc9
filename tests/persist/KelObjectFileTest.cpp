#include "persist/KelObjectFile.h"
#include "persist/PersistTestSupport.h"
#include "platform/PosixFile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace testsupport;

namespace {

/// A small persistent class of the tests' own: a version and one number.
class TTestRecord : public TKelFileObjectOnRawStrm {
public:
    using TKelFileObjectOnRawStrm::TKelFileObjectOnRawStrm;
    ~TTestRecord() override { ReleaseFromLiveObjects(); }
    static const TPersistentClass& ClassInfo()
    {
        static const TPersistentClass info("TTestRecord", &TKelFileObjectOnRawStrm::ClassInfo(),
            [](TStringList* list, TObject* owner) -> std::unique_ptr<TKelPersistFileObject> {
                return std::make_unique<TTestRecord>(list, owner);
            });
        return info;
    }
    const TPersistentClass& ClassType() const override { return ClassInfo(); }
    void WriteToStream(TStream& s) override
    {
        TKelFileObjectOnRawStrm::WriteToStream(s);
        s.WriteI32(Value);
    }
    void ReadFromStream(TStream& s) override
    {
        TKelFileObjectOnRawStrm::ReadFromStream(s);
        Value = s.ReadI32("a test value");
    }
    std::int32_t Value = 0;
};

/// An object file class that allows fmDbOpen, which no class of the program does.
class TSharedObjectFile : public TKelObjectFileWithRawStrm {
public:
    TSharedObjectFile(const std::string& name, TOpenMode mode)
        : TKelObjectFileWithRawStrm(TDeferredOpen {})
    {
        Open(name, mode);
    }
    bool AllowsDbOpen() const override { return true; }
};

class ObjectFile : public TPersistTest {
protected:
    void SetUp() override
    {
        TPersistTest::SetUp();
        RegisterPersistentClasses({ &TTestRecord::ClassInfo() });
    }
    TTempDir dir;
};

/// A file of a header (TablePos 0) followed by `body`, opened for reading in memory.
Bytes WithHeader(const Bytes& body, std::uint32_t tablePos = 0)
{
    Bytes b;
    Put32(b, 0x01267D34);
    Put32(b, tablePos);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

/// Creates `path` holding one list of one entry.
void WriteOneEntryFile(const std::string& path, const std::string& entry)
{
    TStringList list;
    list.Add(entry);
    TKelObjectFile(path, fmDbCreate).WriteList(&list);
}

/// An owning list of test records with the given values, all under one text.
std::unique_ptr<TStringList> Records(std::initializer_list<int> values, const std::string& text)
{
    auto list = std::make_unique<TStringList>(true);
    for (int v : values) {
        auto* r = new TTestRecord(list.get(), nullptr);
        r->Value = v;
        list->Add(text, r);
    }
    return list;
}

Bytes ListOf(std::initializer_list<const char*> texts, std::uint16_t start = 0x2B69, std::uint16_t end = 0x2B6A)
{
    Bytes b;
    Put16(b, start);
    Put16(b, static_cast<std::uint16_t>(texts.size()));
    for (const char* t : texts) {
        PutText(b, t);
        Put16(b, 0xFFFF);
    }
    Put16(b, end);
    return b;
}

// ---- Bytes on file ----------------------------------------------------------------

TEST_F(ObjectFile, NewFileClosedAtOnceIsHeaderAndEmptyClassTable)
{
    {
        TKelObjectFile file(dir / "new.kks", fmDbCreate);
    }
    EXPECT_EQ((Bytes { 0x34, 0x7D, 0x26, 0x01, 0x08, 0, 0, 0, 0x69, 0x2B, 0, 0, 0x6A, 0x2B }),
        ReadFileBytes(dir / "new.kks"));
}

TEST_F(ObjectFile, OneEntryListWithoutObject)
{
    WriteOneEntryFile(dir / "one.kks", "A");
    const Bytes bytes = ReadFileBytes(dir / "one.kks");
    ASSERT_EQ(24u, bytes.size());
    EXPECT_EQ((Bytes { 0x12, 0, 0, 0 }), Bytes(bytes.begin() + 4, bytes.begin() + 8));
    EXPECT_EQ(
        (Bytes { 0x69, 0x2B, 1, 0, 1, 'A', 0xFF, 0xFF, 0x6A, 0x2B }), Bytes(bytes.begin() + 8, bytes.begin() + 18));
}

TEST_F(ObjectFile, ObjectsOfOneClassShareReferenceNumberAndTableEntry)
{
    TMemoryStream memory;
    {
        TKelObjectFile file(memory, fmDbCreate, "memory");
        file.WriteList(Records({ 7, 8 }, "r").get());
        file.WriteObject(nullptr);
    }
    const Bytes& b = memory.Bytes();
    // Entry: length, text, ref 0, version 9C 53, value.
    EXPECT_EQ((Bytes { 1, 'r', 0, 0, 0x9C, 0x53, 7, 0, 0, 0 }), Bytes(b.begin() + 12, b.begin() + 22));
    EXPECT_EQ((Bytes { 1, 'r', 0, 0, 0x9C, 0x53, 8, 0, 0, 0 }), Bytes(b.begin() + 22, b.begin() + 32));

    TKelObjectFile reader(memory, fmDbRead, "memory");
    ASSERT_EQ(1, reader.ClassTableCount());
    EXPECT_EQ("TTestRecord", reader.ClassTableName(0));
    TStringList back(true);
    reader.ReadList(&back, nullptr);
    ASSERT_EQ(2, back.Count());
    auto* second = dynamic_cast<TTestRecord*>(back.Objects(1));
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(8, second->Value);
    EXPECT_EQ(&back, second->OwnerList);
    EXPECT_TRUE(second->ClassLookup) << "an owner that is not persistent leaves the lookup to the file";
    EXPECT_EQ(nullptr, reader.ReadObject(nullptr, nullptr));
}

TEST_F(ObjectFile, AlternateListStartMarkerIsRead)
{
    TMemoryStream memory(WithHeader(ListOf({ "a", "b" }, 0x2B73)));
    TKelObjectFile file(memory, fmDbRead, "memory");
    TStringList list;
    file.ReadList(&list, nullptr);
    EXPECT_EQ((std::vector<std::string> { "a", "b" }), list.Texts());
}

TEST_F(ObjectFile, UpdateAppendsOverTheOldClassTable)
{
    const std::string path = dir / "grow.kks";
    WriteOneEntryFile(path, "one");
    {
        TStringList second;
        second.Add("two");
        TKelObjectFile(path, fmDbUpdate).WriteList(&second);
    }
    {
        TKelObjectFile reopenedWithoutWriting(path, fmDbUpdate);
    }

    TKelObjectFile file(path, fmDbRead);
    TStringList a, b;
    file.ReadList(&a, nullptr);
    file.ReadList(&b, nullptr);
    EXPECT_EQ("one", a.Strings(0));
    EXPECT_EQ("two", b.Strings(0));
    EXPECT_EQ(8u + 12 + 12, file.TablePos);
    EXPECT_EQ(8u + 12 + 12 + 6, ReadFileBytes(path).size());
}

TEST_F(ObjectFile, EachModeSetsItsFlagsAndStartsWhereItShould)
{
    // An existing file of one list "old" and a class table; a writable mode writes the list
    // "new" and closes, and the file is then read from the start.
    struct ModeCase {
        TOpenMode mode;
        bool writable;
        bool readsRefs;
        std::vector<std::string> listsAfter; // fmDbRead: the first list it reads
    };
    const ModeCase cases[] = {
        { fmDbRead, false, true, { "old" } },
        { fmDbCreate, true, false, { "new" } },
        { fmDbUpdate, true, true, { "old", "new" } },
        { fmDbUpdateBackup, true, true, { "old", "new" } },
        { fmDbCreateBackup, true, false, { "new" } },
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.mode);
        const std::string path = dir / ("mode" + std::to_string(c.mode) + ".kks");
        WriteOneEntryFile(path, "old");
        {
            TKelObjectFile file(path, c.mode);
            EXPECT_TRUE(file.Ok);
            EXPECT_EQ(c.writable, file.Writable);
            EXPECT_EQ(c.readsRefs, file.ReadsRefs);
            if (c.mode == fmDbRead) {
                TStringList first;
                file.ReadList(&first, nullptr);
                EXPECT_EQ(c.listsAfter, first.Texts());
                continue;
            }
            TStringList list;
            list.Add("new");
            file.WriteList(&list);
        }
        TKelObjectFile reader(path, fmDbRead);
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < c.listsAfter.size(); ++i) {
            TStringList list;
            reader.ReadList(&list, nullptr);
            texts.push_back(list.Count() == 1 ? list.Strings(0) : "?");
        }
        EXPECT_EQ(c.listsAfter, texts);
        EXPECT_EQ(8u + 12 * c.listsAfter.size(), reader.TablePos);
    }

    // A missing file is created as a bare header in every mode that writes.
    for (TOpenMode mode : { fmDbCreate, fmDbUpdate, fmDbUpdateBackup, fmDbCreateBackup }) {
        SCOPED_TRACE(mode);
        const std::string path = dir / ("fresh" + std::to_string(mode) + ".kks");
        {
            TKelObjectFile file(path, mode);
            EXPECT_EQ(0u, file.TablePos);
            EXPECT_EQ(8u, ReadFileBytes(path).size());
        }
        EXPECT_EQ(14u, ReadFileBytes(path).size());
    }
}

// ---- Error messages -------------------------------------------------------------

struct OpenCase {
    const char* label;
    Bytes content; // empty: no file
    TOpenMode mode;
    std::string reason; // inside "File Open Failed::" ... "::" + full path
};

TEST_F(ObjectFile, OpenFailuresAreWrappedWithTheFullPath)
{
    Bytes brokenTable = WithHeader(ListOf({}), 8);
    brokenTable[8] = 0;
    brokenTable[9] = 0;
    const OpenCase cases[] = {
        { "wrong type", { 0, 0, 0, 0, 0, 0, 0, 0 }, fmDbRead, "File is Not of Acceptable Type" },
        { "unknown mode", WithHeader({}), 3, "Unknown Open Mode" },
        { "fmDbOpen not allowed", WithHeader({}), fmDbOpen, "Illegal use of fmDbOpen Mode" },
        { "missing file", {}, fmDbRead, "Cannot open the file: No such file or directory" },
        { "broken class table", brokenTable, fmDbRead, "Mis Constructed AnsiString Start Reg No= 0" },
        { "cut in the header", { 0x34, 0x7D, 0x26 }, fmDbRead,
            "Damaged file: unexpected end of file reading the file type at offset 0 (4 bytes wanted)" },
        { "table beyond the end", WithHeader({}, 500), fmDbRead,
            "Damaged file: unexpected end of file reading a list's start marker at offset 500 (2 bytes wanted)" },
    };
    const int descriptors = OpenDescriptorCount();
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = dir / "case.kks";
        std::filesystem::remove(path);
        if (!c.content.empty())
            WriteFileBytes(path, c.content);
        EXPECT_EQ("File Open Failed::" + c.reason + "::" + path,
            MessageOf<EInvalidPersistentFileAction>([&] { TKelObjectFile f(path, c.mode); }));
    }
    EXPECT_EQ(descriptors, OpenDescriptorCount()) << "failed opens close their files";
}

TEST_F(ObjectFile, AlternateFileTypeIsAccepted)
{
    Bytes b = WithHeader({});
    b[0] = 0xC4, b[1] = 0xB2, b[2] = 0xF3, b[3] = 0x72;
    TMemoryStream memory(b);
    EXPECT_EQ(0x72F3B2C4u, TKelObjectFile(memory, fmDbRead, "m").FileType);
}

TEST_F(ObjectFile, ErrorsBeforeOpeningAreNotWrapped)
{
    EXPECT_EQ("Db File Name must be more than one character::<x>",
        MessageOf<EInvalidPersistentFileAction>([] { TKelObjectFile f("x", fmDbRead); }));
    kel_testing::ResetPersistenceLibrary();
    EXPECT_EQ("SetCurrentVersion must be called before using TKelObjectFile",
        MessageOf<EInvalidPersistentFileAction>([&] { TKelObjectFile f(dir / "a.kks", fmDbCreate); }));
    EXPECT_FALSE(platform::FileExists(dir / "a.kks"));
}

struct ListCase {
    const char* label;
    Bytes body;
    std::string message;
};

TEST_F(ObjectFile, BrokenListsRaiseTheirMessages)
{
    Bytes hugeCount;
    Put16(hugeCount, 0x2B69);
    Put16(hugeCount, 30000);
    Bytes longText;
    Put16(longText, 0x2B69);
    Put16(longText, 1);
    longText.push_back(200);
    longText.insert(longText.end(), { 'a', 'b' });
    longText.resize(longText.size() + 10, 0); // enough for the count, not for the text
    const ListCase cases[] = {
        { "end marker 00 00", ListOf({ "a" }, 0x2B69, 0), "Mis Constructed AnsiString End Reg No= 0" },
        { "start marker", ListOf({}, 0xFFFF), "Mis Constructed AnsiString Start Reg No= 65535" },
        { "count beyond the file", hugeCount,
            "Damaged file: a list at offset 8 claims 30000 entries, but only 0 bytes remain" },
        { "text beyond the file", longText,
            "Damaged file: unexpected end of file reading a list entry's text at offset 13 (200 bytes wanted)" },
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.label);
        TMemoryStream memory(WithHeader(c.body));
        TKelObjectFile file(memory, fmDbRead, "memory");
        TStringList list;
        EXPECT_EQ(c.message, MessageOf<EInvalidPersistentFileAction>([&] { file.ReadList(&list, nullptr); }));
    }
}

TEST_F(ObjectFile, ListsAreReadAndWrittenOnlyWhereTheyMayBe)
{
    TMemoryStream empty, existing(WithHeader({})), oneList(WithHeader(ListOf({ "a" })));
    TKelObjectFile creating(empty, fmDbCreate, "memory");
    TKelObjectFile reading(existing, fmDbRead, "memory");
    TKelObjectFile readingAList(oneList, fmDbRead, "memory");
    TStringList list, full;
    full.Add("1"), full.Add("2"), full.Add("3");
    const std::pair<std::string, std::function<void()>> cases[] = {
        { "Read List With Existing Data 3", [&] { readingAList.ReadList(&full, nullptr); } },
        { "Objects cannot be read from a file opened for creating", [&] { creating.ReadList(&list, nullptr); } },
        { "The object file is open for reading only", [&] { reading.WriteList(&list); } },
    };
    for (const auto& [message, misuse] : cases)
        EXPECT_EQ(message, MessageOf<EInvalidPersistentFileAction>(misuse));
}

TEST_F(ObjectFile, UnknownReferenceNumbersAndClassNames)
{
    // TablePos 0: a file never closed has no class table.
    Bytes refZero;
    Put16(refZero, 0);
    TMemoryStream neverClosed(WithHeader(refZero));
    TKelObjectFile file(neverClosed, fmDbRead, "memory");
    EXPECT_EQ("Unregistered Object on Stream Ref No=0  ",
        MessageOf<std::runtime_error>([&] { file.ReadObject(nullptr, nullptr); }));
    EXPECT_FALSE(file.Ok);
    TStringList list;
    file.ReadList(&list, nullptr);
    EXPECT_TRUE(list.Empty()) << "after an unregistered object nothing more is read";

    // A class table naming a class that is not registered.
    Bytes body;
    Put16(body, 0);
    Bytes table = ListOf({ "TFoo" });
    body.insert(body.end(), table.begin(), table.end());
    TMemoryStream unknownClass(WithHeader(body, 10));
    TKelObjectFile other(unknownClass, fmDbRead, "memory");
    EXPECT_EQ("Object Type TFoo is Not Registered",
        MessageOf<EInvalidPersistentFileAction>([&] { other.ReadObject(nullptr, nullptr); }));
}

TEST_F(ObjectFile, WriterRefusesWhatTheFormatCannotHoldBeforeWritingAnything)
{
    TStringList tooMany;
    for (int i = 0; i < 32768; ++i)
        tooMany.Add("x");
    TStringList tooLong;
    tooLong.Add("fine");
    tooLong.Add(std::string(256, 'y'));
    TStringList notPersistent;
    TObject plain;
    notPersistent.Add("p", &plain);
    const std::pair<const TStringList*, std::string> cases[] = {
        { &tooMany, "A list of 32768 entries cannot be stored: the format holds at most 32767" },
        { &tooLong, "Entry 1 of a list is 256 bytes long: the format holds at most 255" },
        { &notPersistent, "Only persistent objects can be written to an object file" },
    };
    for (const auto& [list, message] : cases) {
        TMemoryStream memory;
        TKelObjectFile file(memory, fmDbCreate, "memory");
        EXPECT_EQ(message, MessageOf<EInvalidPersistentFileAction>([&] { file.WriteList(list); }));
        EXPECT_EQ(8u, memory.Size());
    }
}

TEST_F(ObjectFile, WriterRefusesToPassTwoGigabytes)
{
    // An existing file whose class table sits just below the limit; fmDbUpdate appends there.
    const std::uint32_t tablePos = 0x7FFFFFFF - 12;
    TSparseStream sparse;
    const Bytes header = WithHeader({}, tablePos);
    sparse.Write(header.data(), header.size());
    const Bytes table = ListOf({});
    sparse.Seek(tablePos);
    sparse.Write(table.data(), table.size());

    TKelObjectFile file(sparse, fmDbUpdate, "sparse");
    TStringList big;
    big.Add(std::string(30, 'z'));
    EXPECT_EQ(
        "The file would grow past the format's limit of 2147483647 bytes (39 bytes to write at offset 2147483635)",
        MessageOf<EInvalidPersistentFileAction>([&] { file.WriteList(&big); }));

    // The list alone would fit, with its record it does not: refused before its first byte.
    TStringList withObject(true);
    auto* record = new TTestRecord(&withObject, nullptr);
    withObject.Add("o", record);
    const std::size_t stored = sparse.BytesStored();
    EXPECT_EQ(
        "The file would grow past the format's limit of 2147483647 bytes (16 bytes to write at offset 2147483635)",
        MessageOf<EInvalidPersistentFileAction>([&] { file.WriteList(&withObject); }));
    EXPECT_EQ(stored, sparse.BytesStored());
}

TEST_F(ObjectFile, ShortWritesRaiseAtEveryByte)
{
    // Writes of a list with two records fail after k bytes, for every k: always an error, never a crash.
    const auto list = Records({ 1, 2 }, "rec");
    for (std::uint64_t k = 0; k < 8 + 30; ++k) {
        SCOPED_TRACE(k);
        TFailingStream failing(TFailingStream::Fail::Writes, k);
        EXPECT_THROW(
            {
                TKelObjectFile file(failing, fmDbCreate, "failing");
                file.WriteList(list.get());
                file.Close();
            },
            EInvalidPersistentFileAction);
    }
}

TEST_F(ObjectFile, CloseReportsAFailedClassTableWhileDestructionIgnoresIt)
{
    TFailingStream failing(TFailingStream::Fail::Writes, 10);
    {
        TKelObjectFile quiet(failing, fmDbCreate, "failing");
    } // no exception escapes the destructor
    TFailingStream again(TFailingStream::Fail::Writes, 10);
    TKelObjectFile file(again, fmDbCreate, "failing");
    EXPECT_THROW(file.Close(), EInvalidPersistentFileAction);
}

// ---- Modes, backups and sharing ----------------------------------------------------

TEST(BackupName, ReplacesTheExtensionByUnderscoreAndItsFirstTwoCharacters)
{
    EXPECT_EQ("/party/draw._kk", BackupFileName("/party/draw.kks"));
    EXPECT_EQ("/party/x._ab", BackupFileName("/party/x.ab"));
    for (const char* bad : { "/party/draw.k", "/party/draw", "/par.ty/draw", "/party/draw." })
        EXPECT_THROW(BackupFileName(bad), EInvalidPersistentFileAction) << bad;
}

TEST_F(ObjectFile, BackupModes)
{
    const std::string path = dir / "draw.kks";
    const std::string backup = dir / "draw._kk";
    WriteOneEntryFile(path, "old");
    const Bytes original = ReadFileBytes(path);
    WriteFileBytes(backup, { 1, 2, 3 }); // an older backup, replaced

    {
        TStringList list;
        list.Add("old");
        TKelObjectFile(path, fmDbUpdateBackup).WriteList(&list);
    }
    EXPECT_EQ(original, ReadFileBytes(backup));
    EXPECT_EQ(original.size() + 12, ReadFileBytes(path).size()) << "the copy is appended to";

    const Bytes beforeCreate = ReadFileBytes(path);
    {
        TKelObjectFile recreated(path, fmDbCreateBackup);
    }
    EXPECT_EQ(beforeCreate, ReadFileBytes(backup));
    EXPECT_EQ(14u, ReadFileBytes(path).size());

    // A private document stays private in both modes that recreate it.
    for (TOpenMode mode : { fmDbUpdateBackup, fmDbCreateBackup }) {
        ::chmod(path.c_str(), 0600);
        TKelObjectFile(path, mode).Close();
        EXPECT_EQ(0600u, platform::TPosixFile::OpenExisting(path, false, platform::TShareMode::Shared).Permissions());
    }

    EXPECT_EQ("File Open Failed::No backup name can be formed: the file name needs an extension of at least two "
              "characters::"
            + (dir / "draw.k"),
        MessageOf<EInvalidPersistentFileAction>([&] { TKelObjectFile f(dir / "draw.k", fmDbCreate); }));
}

TEST_F(ObjectFile, ABackupThatCannotBeReplacedFailsTheOpenAndKeepsTheFile)
{
    const std::string path = dir / "draw.kks";
    const std::string backup = dir / "draw._kk";
    WriteOneEntryFile(path, "precious");
    WriteOneEntryFile(backup, "older");
    const Bytes content = ReadFileBytes(path);
    const Bytes oldBackup = ReadFileBytes(backup);

    TKelObjectFile readerOfTheBackup(backup, fmDbRead);
    const int descriptors = OpenDescriptorCount();
    for (TOpenMode mode : { fmDbCreateBackup, fmDbUpdateBackup }) {
        SCOPED_TRACE(mode);
        EXPECT_EQ("File Open Failed::The old backup " + backup
                + " cannot be removed: " + platform::kSharingViolationMessage + "::" + path,
            MessageOf<EInvalidPersistentFileAction>([&] { TKelObjectFile f(path, mode); }));
        EXPECT_EQ(content, ReadFileBytes(path));
        EXPECT_EQ(oldBackup, ReadFileBytes(backup));
    }
    EXPECT_EQ(descriptors, OpenDescriptorCount());
}

TEST_F(ObjectFile, ExclusiveOpensConflictWithEveryOtherOpen)
{
    struct Case {
        TOpenMode first, second;
        bool secondOpens;
    };
    const Case cases[] = {
        { fmDbRead, fmDbRead, true },
        { fmDbRead, fmDbCreate, false },
        { fmDbRead, fmDbUpdate, false },
        { fmDbRead, fmDbUpdateBackup, false },
        { fmDbRead, fmDbCreateBackup, false },
        { fmDbUpdate, fmDbRead, false },
        { fmDbCreate, fmDbUpdate, false },
        { fmDbUpdateBackup, fmDbRead, false },
    };
    const std::string path = dir / "shared.kks";
    WriteOneEntryFile(path, "keep me");
    const Bytes content = ReadFileBytes(path);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.first) + " then " + std::to_string(c.second));
        TKelObjectFile first(path, c.first);
        const std::string message
            = MessageOf<EInvalidPersistentFileAction>([&] { TKelObjectFile second(path, c.second); });
        if (c.secondOpens) {
            EXPECT_EQ("", message);
        } else {
            EXPECT_EQ(std::string("File Open Failed::") + platform::kSharingViolationMessage + "::" + path, message);
            if (c.first == fmDbRead) {
                EXPECT_EQ(content, ReadFileBytes(path)) << "a held file is neither emptied nor moved";
                EXPECT_FALSE(platform::FileExists(dir / "shared._kk"));
            }
        }
    }
}

TEST_F(ObjectFile, SharedOpenModeWhereAClassAllowsIt)
{
    const std::string path = dir / "open.kks";
    TSharedObjectFile a(path, fmDbOpen); // creates the file, exclusively while creating
    a.Close();
    TSharedObjectFile b(path, fmDbOpen);
    EXPECT_NO_THROW(TSharedObjectFile c(path, fmDbOpen));
    EXPECT_THROW(TKelObjectFile d(path, fmDbUpdate), EInvalidPersistentFileAction);
}

} // namespace
