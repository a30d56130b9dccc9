#include "mail/AddressList.h"

#include "exchange/Csv.h"
#include "mail/MailAddress.h"
#include "persist/AnsiText.h"
#include "platform/Windows1252.h"
#include "register/CCUser.h"
#include "register/NameRules.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace mail {

namespace {

    constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

    struct TColumns {
        std::size_t first = kNoColumn;
        std::size_t last = kNoColumn;
        std::size_t email = kNoColumn;
        std::size_t count = 0; ///< the fields a row's reading keeps: up to the last of these
    };

    /// The header's columns, or the reason it cannot serve.
    std::optional<std::string> ReadHeader(const TCsvRecord& header, TColumns& columns)
    {
        const std::vector<std::string> names = HeaderNames(header);
        for (std::size_t c = 0; c < names.size(); ++c) {
            const std::string& name = names[c];
            std::size_t* role = name == "first" || name == "first name" ? &columns.first
                : name == "last" || name == "last name"                 ? &columns.last
                : name == "email" || name == "e-mail" || name == "mail" ? &columns.email
                                                                        : nullptr;
            if (role == nullptr)
                continue;
            if (*role != kNoColumn)
                return "two columns say the same thing: \"" + header.fields[*role] + "\" and \"" + header.fields[c]
                    + "\"";
            *role = c;
        }
        for (const std::size_t c : { columns.first, columns.last, columns.email })
            columns.count = c == kNoColumn ? columns.count : std::max(columns.count, c + 1);
        if (columns.email == kNoColumn)
            return std::string("no e-mail column (\"email\", \"e-mail\" or \"mail\")");
        if (columns.first == kNoColumn && columns.last == kNoColumn)
            return std::string("no name column (\"first\", \"first name\", \"last\" or \"last name\")");
        return std::nullopt;
    }

    std::string Trimmed(const std::string& cell)
    {
        const auto first = cell.find_first_not_of(" \t");
        return first == std::string::npos ? std::string()
                                          : cell.substr(first, cell.find_last_not_of(" \t") - first + 1);
    }

    /// A name as the file has it, for a message; in quotes, its control characters shown,
    /// when it holds any.
    std::string Shown(const std::string& text)
    {
        return HasControlCharacter(text) ? QuotedCell(text) : text;
    }

    using TKeyIndex = std::unordered_map<std::string, std::size_t, AnsiCaseInsensitiveHash, AnsiCaseInsensitiveEqual>;

    /// Works through the rows, one hash lookup each for the giver and the address.
    class TMatching {
    public:
        TMatching(const std::vector<const TCCUser*>& givers, bool allowShared, TAddressMatch& result)
            : givers_(givers)
            , allowShared_(allowShared)
            , result_(result)
            , lines_(givers.size(), 0)
        {
            for (std::size_t g = 0; g < givers.size(); ++g)
                keys_.emplace(givers[g]->FullName(), g);
        }

        void Row(const TCsvRecord& record, const TColumns& columns);
        void Finish();

    private:
        std::optional<std::size_t> FindGiver(const TCsvRecord& record, const TColumns& columns);

        const std::vector<const TCCUser*>& givers_;
        bool allowShared_;
        TAddressMatch& result_;
        std::vector<std::int64_t> lines_; // the line each giver was found on
        TKeyIndex keys_;
        std::unordered_map<std::string, std::size_t> mailboxes_; // an address's key -> its first giver
    };

    std::optional<std::size_t> TMatching::FindGiver(const TCsvRecord& record, const TColumns& columns)
    {
        const auto cell
            = [&record](std::size_t c) { return c < record.fields.size() ? record.fields[c] : std::string(); };
        const std::string typed = Shown(Trimmed(Trimmed(cell(columns.first)) + " " + Trimmed(cell(columns.last))));
        TParticipantNames names;
        try {
            names
                = CleanParticipantNames(CellToWindows1252(cell(columns.first)), CellToWindows1252(cell(columns.last)));
        } catch (const platform::ECodePageError& e) {
            result_.warnings.Add(record.line, typed + " matches no participant: " + e.what());
            return std::nullopt;
        }
        const auto found = names.HasKey() ? keys_.find(names.Key()) : keys_.end();
        if (found == keys_.end()) {
            result_.warnings.Add(
                record.line, typed.empty() ? "a line without a name" : typed + " matches no participant");
            return std::nullopt;
        }
        return found->second;
    }

    void TMatching::Row(const TCsvRecord& record, const TColumns& columns)
    {
        const std::optional<std::size_t> giver = FindGiver(record, columns);
        if (!giver)
            return;
        const std::string name = GiverName(*givers_[*giver]);
        if (lines_[*giver] != 0) {
            result_.errors.Add(record.line,
                "a second line for " + name + " (the first is line " + std::to_string(lines_[*giver]) + ")");
            return;
        }
        lines_[*giver] = record.line;
        const std::string address
            = Trimmed(columns.email < record.fields.size() ? record.fields[columns.email] : std::string());
        if (address.empty()) {
            result_.errors.Add(record.line, "no e-mail address for " + name);
            return;
        }
        if (!IsMailAddress(address)) {
            result_.errors.Add(record.line, QuotedCell(address) + " is not an e-mail address (" + name + ")");
            return;
        }
        result_.addresses[*giver] = address;
        const auto [first, added] = mailboxes_.emplace(MailboxKey(address), *giver);
        if (added)
            return;
        const std::string shared = GiverName(*givers_[first->second]) + " and " + name + " share the address " + address
            + " (lines " + std::to_string(lines_[first->second]) + " and " + std::to_string(record.line) + ")";
        if (allowShared_)
            result_.warnings.Add(record.line, shared + ": one inbox receives both letters");
        else
            result_.errors.Add(record.line, shared + ": one inbox would show both letters");
    }

    void TMatching::Finish()
    {
        for (std::size_t g = 0; g < givers_.size(); ++g)
            if (lines_[g] == 0)
                result_.errors.Add(0, "no line for " + GiverName(*givers_[g]));
    }

} // namespace

TAddressMatch MatchAddresses(std::string_view csv, const std::vector<const TCCUser*>& givers, bool allowShared)
{
    TAddressMatch result;
    result.addresses.assign(givers.size(), std::string());
    const std::optional<std::string_view> text
        = Utf8CsvText(csv, [&result](std::int64_t line, std::string reason) { result.errors.Add(line, reason); });
    if (!text)
        return result;
    TCsvReader reader(*text);
    TCsvRecord header;
    TColumns columns;
    if (!reader.NextHeader(header)) {
        result.errors.Add(
            reader.Error().empty() ? 1 : reader.ErrorLine(), reader.Error().empty() ? "no header row" : reader.Error());
        return result;
    }
    if (const std::optional<std::string> reason = ReadHeader(header, columns)) {
        result.errors.Add(header.line, *reason);
        return result;
    }
    TMatching matching(givers, allowShared, result);
    TCsvRecord record;
    while (reader.Next(record, columns.count))
        matching.Row(record, columns);
    if (reader.Error().empty())
        matching.Finish();
    else
        result.errors.Add(reader.ErrorLine(), reader.Error());
    return result;
}

std::vector<std::string> AddressProblemLines(
    std::string_view listName, const TLineProblems& errors, const TLineProblems& warnings)
{
    std::vector<std::string> lines;
    const auto add = [&](const TLineProblems& problems, std::string_view kind) {
        const std::string list(listName);
        for (const TLineProblem& problem : problems.Listed())
            lines.push_back(list + (problem.line > 0 ? ":" + std::to_string(problem.line) : std::string()) + ": "
                + std::string(kind) + problem.reason);
        if (problems.Unlisted() > 0)
            lines.push_back(list + ": " + std::string(kind) + std::to_string(problems.Unlisted()) + " more");
    };
    add(warnings, "warning: ");
    add(errors, "");
    return lines;
}

std::string GiverName(const TCCUser& giver)
{
    std::string name = giver.SpacedName();
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return platform::Windows1252ToUtf8(name);
}

} // namespace mail
