#pragma once
// The desktop's keyring, where a password may be kept between runs instead of in any
// file of ours; behind an interface so that tests script it (no secret service runs
// where they do).

#include <QString>

#include <optional>

class IKeyring {
public:
    virtual ~IKeyring() = default;
    /// The secret kept under `key`; nothing when none is kept or no keyring answers.
    virtual std::optional<QString> Read(const QString& key) = 0;
    /// Keeps `secret` under `key`; raises std::runtime_error saying why it could not.
    virtual void Write(const QString& key, const QString& secret) = 0;
    /// Forgets what is kept under `key` (nothing kept is no error); raises as Write does.
    virtual void Forget(const QString& key) = 0;
};
