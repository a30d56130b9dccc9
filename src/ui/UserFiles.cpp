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

std::string ReadUserFile(const std::string& nativePath)
{
    try {
        platform::TPosixFile in = platform::TPosixFile::OpenExisting(nativePath, false, platform::TShareMode::Shared);
        std::string bytes(static_cast<std::size_t>(in.Size()), '\0');
        bytes.resize(in.ReadAt(0, bytes.data(), bytes.size()));
        return bytes;
    } catch (const platform::EPlatformError& error) {
        throw std::runtime_error("Cannot read " + nativePath + ": " + error.what());
    }
}

void ReplaceUserFile(const std::string& nativePath, std::string_view bytes)
{
    try {
        platform::TAtomicFile out(nativePath);
        platform::TPosixFile file = out.TakeFile();
        file.WriteAt(0, bytes.data(), bytes.size());
        file.Close();
        out.Commit();
    } catch (const std::exception& error) {
        throw std::runtime_error("Cannot write " + nativePath + ": " + error.what());
    }
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
