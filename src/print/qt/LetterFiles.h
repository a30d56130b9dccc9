#pragma once
// Each giver's letter as a PDF file of its own, named after the giver, so that letters
// can be mailed without anybody, the organiser included, reading who gives to whom.

#include "persist/StringList.h"

#include <string>
#include <vector>

class TCCUser;

/// The resolution of the PDF files the program writes itself (A4 pages), so that a letter
/// written from the window and one written by the tool are the same file.
inline constexpr int kPdfFileDotsPerInch = 600;

/// One giver's letter and the file it goes to.
struct TLetterFile {
    const TCCUser* Giver = nullptr;
    /// The folder, "/" and the file name, whose characters are UTF-8.
    std::string Path;
};

/// A file for every entry with a record, in document order, in `folder`: "FIRST LAST.pdf"
/// ("/" and control characters, NUL included, as "_"; no trailing blank for an empty last
/// name; no leading "." that would hide the file), and "FIRST LAST (2).pdf" and so on for
/// names met before, letter case ignored, so that the files stay apart on any disk.
std::vector<TLetterFile> PlanLetterFiles(const TStringList& participants, const std::string& folder);

/// The paths of `files` where something (a file, a folder, a link) exists already. Raises
/// EPrintError with the system's reason when a path cannot be looked at (a folder that
/// may not be entered, a name too long).
std::vector<std::string> ExistingLetterFiles(const std::vector<TLetterFile>& files);

/// Writes every file as the page the job of all letters prints for its giver, on A4 at
/// `dotsPerInch`, into `folder` (created when missing), replacing what is there, and a
/// link of that name rather than what it leads to. Every letter is written to a temporary
/// file first and only when all are complete are they put in place; when one fails,
/// nothing in the folder has changed and the error, which says so, is raised.
void WriteLetterFiles(const std::string& folder, const std::vector<TLetterFile>& files, const TStringList& participants,
    const std::vector<std::string>& templateLines, int dotsPerInch);
