#include "print/qt/PartialFile.h"

#include "print/PrinterService.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return std::string();
    return path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

TPartialFile::TPartialFile(std::string target)
    : target_(std::move(target))
{
    if (target_.empty() || target_.back() == '/')
        throw EPrintError("Cannot write the file \"" + target_ + "\": no file name");

    std::random_device entropy;
    std::mt19937 generator(entropy());
    int lastError = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate
            = FolderOf(target_) + "." + NameOf(target_) + ".part-" + std::to_string(generator() % 1000000000u);
        // O_EXCL: never take over a file that someone else is writing.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            path_ = candidate;
            return;
        }
        lastError = errno;
        if (lastError != EEXIST)
            break;
    }
    throw EPrintError("Cannot write the file \"" + target_ + "\": " + std::strerror(lastError));
}

TPartialFile::~TPartialFile()
{
    if (!committed_)
        ::unlink(path_.c_str());
}

void TPartialFile::Commit()
{
    if (std::rename(path_.c_str(), target_.c_str()) != 0)
        throw EPrintError("Cannot write the file \"" + target_ + "\": " + std::strerror(errno));
    committed_ = true;
}
