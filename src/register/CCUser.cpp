#include "register/CCUser.h"

#include "persist/AnsiText.h"
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
    name.assign(bytes + 1, length);
}

} // namespace

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
    TakerNameOnFile = ReadAnsiString(stream);
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

void LinkTakersAfterLoad(TStringList& participants)
{
    // One hash index instead of a scan per participant, asked for all names at once.
    std::vector<TCCUser*> users(static_cast<std::size_t>(participants.Count()));
    std::vector<TCCUser*> askers;
    std::vector<std::string_view> names;
    for (int i = 0; i < participants.Count(); ++i) {
        TCCUser* user = UserAt(participants, i);
        users[static_cast<std::size_t>(i)] = user;
        if (user != nullptr && !user->TakerNameOnFile.empty()) {
            askers.push_back(user);
            names.push_back(user->TakerNameOnFile);
        }
    }
    const std::vector<int> takers = TStringListIndex(participants).IndexOfEach(names);
    for (std::size_t k = 0; k < askers.size(); ++k) {
        if (takers[k] >= 0)
            askers[k]->SetTaker(users[static_cast<std::size_t>(takers[k])]);
        askers[k]->TakerNameOnFile.clear();
    }
}
