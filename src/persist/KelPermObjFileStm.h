#pragma once
// The object persistence library, as one unit: its exception, the class registry,
// the version and live-object account, the sorted pointer list and the persistent
// object base. Each has a header of its own; this one brings them together for the
// callers that use the library as a whole. The object files that store these
// objects are in KelObjectFile.h.

#include "persist/InvalidPersistentFileAction.h"
#include "persist/KelFileFormat.h"
#include "persist/KelPersistFileObject.h"
#include "persist/KelStream.h"
#include "persist/Object.h"
#include "persist/PersistenceLibrary.h"
#include "persist/PersistentClass.h"
#include "persist/SortedPointerList.h"
#include "persist/StringList.h"
