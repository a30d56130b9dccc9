#pragma once
// The persistence library's one exception. Kept apart so that the byte streams can
// raise it without knowing about classes, registries or objects.

#include <stdexcept>

/// The library's exception class: carries only its message.
class EInvalidPersistentFileAction : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
