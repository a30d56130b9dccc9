#pragma once
// The debug-output channel: one line per call, shown to nobody. By default each
// line goes to standard error; tests install their own sink to read the lines.

#include <functional>
#include <string>

namespace platform {

using DebugSink = std::function<void(const std::string& line)>;

/// Writes one line to the current sink.
void OutputDebugLine(const std::string& line);

/// Replaces the sink and returns the previous one. An empty sink restores standard error.
DebugSink SetDebugSink(DebugSink sink);

/// Installs a sink for the lifetime of the object, then puts the previous one back.
class ScopedDebugSink {
public:
    explicit ScopedDebugSink(DebugSink sink)
        : previous_(SetDebugSink(std::move(sink)))
    {
    }
    ~ScopedDebugSink() { SetDebugSink(std::move(previous_)); }
    ScopedDebugSink(const ScopedDebugSink&) = delete;
    ScopedDebugSink& operator=(const ScopedDebugSink&) = delete;

private:
    DebugSink previous_;
};

} // namespace platform
