// Feeds arbitrary bytes to the document reader. Every input must be read or refused
// with an exception; a document that is read must survive being written and read
// again with the same texts.

#include "FuzzSupport.h"
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

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    platform::SetDebugSink([](const std::string&) {});
    StartPersistenceWithVersion();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TMemoryStream input(data, size);
    TKksDocument document;
    try {
        document = ReadKksDocument(input, "fuzz", nullptr);
    } catch (const std::exception&) {
        Require(LiveObjects() == nullptr || LiveObjects()->Count() == 0);
        return 0;
    }
    if (document.Incomplete())
        return 0;

    TMemoryStream copy;
    WriteKksDocument(copy, "copy", *document.GroupNames, *document.Participants, document.TemplateLines);
    copy.Seek(0);
    const TKksDocument again = ReadKksDocument(copy, "copy", nullptr);
    Require(!again.Incomplete());
    Require(again.GroupNames->Texts() == document.GroupNames->Texts());
    Require(again.Participants->Texts() == document.Participants->Texts());
    Require(Members(*again.Participants) == Members(*document.Participants));
    Require(again.TemplateLines == document.TemplateLines);
    return 0;
}
