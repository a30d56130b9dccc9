#pragma once
// Error messages that name a file. The error display shows a message as Windows-1252
// text, while a path in the message is in the file system's encoding.

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

/// The message with `nativePath` put into the message's own encoding where every
/// character of it has a byte there; otherwise the message as it is.
std::string WithDisplayablePath(std::string message, const std::string& nativePath);

/// Runs one file step; an error leaves it with the file's name readable in its message.
template <typename TStep> auto WithFileErrors(const std::string& nativePath, TStep&& step) -> decltype(step())
{
    try {
        return step();
    } catch (const std::exception& error) {
        const std::string message = error.what();
        std::string shown = WithDisplayablePath(message, nativePath);
        if (shown == message)
            throw;
        throw std::runtime_error(std::move(shown));
    }
}
