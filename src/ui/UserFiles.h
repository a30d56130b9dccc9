#pragma once
// Files the user names in the window besides documents: CSV files read and written,
// found by the paths the dialogs return.

#include <QString>

#include <string>
#include <string_view>

/// The file system's name for a path a dialog chose (local 8-bit encoding), made absolute.
std::string NativeFullPath(const QString& chosen);
/// The path as the dialogs and messages show it.
QString ShownPath(const std::string& nativePath);

/// True when something (a file, a folder, a link) has this name already.
bool NameTaken(const std::string& nativePath);
/// True when both names lead to one file.
bool SameFile(const std::string& a, const std::string& b);
