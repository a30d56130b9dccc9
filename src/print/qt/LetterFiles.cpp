#include "print/qt/LetterFiles.h"

#include "platform/AtomicFile.h"
#include "platform/FileListError.h"
#include "platform/Windows1252.h"
#include "print/Letters.h"
#include "print/PrinterService.h"
#include "print/qt/QtPrinterCanvas.h"
#include "register/CCUser.h"

#include <QHash>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <system_error>

namespace {

void CreateFolder(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        throw EPrintError("Cannot create the folder \"" + folder + "\": " + error.message());
}

/// Every letter's temporary file, made before anything is printed, so that a name the
/// letter cannot take (a folder in the way) fails the run at once.
std::vector<std::unique_ptr<platform::TAtomicFile>> StageFiles(const std::vector<TLetterFile>& files)
{
    std::vector<std::unique_ptr<platform::TAtomicFile>> staged;
    staged.reserve(files.size());
    for (const TLetterFile& file : files) {
        try {
            staged.push_back(std::make_unique<platform::TAtomicFile>(
                file.Path, platform::TTargetHold::None, platform::TLinkRule::ReplaceLink));
        } catch (const std::exception& error) {
            throw EPrintError("The PDF file " + file.Path + " could not be written: " + error.what() + ".");
        }
    }
    return staged;
}

/// Puts the complete letters in place, one rename each.
void CommitFiles(const std::vector<TLetterFile>& files, std::vector<std::unique_ptr<platform::TAtomicFile>>& staged)
{
    for (std::size_t i = 0; i < staged.size(); ++i) {
        try {
            staged[i]->Commit();
        } catch (const std::exception& error) {
            throw platform::EQuotingPaths<EPrintError>("The PDF file " + files[i].Path
                    + " could not be put in place: " + error.what() + ". " + std::to_string(i) + " of the "
                    + std::to_string(files.size()) + " letters were in place before it; the others are unchanged.",
                { files[i].Path });
        }
    }
}

/// Prints every letter into its file. The letters are independent jobs, and most of a
/// job's time goes into the PDF writer's embedding of the face, so the jobs are shared
/// among threads (Qt paints on printers outside the GUI thread). The first letter is
/// printed here alone: it loads Qt's printer support, whose first use is not guarded
/// against threads. The first error stops the others and is raised here.
void PrintAll(const std::vector<TLetterFile>& files, const std::vector<std::unique_ptr<platform::TAtomicFile>>& staged,
    const TStringList& participants, const std::vector<std::string>& templateLines, int dotsPerInch)
{
    const auto print = [&](std::size_t i) {
        const auto canvas = TQtPrinterCanvas::ForStagedPdf(*staged[i], files[i].Path, dotsPerInch);
        PrintGiversLetter(*canvas, participants, templateLines, *files[i].Giver);
    };
    if (files.empty())
        return;
    print(0);

    std::atomic<std::size_t> next = 1;
    std::atomic<bool> failed = false;
    std::mutex errorLock;
    std::exception_ptr error;
    const auto printTheRest = [&] {
        try {
            for (std::size_t i = next++; i < files.size() && !failed; i = next++)
                print(i);
        } catch (...) {
            const std::lock_guard lock(errorLock);
            if (!error)
                error = std::current_exception();
            failed = true;
        }
    };
    const auto threadCount = static_cast<std::size_t>(std::clamp(QThread::idealThreadCount(), 1, 8));
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t t = 1; t < std::min(threadCount, files.size() - 1); ++t) {
        threads.emplace_back(QThread::create(printTheRest));
        threads.back()->start();
    }
    printTheRest();
    for (const auto& thread : threads)
        thread->wait();
    if (error)
        std::rethrow_exception(error);
}

} // namespace

std::vector<TLetterFile> PlanLetterFiles(const TStringList& participants, const std::string& folder)
{
    std::vector<TLetterFile> files;
    QSet<QString> taken;
    // The next number to try for each name, so that many namesakes cost one step each.
    QHash<QString, int> nextNumber;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (int i = 0; i < participants.Count(); ++i) {
        const TCCUser* giver = UserAt(participants, i);
        if (giver == nullptr)
            continue;
        const QString base = platform::FromWindows1252(LetterFileStem(*giver));
        const QString key = base.toCaseFolded();
        QString name = base + QStringLiteral(".pdf");
        int& number = nextNumber[key];
        if (number == 0)
            number = 2;
        while (taken.contains(name.toCaseFolded()))
            name = base + QStringLiteral(" (%1).pdf").arg(number++);
        taken.insert(name.toCaseFolded());
        files.push_back({ giver, prefix + name.toUtf8().toStdString() });
    }
    return files;
}

std::vector<std::string> ExistingLetterFiles(const std::vector<TLetterFile>& files)
{
    std::vector<std::string> existing;
    for (const TLetterFile& file : files) {
        // A link counts even when it leads nowhere: the letter would replace it.
        struct stat st { };
        if (::lstat(file.Path.c_str(), &st) == 0)
            existing.push_back(file.Path);
        else if (errno != ENOENT)
            throw EPrintError("Cannot write the letter " + file.Path + ": " + std::strerror(errno));
    }
    return existing;
}

void WriteLetterFiles(const std::string& folder, const std::vector<TLetterFile>& files, const TStringList& participants,
    const std::vector<std::string>& templateLines, int dotsPerInch)
{
    CreateFolder(folder);
    const bool replaces = !ExistingLetterFiles(files).empty();
    // Every new letter is complete before the first earlier one is replaced.
    std::vector<std::unique_ptr<platform::TAtomicFile>> staged;
    try {
        staged = StageFiles(files);
        PrintAll(files, staged, participants, templateLines, dotsPerInch);
    } catch (const std::exception& error) {
        // The failing letter's name is somewhere in the message.
        std::vector<std::string> paths;
        paths.reserve(files.size());
        for (const TLetterFile& file : files)
            paths.push_back(file.Path);
        throw platform::EQuotingPaths<EPrintError>(
            std::string(error.what()) + (replaces ? " The earlier letters are unchanged." : " No letter was written."),
            std::move(paths));
    }
    CommitFiles(files, staged);
}
