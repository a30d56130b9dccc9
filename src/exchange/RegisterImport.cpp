#include "exchange/RegisterImport.h"

#include "exchange/Csv.h"
#include "persist/AnsiText.h"
#include "persist/KelFileFormat.h"
#include "platform/Windows1252.h"
#include "register/CCUser.h"
#include "register/NameRules.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

constexpr const char* kNoGroupColumn = "no group column (\"group\", \"household\" or \"department\")";
constexpr const char* kNoNameColumn = "no name column (\"first\", \"first name\", \"last\" or \"last name\")";
constexpr const char* kNoFirstColumn = "no first-name column (\"first\" or \"first name\")";
constexpr const char* kNoLastColumn = "no last-name column (\"last\" or \"last name\")";

/// Where the header puts the three things a participant needs.
struct TColumns {
    std::size_t first = kNoColumn;
    std::size_t last = kNoColumn;
    std::size_t group = kNoColumn;
    std::size_t count = 0;
};

/// Columns for the e-mail delivery of letters; an import has no use for them yet, and
/// they are no surprise in a participant list.
bool IsMailColumn(const std::string& name)
{
    return name == "email" || name == "e-mail" || name == "mail";
}

std::string Listed(const std::vector<std::string>& items)
{
    std::string list;
    for (const std::string& item : items)
        list += (list.empty() ? "" : ", ") + item;
    return list;
}

/// What the header lacks; nothing when it can serve. A header that lacks one name column
/// may simply not have it (the window, too, accepts empty names); if it also has a column
/// it does not know, that column is more likely the missing one misspelt.
std::optional<std::string> Missing(const TColumns& columns, bool unrecognised)
{
    std::vector<std::string> missing;
    if (columns.group == kNoColumn)
        missing.emplace_back(kNoGroupColumn);
    if (columns.first == kNoColumn && columns.last == kNoColumn)
        missing.emplace_back(kNoNameColumn);
    else if (columns.first == kNoColumn && unrecognised)
        missing.emplace_back(kNoFirstColumn);
    else if (columns.last == kNoColumn && unrecognised)
        missing.emplace_back(kNoLastColumn);
    if (missing.empty())
        return std::nullopt;
    std::string reason = missing.front();
    for (std::size_t k = 1; k < missing.size(); ++k)
        reason += " and " + missing[k];
    return reason;
}

/// The header's columns, or the reason it cannot serve; `unrecognised` gets the cells
/// that name no column this import knows.
std::optional<std::string> ReadHeader(
    const TCsvRecord& header, TColumns& columns, std::vector<std::string>& unrecognised)
{
    const std::vector<std::string> names = HeaderNames(header);
    columns.count = names.size();
    // Blank cells after the last heading are a spreadsheet's empty columns; a blank one
    // between headings is a column nobody named.
    std::size_t named = names.size();
    while (named > 0 && names[named - 1].empty())
        --named;
    for (std::size_t c = 0; c < named; ++c) {
        const std::string& name = names[c];
        std::size_t* role = name == "first" || name == "first name"          ? &columns.first
            : name == "last" || name == "last name"                          ? &columns.last
            : name == "group" || name == "household" || name == "department" ? &columns.group
                                                                             : nullptr;
        if (role == nullptr) {
            if (!IsMailColumn(name))
                unrecognised.push_back(
                    name.empty() ? "column " + std::to_string(c + 1) + " (no heading)" : QuotedCell(header.fields[c]));
            continue;
        }
        if (*role != kNoColumn)
            return "two columns say the same thing: " + QuotedCell(header.fields[*role]) + " and "
                + QuotedCell(header.fields[c]);
        *role = c;
    }
    std::optional<std::string> missing = Missing(columns, !unrecognised.empty());
    if (missing && !unrecognised.empty())
        *missing += "; not recognised: " + Listed(unrecognised);
    return missing;
}

/// `cell` without the characters CleanName trims from its ends.
std::string_view Trimmed(std::string_view cell)
{
    const auto trimmed = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    const auto first = std::find_if_not(cell.begin(), cell.end(), trimmed);
    const auto last = std::find_if_not(cell.rbegin(), cell.rend(), trimmed).base();
    return first < last ? std::string_view(&*first, static_cast<std::size_t>(last - first)) : std::string_view();
}

/// A cell in the code page of the register; the reason when it does not fit. The window's
/// single-line fields let no control character in, so a name here may not have one either.
std::optional<std::string> ToRegisterText(const std::string& cell, const char* what, std::string& out)
{
    if (HasControlCharacter(Trimmed(cell)))
        return std::string("a line break, tab or other control character in the ") + what;
    try {
        out = CellToWindows1252(cell);
        return std::nullopt;
    } catch (const platform::ECodePageError& e) {
        return std::string(what) + " " + QuotedCell(cell) + ": " + e.what();
    }
}

/// Builds the register row by row, with the window's checks and a hash lookup each.
class TImport {
public:
    explicit TImport(TImportedRegister& result)
        : result_(result)
    {
    }

    void Row(const TCsvRecord& record, const TColumns& columns)
    {
        if (std::optional<std::string> reason = Add(record, columns))
            result_.problems.Add(record.line, std::move(*reason));
    }

private:
    std::optional<std::string> Add(const TCsvRecord& record, const TColumns& columns);
    /// The group a cell names (`made` when new); -1 when its cleaned name is another cell's group.
    std::int32_t GroupNumber(const std::string& cell, const std::string& name, bool& made);
    /// Keeps `cell` in the cuts when what the register keeps of `text` (its Windows-1252
    /// form) is shorter than the text.
    void NoteCut(
        std::int64_t line, const char* what, const std::string& cell, const std::string& text, const std::string& kept);

    TImportedRegister& result_;
    std::unordered_set<std::string, AnsiCaseInsensitiveHash, AnsiCaseInsensitiveEqual> keys_;
    std::unordered_map<std::string, std::int32_t> cells_;
    std::unordered_set<std::string, AnsiCaseInsensitiveHash, AnsiCaseInsensitiveEqual> names_;
};

std::optional<std::string> TImport::Add(const TCsvRecord& record, const TColumns& columns)
{
    if (record.fieldCount > columns.count)
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
        return CellFromWindows1252(ParticipantExistsMessage(names.Key()));
    bool madeGroup = false;
    const std::int32_t groupNo = GroupNumber(group, groupName, madeGroup);
    if (groupNo < 0)
        return CellFromWindows1252(GroupExistsMessage(groupName));
    keys_.insert(names.Key());
    auto* user = new TCCUser(result_.participants.get(), nullptr);
    result_.participants->Add(names.Key(), user);
    user->SetNames(names.first, names.last);
    user->GroupNo = groupNo;
    NoteCut(record.line, "first name", cell(columns.first), first, names.first);
    NoteCut(record.line, "last name", cell(columns.last), last, names.last);
    if (madeGroup)
        NoteCut(record.line, "group", cell(columns.group), group, groupName);
    return std::nullopt;
}

std::int32_t TImport::GroupNumber(const std::string& cell, const std::string& name, bool& made)
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
    made = true;
    return number;
}

void TImport::NoteCut(
    std::int64_t line, const char* what, const std::string& cell, const std::string& text, const std::string& kept)
{
    if (kept.size() < Trimmed(text).size())
        result_.cuts.push_back({ line, what, std::string(Trimmed(cell)), CellFromWindows1252(kept) });
}

/// The rows after the header, until the end or the first participant past a document's
/// capacity: a file of a million lines is not held to be refused at the end.
void ImportRows(TCsvReader& reader, const TColumns& columns, TImportedRegister& result)
{
    TImport import(result);
    TCsvRecord record;
    while (reader.Next(record, columns.count)) {
        import.Row(record, columns);
        if (result.participants->Count() > kelformat::kMaxListEntries) {
            result.problems.Add(record.line,
                "more than " + std::to_string(kelformat::kMaxListEntries)
                    + " participants, the most a document holds; the rest of the file is not read");
            return;
        }
    }
    if (!reader.Error().empty())
        result.problems.Add(reader.ErrorLine(), reader.Error());
}

} // namespace

TImportedRegister ImportRegister(std::string_view csv)
{
    TImportedRegister result;
    result.groupNames = std::make_unique<TStringList>();
    result.participants = std::make_unique<TStringList>(true);
    const std::optional<std::string_view> text = Utf8CsvText(
        csv, [&result](std::int64_t line, std::string reason) { result.problems.Add(line, std::move(reason)); });
    if (!text)
        return result;
    TCsvReader reader(*text);
    TCsvRecord header;
    if (!reader.NextHeader(header)) {
        if (reader.Error().empty())
            result.problems.Add(1, "no header row");
        else
            result.problems.Add(reader.ErrorLine(), reader.Error());
        return result;
    }
    TColumns columns;
    if (std::optional<std::string> reason = ReadHeader(header, columns, result.ignoredColumns)) {
        result.problems.Add(header.line, std::move(*reason));
        return result;
    }
    result.headerLine = header.line;
    ImportRows(reader, columns, result);
    if (result.problems.Empty() && result.participants->Empty())
        result.problems.Add(header.line, "no participants after the header");
    return result;
}

std::string ImportNotes(std::string_view fileName, const TImportedRegister& imported)
{
    const std::string file(fileName);
    std::string notes;
    if (!imported.ignoredColumns.empty())
        notes += file + ":" + std::to_string(imported.headerLine) + ": "
            + (imported.ignoredColumns.size() == 1 ? "ignored column " : "ignored columns ")
            + Listed(imported.ignoredColumns) + "\n";
    for (const TCutCell& cut : imported.cuts)
        notes += file + ":" + std::to_string(cut.line) + ": " + cut.what + " " + QuotedCell(cut.cell) + " cut to "
            + QuotedCell(cut.kept) + "\n";
    return notes;
}

std::string ImportSummary(const TImportedRegister& imported)
{
    std::string summary = std::to_string(imported.participants->Count()) + " participants in "
        + std::to_string(imported.groupNames->Count()) + " groups";
    if (!imported.cuts.empty())
        summary
            += ", " + std::to_string(imported.cuts.size()) + (imported.cuts.size() == 1 ? " name" : " names") + " cut";
    return summary + "\n";
}
