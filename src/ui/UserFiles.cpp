#include "ui/UserFiles.h"

#include "platform/AtomicFile.h"
#include "platform/PosixFile.h"

#include <QFile>

#include <filesystem>
#include <stdexcept>

std::string NativeFullPath(const QString& chosen)
{
    return platform::FullPathName(QFile::encodeName(chosen).toStdString());
}

QString ShownPath(const std::string& nativePath)
{
    return QFile::decodeName(QByteArray::fromStdString(nativePath));
}

bool NameTaken(const std::string& nativePath)
{
    std::error_code error;
    return std::filesystem::symlink_status(nativePath, error).type() != std::filesystem::file_type::not_found;
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return !a.empty() && !b.empty() && std::filesystem::equivalent(a, b, error) && !error;
}
