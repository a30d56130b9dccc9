#pragma once
// Faults a test can bring about in its own process: permission bits that refuse even
// root, and a file size limit that fails the next write like a full disk does.

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

/// Lifts the permission override of a process run as root for as long as it lives, so
/// that permission bits refuse root as they refuse anyone else (CI runs as root).
/// Capabilities belong to the thread, and every command runs on this one.
class TPermissionsApply {
public:
    TPermissionsApply()
    {
        if (::geteuid() != 0) {
            active_ = true;
            return;
        }
        header_ = { _LINUX_CAPABILITY_VERSION_3, 0 };
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct lowered[2] = { saved_[0], saved_[1] };
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &header_, lowered) == 0;
        restore_ = active_;
    }
    ~TPermissionsApply()
    {
        if (restore_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    TPermissionsApply(const TPermissionsApply&) = delete;
    TPermissionsApply& operator=(const TPermissionsApply&) = delete;
    bool Active() const { return active_; }

private:
    bool active_ = false;
    bool restore_ = false;
    __user_cap_header_struct header_ {};
    __user_cap_data_struct saved_[2] {};
};

/// No file of this process may grow past `bytes` while it lives: the next write fails
/// with "File too large" instead of raising a signal.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        active_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
    bool Active() const { return active_; }

private:
    rlimit saved_ {};
    void (*previousHandler_)(int) = SIG_DFL;
    bool active_ = false;
};

} // namespace testsupport
