#pragma once
// Start-up of the persistence for the program and the command-line tool. The
// order matters: classes are registered first, the desktop program then seeds its
// random source, and only then is the version set. Programs with nothing to do in
// between call StartPersistenceWithVersion().

#include <cstdint>

inline constexpr std::uint16_t kProgramVersion = 21404; // stamped on every record
inline constexpr std::uint16_t kSecondVersionNumber = 18000; // kept with it, read by nobody

/// Registers TKelPersistFileObject and TCCUser with the class registry.
void StartPersistence();
/// Sets the current version (21404, 18000). Raises when a version is already set.
void SetProgramVersion();
/// StartPersistence() followed by SetProgramVersion().
void StartPersistenceWithVersion();
