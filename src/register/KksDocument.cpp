#include "register/KksDocument.h"

#include "persist/KelFileStream.h"
#include "persist/KelPermObjFileStm.h"
#include "platform/AtomicFile.h"
#include "register/CCObjectFile.h"
#include "register/CCUser.h"

#include <memory>

namespace {

using kelformat::kMaxEntryText;
using kelformat::kMaxListEntries;

void CheckCount(std::size_t count, const char* what)
{
    if (count > static_cast<std::size_t>(kMaxListEntries))
        throw EInvalidPersistentFileAction(std::string("Too many ") + what + " to save: " + std::to_string(count)
            + " (at most " + std::to_string(kMaxListEntries) + ")");
}

void CheckText(const std::string& text, std::size_t index, const char* what)
{
    if (text.size() > kMaxEntryText)
        throw EInvalidPersistentFileAction(std::string(what) + " " + std::to_string(index + 1)
            + " is too long to save: " + std::to_string(text.size()) + " bytes (at most "
            + std::to_string(kMaxEntryText) + ")");
}

/// What the reader needs to hand the document to the window safely: every participant
/// carries its record (the takers' linking finds the first that does not, in the same
/// pass). A group number that names no group is kept as it is: documents written by
/// earlier versions hold such numbers, and the window, the draw and the prints all cope
/// with them.
void LinkAndCheckRecords(TStringList& participants)
{
    if (const int i = LinkTakersAfterLoad(participants); i >= 0)
        throw EInvalidPersistentFileAction("Damaged file: participant " + std::to_string(i + 1) + " ("
            + participants.Strings(i) + ") has no participant record");
}

TKksDocument ReadDocument(TCCObjectFile& file, TObject* owner)
{
    TKksDocument document;
    auto groups = std::make_unique<TStringList>(true);
    file.ReadList(groups.get(), owner);
    if (groups->Empty()) {
        file.Close();
        return document;
    }
    auto participants = std::make_unique<TStringList>(true);
    file.ReadList(participants.get(), owner);

    TStringList templateList(true);
    file.ReadList(&templateList, nullptr);
    document.TemplateLines = templateList.Texts();
    document.TemplateRead = true;
    file.Close();

    if (participants->Empty())
        return document;
    LinkAndCheckRecords(*participants);
    document.GroupNames = std::move(groups);
    document.Participants = std::move(participants);
    return document;
}

void WriteDocument(TCCObjectFile& file, const TStringList& groupNames, const TStringList& participants,
    const std::vector<std::string>& templateLines)
{
    file.WriteList(&groupNames);
    file.WriteList(&participants);
    TStringList templateList;
    templateList.Reserve(static_cast<int>(templateLines.size()));
    for (const std::string& line : templateLines)
        templateList.Add(line);
    file.WriteList(&templateList);
}

} // namespace

void CheckKksDocumentFits(
    const TStringList& groupNames, const TStringList& participants, const std::vector<std::string>& templateLines)
{
    CheckCount(static_cast<std::size_t>(groupNames.Count()), "groups");
    CheckCount(static_cast<std::size_t>(participants.Count()), "participants");
    CheckCount(templateLines.size(), "template lines");
    for (int i = 0; i < groupNames.Count(); ++i)
        CheckText(groupNames.Strings(i), static_cast<std::size_t>(i), "Group name");
    for (int i = 0; i < participants.Count(); ++i) {
        CheckText(participants.Strings(i), static_cast<std::size_t>(i), "The key of participant");
        TObject* object = participants.Objects(i);
        if (object != nullptr && object->AsPersistent() == nullptr)
            throw EInvalidPersistentFileAction(
                "Participant " + std::to_string(i + 1) + " carries an object that cannot be saved");
    }
    for (std::size_t i = 0; i < templateLines.size(); ++i)
        CheckText(templateLines[i], i, "Template line");
}

TKksDocument ReadKksDocument(const std::string& fileName, TObject* owner)
{
    TCCObjectFile file(fileName, fmDbRead);
    return ReadDocument(file, owner);
}

TKksDocument ReadKksDocument(TStream& stream, const std::string& name, TObject* owner)
{
    TCCObjectFile file(stream, fmDbRead, name);
    return ReadDocument(file, owner);
}

void WriteKksDocument(TStream& stream, const std::string& name, const TStringList& groupNames,
    const TStringList& participants, const std::vector<std::string>& templateLines)
{
    CheckKksDocumentFits(groupNames, participants, templateLines);
    TCCObjectFile file(stream, fmDbCreate, name);
    WriteDocument(file, groupNames, participants, templateLines);
    file.Close();
}

void WriteKksDocument(const std::string& fileName, const TStringList& groupNames, const TStringList& participants,
    const std::vector<std::string>& templateLines)
{
    if (CurrentVersion() == 0)
        throw EInvalidPersistentFileAction("SetCurrentVersion must be called before using TKelObjectFile");
    if (fileName.size() < 2)
        throw EInvalidPersistentFileAction("Db File Name must be more than one character::<" + fileName + ">");
    CheckKksDocumentFits(groupNames, participants, templateLines);

    std::string fullPath = fileName;
    std::unique_ptr<platform::TAtomicFile> file;
    std::unique_ptr<TFileStream> stream;
    try {
        fullPath = platform::FullPathName(fileName);
        // Holding the old file exclusively for the whole save keeps out anyone who would
        // open it meanwhile, and refuses the save while someone has it open.
        file = std::make_unique<platform::TAtomicFile>(fullPath, platform::TTargetHold::Exclusive);
        stream = std::make_unique<TFileStream>(file->TakeFile());
    } catch (const std::exception& e) {
        throw EInvalidPersistentFileAction("File Open Failed::" + std::string(e.what()) + "::" + fullPath);
    }

    try {
        {
            TCCObjectFile objectFile(*stream, fmDbCreate, fullPath);
            WriteDocument(objectFile, groupNames, participants, templateLines);
            // Not flushed here: the commit flushes the file to disk once, before the rename.
            objectFile.Close(false);
        }
        stream->Close();
        file->Commit();
    } catch (const std::exception& e) {
        // A full disk says only "No space left on device": the user needs to hear which
        // file, and that the document on disk is still the earlier one.
        throw EInvalidPersistentFileAction("Saving " + fullPath + " failed: " + e.what()
            + (file->Replaces() ? ". The earlier document is unchanged." : ". No file was created."));
    }
}
