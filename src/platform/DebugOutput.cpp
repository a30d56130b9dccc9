#include "platform/DebugOutput.h"

#include <cstdio>
#include <mutex>

namespace platform {
namespace {

    std::mutex& SinkMutex()
    {
        static std::mutex m;
        return m;
    }

    DebugSink& Sink()
    {
        static DebugSink sink;
        return sink;
    }

} // namespace

void OutputDebugLine(const std::string& line)
{
    DebugSink sink;
    {
        std::lock_guard lock(SinkMutex());
        sink = Sink();
    }
    if (sink) {
        sink(line);
        return;
    }
    std::fprintf(stderr, "%s\n", line.c_str());
}

DebugSink SetDebugSink(DebugSink sink)
{
    std::lock_guard lock(SinkMutex());
    DebugSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

} // namespace platform
