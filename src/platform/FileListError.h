#pragma once
// Errors that name files the program made up itself (a letter's), which no command line
// gave: the paths are the file system's bytes and the rest is the program's text, so the
// error keeps the paths apart and a display shows each in its own encoding.

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace platform {

/// An error that lists files, such as those a writer will not replace; what() holds the
/// heading and the files, a file a line.
class EFileListError : public std::runtime_error {
public:
    EFileListError(const std::string& heading, std::vector<std::string> paths)
        : std::runtime_error(Joined(heading, paths))
        , heading_(heading)
        , paths_(std::move(paths))
    {
    }
    const std::string& Heading() const { return heading_; }
    const std::vector<std::string>& Paths() const { return paths_; }

private:
    static std::string Joined(const std::string& heading, const std::vector<std::string>& paths)
    {
        std::string text = heading;
        for (const std::string& path : paths)
            text += "\n  " + path;
        return text;
    }
    std::string heading_;
    std::vector<std::string> paths_;
};

/// The refusal of a writer that finds some of its files there already.
inline EFileListError ExistingFilesError(std::vector<std::string> paths)
{
    return EFileListError("Nothing written: these files exist already (--force replaces them):", std::move(paths));
}

/// The file names an error's message quotes: the file system's bytes amid the program's
/// text, which a display shows each in its own encoding.
class TQuotedPaths {
public:
    explicit TQuotedPaths(std::vector<std::string> paths)
        : quoted_(std::move(paths))
    {
    }
    virtual ~TQuotedPaths() = default;
    const std::vector<std::string>& QuotedPaths() const { return quoted_; }

private:
    std::vector<std::string> quoted_;
};

/// An error of kind `TBase` whose message quotes some of `paths`.
template <class TBase> class EQuotingPaths : public TBase, public TQuotedPaths {
public:
    EQuotingPaths(const std::string& message, std::vector<std::string> paths)
        : TBase(message)
        , TQuotedPaths(std::move(paths))
    {
    }
};

} // namespace platform
