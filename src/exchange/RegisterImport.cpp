#include "exchange/RegisterImport.h"

#include "exchange/Csv.h"
#include "persist/AnsiText.h"
#include "platform/Windows1252.h"
#include "register/CCUser.h"
#include "register/NameRules.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

/// Where the header puts the three things a participant needs.
struct TColumns {
    std::size_t first = kNoColumn;
    std::size_t last = kNoColumn;
    std::size_t group = kNoColumn;
    std::size_t count = 0;
};

/// The header's columns, or the reason it cannot serve.
std::optional<std::string> ReadHeader(const TCsvRecord& header, TColumns& columns)
{
    const std::vector<std::string> names = HeaderNames(header);
    columns.count = names.size();
    for (std::size_t c = 0; c < names.size(); ++c) {
        const std::string& name = names[c];
        std::size_t* role = name == "first" || name == "first name"          ? &columns.first
            : name == "last" || name == "last name"                          ? &columns.last
            : name == "group" || name == "household" || name == "department" ? &columns.group
                                                                             : nullptr;
        if (role == nullptr)
            continue;
        if (*role != kNoColumn)
            return "two columns say the same thing: \"" + header.fields[*role] + "\" and \"" + header.fields[c] + "\"";
        *role = c;
    }
    if (columns.group == kNoColumn)
        return std::string("no group column (\"group\", \"household\" or \"department\")");
    if (columns.first == kNoColumn && columns.last == kNoColumn)
        return std::string("no name column (\"first\", \"first name\", \"last\" or \"last name\")");
    return std::nullopt;
}

/// A cell in the code page of the register; the reason when it does not fit. The window's
/// single-line fields let no control character in, so a name here may not have one either.
std::optional<std::string> ToRegisterText(const std::string& cell, const char* what, std::string& out)
{
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    const auto trimmed = [](char c) { return static_cast<unsigned char>(c) <= 0x20; }; // as CleanName trims
    const auto first = std::find_if_not(cell.begin(), cell.end(), trimmed);
    const auto last = std::find_if_not(cell.rbegin(), cell.rend(), trimmed).base();
    if (first < last && std::any_of(first, last, control))
        return std::string("a line break, tab or other control character in the ") + what;
    try {
        out = CellToWindows1252(cell);
        return std::nullopt;
    } catch (const platform::ECodePageError& e) {
        return std::string(what) + " \"" + cell + "\": " + e.what();
    }
}

/// Builds the register row by row, with the window's checks and a hash lookup each.
class TImport {
public:
    explicit TImport(TImportedRegister& result)
        : result_(result)
    {
        result_.groupNames = std::make_unique<TStringList>();
        result_.participants = std::make_unique<TStringList>(true);
    }

    void Row(const TCsvRecord& record, const TColumns& columns)
    {
        if (const std::optional<std::string> reason = Add(record, columns))
            result_.problems.push_back({ record.line, *reason });
    }

private:
    std::optional<std::string> Add(const TCsvRecord& record, const TColumns& columns);
    /// The group a cell names, made when new; -1 when its cleaned name is another cell's group.
    std::int32_t GroupNumber(const std::string& cell, const std::string& name);

    TImportedRegister& result_;
    std::unordered_set<std::string, AnsiCaseInsensitiveHash, AnsiCaseInsensitiveEqual> keys_;
    std::unordered_map<std::string, std::int32_t> cells_;
    std::unordered_set<std::string, AnsiCaseInsensitiveHash, AnsiCaseInsensitiveEqual> names_;
};

std::optional<std::string> TImport::Add(const TCsvRecord& record, const TColumns& columns)
{
    if (record.fields.size() > columns.count)
        return "more fields than the header's " + std::to_string(columns.count) + " columns";
    auto cell = [&record](std::size_t c) { return c < record.fields.size() ? record.fields[c] : std::string(); };
    std::string first;
    std::string last;
    std::string group;
    if (auto reason = ToRegisterText(cell(columns.first), "first name", first))
        return reason;
    if (auto reason = ToRegisterText(cell(columns.last), "last name", last))
        return reason;
    if (auto reason = ToRegisterText(cell(columns.group), "group", group))
        return reason;
    const std::string groupName = CleanGroupName(group);
    if (!IsGroupName(groupName))
        return groupName.empty() ? std::string("no group") : "\"" + groupName + "\" cannot name a group";
    const TParticipantNames names = CleanParticipantNames(first, last);
    if (!names.HasKey())
        return std::string("no name");
    // The window's order: the key first, then the group.
    if (keys_.contains(names.Key()))
        return platform::Windows1252ToUtf8(ParticipantExistsMessage(names.Key()));
    const std::int32_t groupNo = GroupNumber(group, groupName);
    if (groupNo < 0)
        return platform::Windows1252ToUtf8(GroupExistsMessage(groupName));
    keys_.insert(names.Key());
    auto* user = new TCCUser(result_.participants.get(), nullptr);
    result_.participants->Add(names.Key(), user);
    user->SetNames(names.first, names.last);
    user->GroupNo = groupNo;
    return std::nullopt;
}

std::int32_t TImport::GroupNumber(const std::string& cell, const std::string& name)
{
    // The same cell (blanks and letter case aside) is the same group. Another cell whose
    // cleaned name a group has already is what the window refuses as a new group: "Dept 12"
    // and "Dept 13" would both become DEPT.
    if (const auto known = cells_.find(CellKey(cell)); known != cells_.end())
        return known->second;
    if (names_.contains(name))
        return -1;
    const auto number = static_cast<std::int32_t>(result_.groupNames->Add(name));
    cells_.emplace(CellKey(cell), number);
    names_.insert(name);
    return number;
}

} // namespace

TImportedRegister ImportRegister(std::string_view csv)
{
    TImportedRegister result;
    const TCsvText text = ReadCsv(csv);
    TColumns columns;
    if (text.records.empty() && text.error.empty())
        result.problems.push_back({ 1, "no header row" });
    else if (!text.records.empty())
        if (const std::optional<std::string> reason = ReadHeader(text.records.front(), columns))
            result.problems.push_back({ text.records.front().line, *reason });
    if (result.problems.empty()) {
        TImport import(result);
        for (std::size_t k = 1; k < text.records.size(); ++k)
            import.Row(text.records[k], columns);
    }
    if (!text.error.empty())
        result.problems.push_back({ text.errorLine, text.error });
    if (result.problems.empty() && result.participants->Empty())
        result.problems.push_back({ text.records.front().line, "no participants after the header" });
    return result;
}
