#include "exchange/DrawExclusions.h"

#include "exchange/Csv.h"
#include "persist/AnsiText.h"
#include "platform/Windows1252.h"
#include "register/CCUser.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace {

using TByKey = std::unordered_map<std::string, const TCCUser*, AnsiCaseInsensitiveHash, AnsiCaseInsensitiveEqual>;

/// The records of a participants list by their keys (entry texts); the first of equals wins.
TByKey RecordsByKey(const TStringList& participants)
{
    TByKey byKey;
    byKey.reserve(static_cast<std::size_t>(participants.Count()));
    for (int i = 0; i < participants.Count(); ++i)
        if (const TCCUser* user = UserAt(participants, i))
            byKey.emplace(participants.Strings(i), user);
    return byKey;
}

using TByName = std::unordered_map<std::string, std::vector<const TCCUser*>>;

TByName RecordsByName(const TStringList& participants)
{
    TByName byName;
    byName.reserve(static_cast<std::size_t>(participants.Count()));
    for (int i = 0; i < participants.Count(); ++i)
        if (const TCCUser* user = UserAt(participants, i))
            byName[CellKey(user->SpacedName())].push_back(user);
    return byName;
}

/// The participants a cell names; empty when nobody is called so.
const std::vector<const TCCUser*>* Named(const TByName& byName, const std::string& cell)
{
    std::string name;
    try {
        name = CellToWindows1252(cell);
    } catch (const platform::ECodePageError&) {
        return nullptr; // no participant can have a name the register cannot hold
    }
    const auto found = byName.find(CellKey(name));
    return found == byName.end() ? nullptr : &found->second;
}

} // namespace

TExcludedPairs LastYearsPairs(const TStringList& lastYear, const TStringList& participants)
{
    const TByKey now = RecordsByKey(participants);
    std::unordered_map<const TCCUser*, std::string> keyThen;
    keyThen.reserve(static_cast<std::size_t>(lastYear.Count()));
    for (int i = 0; i < lastYear.Count(); ++i)
        if (const TCCUser* user = UserAt(lastYear, i))
            keyThen.emplace(user, lastYear.Strings(i));
    TExcludedPairs pairs;
    for (const auto& [giver, key] : keyThen) {
        const auto taker = giver->Taker == nullptr ? keyThen.end() : keyThen.find(giver->Taker);
        if (taker == keyThen.end())
            continue;
        const auto g = now.find(key);
        const auto t = now.find(taker->second);
        if (g != now.end() && t != now.end())
            pairs.emplace_back(g->second, t->second);
    }
    return pairs;
}

TExcludedPairs ReadExcludedPairs(
    std::string_view csv, const TStringList& participants, std::vector<TLineProblem>& problems)
{
    TExcludedPairs pairs;
    const std::optional<std::string_view> text = Utf8CsvText(csv, [&problems](std::int64_t line, std::string reason) {
        problems.push_back({ line, std::move(reason) });
    });
    if (!text)
        return pairs;
    TCsvReader reader(*text);
    TCsvRecord headerRecord;
    if (!reader.NextHeader(headerRecord) && !reader.Error().empty()) {
        problems.push_back({ reader.ErrorLine(), reader.Error() });
        return pairs;
    }
    const std::vector<std::string> header = HeaderNames(headerRecord);
    const auto giverColumn
        = static_cast<std::size_t>(std::find(header.begin(), header.end(), "giver") - header.begin());
    const auto takerColumn
        = static_cast<std::size_t>(std::find(header.begin(), header.end(), "taker") - header.begin());
    if (giverColumn == header.size() || takerColumn == header.size()) {
        problems.push_back(
            { header.empty() ? 1 : headerRecord.line, "the header must name the columns \"giver\" and \"taker\"" });
        return pairs;
    }
    const TByName byName = RecordsByName(participants);
    TCsvRecord record;
    while (reader.Next(record, std::max(giverColumn, takerColumn) + 1)) {
        std::string unknown;
        const std::vector<const TCCUser*>* sides[2] = {};
        for (const std::size_t column : { giverColumn, takerColumn }) {
            const std::string cell = column < record.fields.size() ? record.fields[column] : std::string();
            const auto* named = Named(byName, cell);
            if (named == nullptr)
                unknown += (unknown.empty() ? "nobody is called " : " nor ") + QuotedCell(cell);
            sides[column == giverColumn ? 0 : 1] = named;
        }
        if (!unknown.empty()) {
            problems.push_back({ record.line, unknown });
            continue;
        }
        for (const TCCUser* giver : *sides[0])
            for (const TCCUser* taker : *sides[1])
                pairs.emplace_back(giver, taker);
    }
    if (!reader.Error().empty())
        problems.push_back({ reader.ErrorLine(), reader.Error() });
    return pairs;
}
