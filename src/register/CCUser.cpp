#include "register/CCUser.h"

#include "persist/AnsiText.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace {

std::string_view Cut(std::string_view text, std::size_t capacity)
{
    return text.substr(0, std::min(text.size(), capacity));
}

void WriteName(TStream& stream, const std::string& name)
{
    // The whole buffer is written, zero-filled past the name, so nothing of an
    // earlier, longer name can reach the file.
    std::array<std::uint8_t, 1 + TCCUser::kNameCapacity> bytes {};
    const std::size_t length = std::min<std::size_t>(name.size(), TCCUser::kNameCapacity);
    bytes[0] = static_cast<std::uint8_t>(length);
    std::copy_n(name.data(), length, bytes.begin() + 1);
    stream.WriteExact(bytes.data(), bytes.size(), "a participant's name");
}

std::string ReadName(TStream& stream, std::string_view what)
{
    std::array<char, 1 + TCCUser::kNameCapacity> bytes {};
    stream.ReadExact(bytes.data(), bytes.size(), what);
    // A length byte above the capacity only comes from a damaged file: keep what fits.
    const std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(bytes[0]), TCCUser::kNameCapacity);
    return std::string(bytes.data() + 1, length);
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
    WriteAnsiString(stream, Taker != nullptr ? Taker->FullName() : std::string());
}

void TCCUser::ReadFromStream(TStream& stream)
{
    TKelFileObjectOnRawStrm::ReadFromStream(stream);
    FirstName = ReadName(stream, "a participant's first name");
    LastName = ReadName(stream, "a participant's last name");
    GroupNo = stream.ReadI32("a participant's group number");
    TakerNameOnFile = ReadAnsiString(stream);
    Taker = nullptr;
    Giver = nullptr;
}

void RegisterCCUserClass()
{
    RegisterPersistentClasses({ &TCCUser::ClassInfo() });
}

TCCUser* UserAt(const TStringList& participants, int index)
{
    return dynamic_cast<TCCUser*>(participants.Objects(index));
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
    // One hash index instead of a scan per participant; the first entry of a text wins,
    // as a lookup in the list would find it.
    std::unordered_map<std::string_view, int, AnsiCaseInsensitiveHash, AnsiCaseInsensitiveEqual> index;
    index.reserve(static_cast<std::size_t>(participants.Count()));
    for (int i = 0; i < participants.Count(); ++i)
        index.emplace(participants.Strings(i), i);

    for (int i = 0; i < participants.Count(); ++i) {
        TCCUser* user = UserAt(participants, i);
        if (user == nullptr)
            continue;
        if (!user->TakerNameOnFile.empty()) {
            const auto it = index.find(user->TakerNameOnFile);
            if (it != index.end())
                user->SetTaker(UserAt(participants, it->second));
        }
        user->TakerNameOnFile.clear();
    }
}
