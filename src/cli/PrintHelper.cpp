// The print commands and mail of tinselwick-cli, as tinselwick-cli itself runs them: by
// handing the whole command line to tinselwick-print, which replaces this process. So only
// these commands load Qt's GUI and printer libraries (mail makes its PDF attachments with
// them) and libcurl, and the user still has one command whose output, messages and exit
// codes are those of the commands themselves.

#include "cli/CliCommand.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include <unistd.h>

namespace cli {
namespace {

    /// tinselwick-print, where the install rules put it relative to this program.
    std::string PrintHelperPath(const std::string& cannot)
    {
        std::error_code error;
        const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
        if (error)
            throw std::runtime_error(cannot + ": this program cannot find its own folder: " + error.message());
        return (self.parent_path() / TINSELWICK_PRINT_HELPER).lexically_normal().string();
    }

    /// `cannot` begins the message when the helper cannot be started ("Cannot print").
    int RunInPrintHelper(TInvocation& invocation, const std::string& cannot = "Cannot print")
    {
        const std::string helper = PrintHelperPath(cannot);
        ::execv(helper.c_str(), invocation.argv);
        throw std::runtime_error(cannot + ": " + helper + " cannot be started: " + std::strerror(errno));
    }

} // namespace

int RunLettersCommand(TInvocation& invocation)
{
    return RunInPrintHelper(invocation);
}

int RunListCommand(TInvocation& invocation)
{
    return RunInPrintHelper(invocation);
}

int RunMailCommand(TInvocation& invocation)
{
    return RunInPrintHelper(invocation, "Cannot send mail");
}

} // namespace cli
