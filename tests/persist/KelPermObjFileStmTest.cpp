#include "persist/KelPermObjFileStm.h"
#include "persist/PersistTestSupport.h"
#include "platform/DebugOutput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <sys/mman.h>
#include <vector>

using testsupport::Bytes;

namespace {

/// The library in its start-up state, before any version is set.
class PersistLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        kel_testing::ResetPersistenceLibrary();
        InitializePersistenceLibrary();
    }
    void TearDown() override { kel_testing::ResetPersistenceLibrary(); }
};

template <class F> std::string MessageOf(F&& f)
{
    return testsupport::MessageOf<EInvalidPersistentFileAction>(std::forward<F>(f));
}

TEST_F(PersistLibrary, TheVersionIsSetOnceAndMustBeSetBeforeUse)
{
    EXPECT_EQ("SetCurrentVersion must be called before using TKelPersistFileObject",
        MessageOf([] { TKelPersistFileObject object(nullptr, nullptr); }));
    EXPECT_EQ(nullptr, LiveObjects());

    SetCurrentVersion(0, 5); // leaves the library unset
    SetCurrentVersion(21404, 18000);
    EXPECT_EQ("SetCurrentVersion can only be called once. Version::21404 is rejected",
        MessageOf([] { SetCurrentVersion(21404, 18000); }));
    EXPECT_EQ(21404, CurrentVersion());
    EXPECT_EQ(18000, SecondVersionNumber());

    // The base record is only its version stamp.
    TKelPersistFileObject object(nullptr, nullptr);
    TMemoryStream s;
    object.WriteToStream(s);
    EXPECT_EQ((Bytes { 0x9C, 0x53 }), s.Bytes());
    EXPECT_EQ(21404, object.Version);
}

struct AnsiCase {
    Bytes bytes;
    const char* text; // expected text, or nullptr for an error
    const char* error; // expected message
    std::uint64_t consumed;
};

TEST_F(PersistLibrary, ReadAnsiStringForms)
{
    const AnsiCase cases[] = {
        { { 0x70, 0x2B, 3, 0, 0, 0, 'a', 'b', 'c' }, "abc", nullptr, 9 },
        { { 0, 0, 0, 0, 0, 0 }, "", nullptr, 6 },
        { { 0, 0, 5, 0, 0, 0 }, nullptr, "Invalid Ansi String on File", 0 },
        { { 0x70, 0x2B, 0xFF, 0xFF, 0xFF, 0xFF, 'x' }, "", nullptr, 6 },
        { { 0x70, 0x2B, 0x01, 0xCA, 0x9A, 0x3B }, nullptr, "OverLength Ansi String on File", 0 },
        // 900,000,000 bytes claimed by a 20-byte stream: refused without allocating.
        { { 0x70, 0x2B, 0x00, 0xE9, 0xA4, 0x35, 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x' },
            nullptr, "Damaged file: a string at offset 6 claims 900000000 bytes, but only 14 remain", 0 },
    };
    for (const AnsiCase& c : cases) {
        TMemoryStream s(c.bytes);
        if (c.text != nullptr) {
            EXPECT_EQ(c.text, TKelPersistFileObject::ReadAnsiString(s));
            EXPECT_EQ(c.consumed, s.Position());
        } else {
            EXPECT_EQ(c.error, MessageOf([&] { TKelPersistFileObject::ReadAnsiString(s); }));
        }
    }
}

TEST_F(PersistLibrary, WriteAnsiString)
{
    TMemoryStream s;
    TKelPersistFileObject::WriteAnsiString(s, "abc");
    TKelPersistFileObject::WriteAnsiString(s, "");
    EXPECT_EQ((Bytes { 0x70, 0x2B, 3, 0, 0, 0, 'a', 'b', 'c', 0x70, 0x2B, 0, 0, 0, 0 }), s.Bytes());
}

TEST_F(PersistLibrary, WritingATextOverABillionBytesIsRefusedBeforeWriting)
{
    // Address space only: the pages are never touched, so no gigabyte is spent.
    const std::size_t size = 1'000'000'001;
    void* pages = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(MAP_FAILED, pages);
    TMemoryStream s;
    EXPECT_EQ("OverLength AnsiString on File", MessageOf([&] {
        TKelPersistFileObject::WriteAnsiString(s, std::string_view(static_cast<const char*>(pages), size));
    }));
    EXPECT_EQ(0u, s.Size());
    ::munmap(pages, size);
}

TEST_F(PersistLibrary, ShutdownReportsLiveObjects)
{
    SetCurrentVersion(21404, 18000);
    std::vector<std::string> lines;
    platform::ScopedDebugSink sink([&](const std::string& line) { lines.push_back(line); });
    TKelPersistFileObject a(nullptr, nullptr);
    TKelPersistFileObject b(nullptr, nullptr);
    ShutdownPersistenceLibrary();
    EXPECT_EQ((std::vector<std::string> { "File Objects Created but not Destroyed",
                  "0 Object Left is TKelPersistFileObject", "1 Object Left is TKelPersistFileObject" }),
        lines);
}

TEST(SortedPointerList, KeepsAddressOrderWithoutDuplicates)
{
    auto p = [](std::uintptr_t v) { return reinterpret_cast<const void*>(v); };
    TSortedPointerList list;
    list.Add(p(30));
    list.Add(p(10));
    EXPECT_EQ(1, list.Add(p(20)));
    EXPECT_EQ(1, list.Add(p(20)));
    ASSERT_EQ(3, list.Count());
    EXPECT_EQ(p(10), list.Items(0));
    EXPECT_EQ(p(30), list.Items(2));
    EXPECT_EQ(0, list.Find(p(5)).position);
    EXPECT_EQ(3, list.Find(p(40)).position);
    EXPECT_FALSE(list.Remove(p(25)));
    EXPECT_TRUE(list.Remove(p(20)));
    EXPECT_EQ(2, list.Count());
}

TEST(SortedPointerList, AgreesWithAPlainSortedArrayAcrossThousandsOfChanges)
{
    // Enough items to split and empty the list's chunks many times over.
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uintptr_t> address(1, 6000);
    TSortedPointerList list;
    std::vector<const void*> model;
    for (int step = 0; step < 40000; ++step) {
        const void* p = reinterpret_cast<const void*>(address(random) * 16);
        const auto it = std::lower_bound(model.begin(), model.end(), p, std::less<const void*>());
        const int position = static_cast<int>(it - model.begin());
        const bool present = it != model.end() && *it == p;
        const TSortedPointerList::FindResult found = list.Find(p);
        ASSERT_EQ(present, found.found);
        ASSERT_EQ(position, found.position);
        if (step % 3 == 0) {
            ASSERT_EQ(present, list.Remove(p));
            if (present)
                model.erase(it);
        } else {
            ASSERT_EQ(position, list.Add(p));
            if (!present)
                model.insert(it, p);
        }
        ASSERT_EQ(static_cast<int>(model.size()), list.Count());
    }
    for (int i = 0; i < list.Count(); ++i)
        ASSERT_EQ(model[static_cast<std::size_t>(i)], list.Items(i));
}

const TPersistentClass& OtherPersistentClass()
{
    static const TPersistentClass info("TOther", &TKelPersistFileObject::ClassInfo(), nullptr);
    return info;
}

TEST_F(PersistLibrary, RegistryErrors)
{
    static const TPersistentClass foreign("TForeign", nullptr, nullptr);
    static const TPersistentClass third("TThird", &TKelPersistFileObject::ClassInfo(), nullptr);
    EXPECT_EQ("Failed Attempt To Register, Invalid Class", MessageOf([] { RegisterPersistentClasses({ &foreign }); }));
    EXPECT_EQ("Failed Attempt To Register, Duplicate Name", MessageOf([] {
        RegisterPersistentClasses({ &OtherPersistentClass(), &TKelPersistFileObject::ClassInfo(), &third });
    }));
    EXPECT_EQ(&OtherPersistentClass(), GetRegisteredClass("tother"))
        << "registered before the duplicate, found in any case";
    EXPECT_EQ(nullptr, FindRegisteredClass("TThird")) << "the class after the duplicate is not registered";
    EXPECT_EQ("Object Type TFoo is Not Registered", MessageOf([] { GetRegisteredClass("TFoo"); }));
}

TEST_F(PersistLibrary, AnObjectTakenOffByAddressLeavesItsPlaceToTheNextOne)
{
    SetCurrentVersion(21404, 18000);
    std::vector<std::string> lines;
    platform::ScopedDebugSink sink([&](const std::string& line) { lines.push_back(line); });
    auto first = std::make_unique<TKelPersistFileObject>(nullptr, nullptr);
    LiveObjects()->Remove(first.get());
    const TKelFileObjectOnRawStrm next(nullptr, nullptr); // made while the first still lives
    first.reset();
    ASSERT_EQ(1, LiveObjects()->Count());
    EXPECT_EQ(&next, LiveObjects()->Items(0));
    EXPECT_EQ(
        std::vector<std::string> { "Non Created Object Destroy (not found on ObjectList) :: TKelPersistFileObject" },
        lines);
}

TEST_F(PersistLibrary, DestroyingAnUnrecordedObjectOnlyWritesADebugLine)
{
    SetCurrentVersion(21404, 18000);
    std::vector<std::string> lines;
    platform::ScopedDebugSink sink([&](const std::string& line) { lines.push_back(line); });
    {
        TKelPersistFileObject object(nullptr, nullptr);
        TKelFileObjectOnRawStrm raw(nullptr, nullptr); // destroyed first; the line names its own class
        LiveObjects()->Remove(&object);
        LiveObjects()->Remove(&raw);
    }
    EXPECT_EQ(
        (std::vector<std::string> { "Non Created Object Destroy (not found on ObjectList) :: TKelFileObjectOnRawStrm",
            "Non Created Object Destroy (not found on ObjectList) :: TKelPersistFileObject" }),
        lines);
    ShutdownPersistenceLibrary();
    EXPECT_EQ(2u, lines.size()) << "no report when nothing is left";
}

TEST_F(PersistLibrary, LookupsAreInheritedFromPersistentOwnersOnly)
{
    SetCurrentVersion(21404, 18000);
    const TKelPersistFileObject::TRefNoLookup refNos = [](TKelPersistFileObject*) { return 7; };
    const TKelPersistFileObject::TClassLookup classes
        = [](std::int32_t) { return &TKelPersistFileObject::ClassInfo(); };
    TObject window;

    // top (has both lookups) <- middle (none) <- bottom (none); a window owns top.
    TKelPersistFileObject top(nullptr, &window);
    top.RefNoLookup = refNos;
    top.ClassLookup = classes;
    TKelPersistFileObject middle(nullptr, &top);
    TKelPersistFileObject bottom(nullptr, &middle);
    bottom.InheritRefNoLookup();
    ASSERT_TRUE(bottom.RefNoLookup) << "the reference numbering comes down the whole chain";
    EXPECT_TRUE(middle.RefNoLookup) << "and is filled in on the way";
    EXPECT_EQ(7, bottom.RefNoLookup(&bottom));
    bottom.InheritClassLookup();
    EXPECT_FALSE(bottom.ClassLookup) << "only the direct owner is asked for the class table";
    middle.InheritClassLookup();
    EXPECT_TRUE(middle.ClassLookup);

    TKelPersistFileObject underWindow(nullptr, &window);
    underWindow.InheritRefNoLookup();
    underWindow.InheritClassLookup();
    EXPECT_FALSE(underWindow.RefNoLookup);
    EXPECT_FALSE(underWindow.ClassLookup);

    // A lookup already set is kept.
    const TKelPersistFileObject::TRefNoLookup own = [](TKelPersistFileObject*) { return 3; };
    TKelPersistFileObject keeps(nullptr, &top);
    keeps.RefNoLookup = own;
    keeps.InheritRefNoLookup();
    EXPECT_EQ(3, keeps.RefNoLookup(&keeps));
}

} // namespace
