#include "exchange/RegisterExport.h"

#include "exchange/Csv.h"
#include "register/CCUser.h"
#include "register/NameRules.h"

namespace {

std::string GroupCell(const TStringList* groupNames, std::int32_t groupNo)
{
    if (groupNames == nullptr || groupNo < 0 || groupNo >= groupNames->Count())
        return {};
    const std::string& name = groupNames->Strings(groupNo);
    return IsGroupName(name) ? CellFromWindows1252(name) : std::string();
}

} // namespace

std::string ExportRegister(const TKksDocument& document)
{
    return ExportRegister(document.GroupNames.get(), document.Participants.get());
}

std::string ExportRegister(const TStringList* groupNames, const TStringList* list)
{
    std::string csv = CsvLine({ "group", "first", "last", "taker_first", "taker_last" });
    if (list == nullptr)
        return csv;
    const TStringList& participants = *list;
    for (int i = 0; i < participants.Count(); ++i) {
        const TCCUser* user = UserAt(participants, i);
        if (user == nullptr)
            continue;
        const TCCUser* taker = user->Taker;
        csv += CsvLine({ GroupCell(groupNames, user->GroupNo), CellFromWindows1252(user->FirstName),
            CellFromWindows1252(user->LastName),
            taker == nullptr ? std::string() : CellFromWindows1252(taker->FirstName),
            taker == nullptr ? std::string() : CellFromWindows1252(taker->LastName) });
    }
    return csv;
}
