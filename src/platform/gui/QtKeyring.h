#pragma once
// The keyring of the desktop session (its secret service) through QtKeychain, never
// its plain-file fallback: without a keyring nothing is kept, and the user is told.

#include "platform/gui/Keyring.h"

class TQtKeyring final : public IKeyring {
public:
    std::optional<QString> Read(const QString& key) override;
    void Write(const QString& key, const QString& secret) override;
    void Forget(const QString& key) override;
};
