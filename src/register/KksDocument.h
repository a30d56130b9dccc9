#pragma once
// The whole kks document: the group names, the participants with their records and
// takers, and the letter template, in that order, in one object file of the class
// TCCObjectFile. Shared by the desktop program's file commands and the command-line
// tool. Texts are Windows-1252 bytes, as everywhere in the core.

#include "persist/KelStream.h"
#include "persist/Object.h"
#include "persist/StringList.h"

#include <memory>
#include <string>
#include <vector>

struct TKksDocument {
    std::unique_ptr<TStringList> GroupNames; // absent when the document is incomplete
    std::unique_ptr<TStringList> Participants; // owning list of TCCUser, takers linked; absent when incomplete
    std::vector<std::string> TemplateLines; // the stored template (valid when TemplateRead)
    bool TemplateRead = false; // false when the file held no groups (template then not read)
    bool Incomplete() const { return !Participants; }
};

/// Reads a whole document into new lists (records get `owner` as Owner and the new list as OwnerList)
/// and links the takers. Raises the library's errors; nothing outside the result is touched.
/// A document whose participants lack their records is refused as damaged; a group number
/// that names no group is read as it is.
TKksDocument ReadKksDocument(const std::string& fileName, TObject* owner);
/// The same, from a stream the caller keeps alive; `name` stands for the file name in messages.
TKksDocument ReadKksDocument(TStream& stream, const std::string& name, TObject* owner);

/// Checks everything that could make the write fail (entry counts, text lengths) before the file
/// is touched, then replaces fileName whole or not at all (platform::TAtomicFile). A target that is
/// not a regular file, that the user may not write, or that is held open elsewhere (the share-mode
/// stand-in: exclusive lock fails) refuses the save and stays as it was. On failure the old file is
/// intact, no temporary file is left, and the message names the file. Raises on failure.
void WriteKksDocument(const std::string& fileName, const TStringList& groupNames, const TStringList& participants,
    const std::vector<std::string>& templateLines);
/// The same into an empty stream (no temporary file, no rename).
void WriteKksDocument(TStream& stream, const std::string& name, const TStringList& groupNames,
    const TStringList& participants, const std::vector<std::string>& templateLines);

/// Raises, with a message naming the list and the entry, when the document cannot be
/// stored in the format (too many entries, an entry text over 255 bytes, an attached
/// object that is not persistent). Touches nothing.
void CheckKksDocumentFits(
    const TStringList& groupNames, const TStringList& participants, const std::vector<std::string>& templateLines);
