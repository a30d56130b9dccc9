// Feeds arbitrary bytes to the participant-list import and to the reader of pairs. Every
// input must be imported or refused; a register that is imported must come back the same
// after being saved as a document, read back, exported as CSV and imported again, and
// every pair named by the letters' names must be found again.

#include "FuzzSupport.h"
#include "exchange/Csv.h"
#include "exchange/DrawExclusions.h"
#include "exchange/RegisterExport.h"
#include "exchange/RegisterImport.h"
#include "persist/KelPermObjFileStm.h"
#include "platform/DebugOutput.h"
#include "register/CCUser.h"
#include "register/KksDocument.h"
#include "register/PersistenceStartup.h"

#include <cstdint>
#include <cstdlib>

namespace {

using fuzzing::Members;
using fuzzing::Require;

/// Each participant gives to the next, named as the letters print them.
void CheckPairsByPrintedName(const TStringList& participants)
{
    std::string csv = CsvLine({ "giver", "taker" });
    const int count = participants.Count();
    for (int i = 0; i < count; ++i)
        csv += CsvLine({ CellFromWindows1252(UserAt(participants, i)->SpacedName()),
            CellFromWindows1252(UserAt(participants, (i + 1) % count)->SpacedName()) });
    std::vector<TLineProblem> problems;
    const TExcludedPairs pairs = ReadExcludedPairs(csv, participants, problems);
    Require(problems.empty());
    Require(pairs.size() == static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        Require(pairs[static_cast<std::size_t>(i)]
            == std::make_pair<const TCCUser*, const TCCUser*>(
                UserAt(participants, i), UserAt(participants, (i + 1) % count)));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    platform::SetDebugSink([](const std::string&) {});
    StartPersistenceWithVersion();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view csv(reinterpret_cast<const char*>(data), size);
    const TImportedRegister imported = ImportRegister(csv);
    Require(imported.problems.Listed().size() <= TLineProblems::kListed);
    Require(!RefusedLinesReport("f.csv", imported.problems).empty() == !imported.problems.Empty());
    std::vector<TLineProblem> problems;
    ReadExcludedPairs(csv, *imported.participants, problems);
    if (!imported.problems.Empty())
        return 0;
    Require(!imported.participants->Empty());
    ImportNotes("f.csv", imported);
    ImportSummary(imported);

    TMemoryStream file;
    WriteKksDocument(file, "fuzz", *imported.groupNames, *imported.participants, { "Dear [M]" });
    file.Seek(0);
    const TKksDocument document = ReadKksDocument(file, "fuzz", nullptr);
    Require(!document.Incomplete());
    Require(document.GroupNames->Texts() == imported.groupNames->Texts());
    Require(Members(*document.Participants) == Members(*imported.participants));

    const TImportedRegister again = ImportRegister(ExportRegister(document));
    Require(again.problems.Empty());
    Require(again.cuts.empty());
    Require(again.groupNames->Texts() == document.GroupNames->Texts());
    Require(again.participants->Texts() == document.Participants->Texts());
    Require(Members(*again.participants) == Members(*document.Participants));
    CheckPairsByPrintedName(*document.Participants);
    return 0;
}
