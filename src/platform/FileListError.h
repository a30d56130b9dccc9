#pragma once
// An error that lists files, such as those a writer will not replace. The paths are the
// file system's bytes and the rest is the program's text, so they are kept apart: a
// display shows each in its own encoding. what() holds both, a path a line.

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace platform {

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

} // namespace platform
