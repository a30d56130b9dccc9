#pragma once
// The library's process-wide state: the version stamped on every object, and the
// account of the persistent objects alive, from start-up to shut-down.

#include "persist/SortedPointerList.h"

#include <cstdint>
#include <optional>

/// Sets the version written with every object. Only the first call with a non-zero version counts.
void SetCurrentVersion(std::uint16_t version, std::uint16_t second);
std::uint16_t CurrentVersion();
std::uint16_t SecondVersionNumber();

/// The list of persistent objects created and not yet destroyed; nullptr until the first one.
TSortedPointerList* LiveObjects();

/// Holds the live-object list's lock over a run of creations or destructions (a list read
/// from a file, an owning list cleared), so that none of them takes it again. Holds nothing
/// while there is no list; Take() holds it once the run's first object has made it.
class TLiveObjectsHold {
public:
    TLiveObjectsHold() { Take(); }
    void Take()
    {
        if (!hold_)
            if (const TSortedPointerList* live = LiveObjects())
                hold_.emplace(*live);
    }

private:
    std::optional<TSortedPointerList::THold> hold_;
};

/// Start of the library: registers TKelPersistFileObject. Called once by the program's start-up.
void InitializePersistenceLibrary();
/// End of the library: releases the registry, reports the live objects on the debug output,
/// releases the live-object list. Objects still alive are not destroyed.
void ShutdownPersistenceLibrary();

namespace kel_testing {
/// Puts the library back to its state before start-up (no version, no registry, no
/// live-object list), so that each test starts alike. Never called by the program.
void ResetPersistenceLibrary();
} // namespace kel_testing
