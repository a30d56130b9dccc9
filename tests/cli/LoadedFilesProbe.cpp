// Preloaded into a program by the tests (LD_PRELOAD): when the program ends, the map of
// the files it has loaded (/proc/self/maps) is copied to the file TINSELWICK_MAPS_OUT
// names. Plain system calls only: this runs after the program's own exit handlers.

#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {

__attribute__((destructor)) void CopyMapsAtExit()
{
    const char* out = std::getenv("TINSELWICK_MAPS_OUT");
    if (out == nullptr)
        return;
    const int from = ::open("/proc/self/maps", O_RDONLY);
    const int to = ::open(out, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    char buffer[4096];
    ssize_t n = 0;
    while (from >= 0 && to >= 0 && (n = ::read(from, buffer, sizeof buffer)) > 0)
        if (::write(to, buffer, static_cast<std::size_t>(n)) != n)
            break;
    ::close(from);
    ::close(to);
}

} // namespace
