#include "platform/TemporaryNames.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace platform {
namespace {

    // A save holds one name at a time, and the letters' threads a few more.
    constexpr int kSlots = 16;

    enum : int { kFree, kBusy, kReady };

    std::atomic<int> state[kSlots];
    char names[kSlots][PATH_MAX];

    static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the states");

    extern "C" void RemoveAndEnd(int signal)
    {
        const int savedErrno = errno;
        for (int i = 0; i < kSlots; ++i)
            if (state[i].load() == kReady)
                ::unlink(names[i]);
        // Blocked while this handler runs, the signal is delivered again, with its default
        // action, as soon as the handler returns: the process ends as the sender meant.
        struct sigaction byDefault { };
        byDefault.sa_handler = SIG_DFL;
        ::sigaction(signal, &byDefault, nullptr);
        ::raise(signal);
        errno = savedErrno;
    }

} // namespace

int RegisterTemporaryName(const std::string& path) noexcept
{
    if (path.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!state[i].compare_exchange_strong(expected, kBusy))
            continue;
        std::memcpy(names[i], path.c_str(), path.size() + 1);
        state[i].store(kReady);
        return i;
    }
    return -1;
}

void ForgetTemporaryName(int slot) noexcept
{
    if (slot >= 0 && slot < kSlots)
        state[slot].store(kFree);
}

void RemoveTemporaryFilesOnSignals()
{
    struct sigaction remove { };
    remove.sa_handler = RemoveAndEnd;
    // Either signal waits while the other one's handler removes the files.
    sigemptyset(&remove.sa_mask);
    sigaddset(&remove.sa_mask, SIGINT);
    sigaddset(&remove.sa_mask, SIGTERM);
    ::sigaction(SIGINT, &remove, nullptr);
    ::sigaction(SIGTERM, &remove, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
}

} // namespace platform
