#include "register/CCUser.h"

#include "persist/AnsiText.h"
#include "persist/BlockPool.h"
#include "persist/KelFileFormat.h"
#include "persist/StringListIndex.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

std::string_view Cut(std::string_view text, std::size_t capacity)
{
    return text.substr(0, std::min(text.size(), capacity));
}

void WriteName(TStream& stream, const std::string& name)
{
    // The whole buffer is written, zero-filled past the name, so nothing of an
    // earlier, longer name can reach the file.
    const std::size_t length = std::min<std::size_t>(name.size(), TCCUser::kNameCapacity);
    stream.WriteFilled<1 + TCCUser::kNameCapacity>(
        [&](std::uint8_t* bytes) {
            std::memset(bytes, 0, 1 + TCCUser::kNameCapacity);
            bytes[0] = static_cast<std::uint8_t>(length);
            std::memcpy(bytes + 1, name.data(), length);
        },
        "a participant's name");
}

void ReadName(TStream& stream, std::string& name, std::string_view what)
{
    std::array<char, 1 + TCCUser::kNameCapacity> scratch;
    const char* bytes = stream.ReadInPlace(scratch.size(), scratch.data(), what);
    // A length byte above the capacity only comes from a damaged file: keep what fits.
    const std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(bytes[0]), TCCUser::kNameCapacity);
    // Made whole and moved in: assign() goes through the general, out-of-line replace,
    // while a name that fits the string's own buffer is built in place.
    name = std::string(bytes + 1, bytes + 1 + length);
}

// Under AddressSanitizer records come from the heap, where it sees every use after a free
// (g++ says so by a macro, clang++ by a feature).
#if defined(__SANITIZE_ADDRESS__)
#define TINSELWICK_RECORDS_FROM_HEAP
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TINSELWICK_RECORDS_FROM_HEAP
#endif
#endif
#if defined(TINSELWICK_RECORDS_FROM_HEAP)
constexpr bool kPooled = false;
#else
constexpr bool kPooled = true;
#endif

constinit thread_local TBlockPool recordBlocks(sizeof(TCCUser));

} // namespace

void* TCCUser::operator new(std::size_t size)
{
    if (kPooled && size == sizeof(TCCUser))
        return recordBlocks.Take();
    return ::operator new(size);
}

void TCCUser::operator delete(void* block, std::size_t size) noexcept
{
    if (kPooled && size == sizeof(TCCUser))
        recordBlocks.Give(block);
    else
        ::operator delete(block);
}

TCCUser::TCCUser(TStringList* ownerList, TObject* owner)
    : TKelFileObjectOnRawStrm(ownerList, owner)
{
}

TCCUser::~TCCUser()
{
    ReleaseFromLiveObjects();
}

const TPersistentClass& TCCUser::ClassInfo()
{
    static const TPersistentClass info("TCCUser", &TKelFileObjectOnRawStrm::ClassInfo(),
        [](TStringList* ownerList, TObject* owner) -> std::unique_ptr<TKelPersistFileObject> {
            return std::make_unique<TCCUser>(ownerList, owner);
        });
    return info;
}

const TPersistentClass& TCCUser::ClassType() const
{
    return ClassInfo();
}

void TCCUser::SetNames(std::string_view first, std::string_view last)
{
    FirstName = Cut(first, kNameCapacity);
    LastName = Cut(last, kNameCapacity);
}

std::string TCCUser::FullName() const
{
    return FirstName + LastName;
}

std::string TCCUser::SpacedName() const
{
    return FirstName + " " + LastName;
}

std::string TCCUser::DisplayName() const
{
    if (GroupNo == -1)
        return SpacedName();
    return std::to_string(static_cast<std::int64_t>(GroupNo) + 1) + " " + SpacedName();
}

void TCCUser::SetTaker(TCCUser* taker)
{
    Taker = taker;
    if (taker != nullptr)
        taker->Giver = this;
}

void TCCUser::WriteToStream(TStream& stream)
{
    TKelFileObjectOnRawStrm::WriteToStream(stream);
    WriteName(stream, FirstName);
    WriteName(stream, LastName);
    stream.WriteI32(GroupNo);
    // The taker's key, FullName, written from its two halves without joining them first.
    if (Taker != nullptr)
        WriteAnsiString(stream, Taker->FirstName, Taker->LastName);
    else
        WriteAnsiString(stream, {});
}

void TCCUser::ReadFromStream(TStream& stream)
{
    TKelFileObjectOnRawStrm::ReadFromStream(stream);
    ReadName(stream, FirstName, "a participant's first name");
    ReadName(stream, LastName, "a participant's last name");
    GroupNo = stream.ReadI32("a participant's group number");
    // The taker's key is an entry text of the participants list, at most 255 bytes.
    TakerNameOnFile = ReadAnsiString(stream, static_cast<std::int64_t>(kelformat::kMaxEntryText), "a taker's key");
    Taker = nullptr;
    Giver = nullptr;
}

void RegisterCCUserClass()
{
    RegisterPersistentClasses({ &TCCUser::ClassInfo() });
}

TCCUser* UserOfOtherType(TObject* object)
{
    return dynamic_cast<TCCUser*>(object);
}

std::vector<TCCUser*> ParticipantsInDisplayOrder(const TStringList& participants)
{
    struct Line {
        std::string text;
        TCCUser* user;
    };
    std::vector<Line> lines;
    lines.reserve(static_cast<std::size_t>(participants.Count()));
    for (int i = 0; i < participants.Count(); ++i)
        if (TCCUser* user = UserAt(participants, i))
            lines.push_back({ user->DisplayName(), user });
    std::stable_sort(
        lines.begin(), lines.end(), [](const Line& a, const Line& b) { return AnsiCompareText(a.text, b.text) < 0; });
    std::vector<TCCUser*> ordered;
    ordered.reserve(lines.size());
    for (const Line& line : lines)
        ordered.push_back(line.user);
    return ordered;
}

void ClearAssignments(TStringList* participants)
{
    if (participants == nullptr)
        return;
    for (int i = 0; i < participants->Count(); ++i) {
        if (TCCUser* user = UserAt(*participants, i)) {
            user->Giver = nullptr;
            user->SetTaker(nullptr);
        }
    }
}

namespace {

/// The record of entry `index` with a taker's name still to link, or nullptr.
TCCUser* AskingAt(const TStringList& participants, int index)
{
    TCCUser* user = UserAt(participants, index);
    return user != nullptr && !user->TakerNameOnFile.empty() ? user : nullptr;
}

} // namespace

int LinkTakersAfterLoad(TStringList& participants)
{
    // One hash index of the keys instead of a scan per participant. A register of tens of
    // thousands fits no cache, so the records are worked through as a pipeline: the record
    // 2k entries ahead is fetched, the name of the one k ahead is hashed and its slot in the
    // index fetched, and the record at hand is linked (each record visited once).
    constexpr int kAhead = 8;
    const TStringListIndex keys(participants);
    const int count = participants.Count();
    std::uint32_t hashes[kAhead] = {};
    const auto hashAhead = [&](int i) {
        if (const TCCUser* user = i < count ? AskingAt(participants, i) : nullptr) {
            hashes[i % kAhead] = TStringListIndex::Hash(user->TakerNameOnFile);
            keys.Prefetch(hashes[i % kAhead]);
        }
    };
    for (int i = 0; i < kAhead; ++i)
        hashAhead(i);
    int withoutRecord = -1;
    for (int i = 0; i < count; ++i) {
        if (i + 2 * kAhead < count)
            if (const TObject* later = participants.Objects(i + 2 * kAhead))
                for (std::size_t line = 0; line < sizeof(TCCUser); line += 64)
                    __builtin_prefetch(reinterpret_cast<const char*>(later) + line, 1);
        TCCUser* user = UserAt(participants, i);
        if (user == nullptr && withoutRecord < 0)
            withoutRecord = i;
        const std::uint32_t hash = hashes[i % kAhead];
        hashAhead(i + kAhead);
        if (user == nullptr || user->TakerNameOnFile.empty())
            continue;
        if (const int taker = keys.IndexOf(user->TakerNameOnFile, hash); taker >= 0)
            user->SetTaker(UserAt(participants, taker));
        user->TakerNameOnFile.clear();
    }
    return withoutRecord;
}
