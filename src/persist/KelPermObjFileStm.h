#pragma once
// The object persistence library: the current version, the class registry, the
// account of live persistent objects, the persistent object base and the sorted
// pointer list. The object files that store these objects are in KelObjectFile.h.

#include "persist/KelFileFormat.h"
#include "persist/KelStream.h"
#include "persist/Object.h"
#include "persist/StringList.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

/// The library's exception class: carries only its message.
class EInvalidPersistentFileAction : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TKelPersistFileObject;

/// A persistent class at run time: its name, its parent and its factory Create(OwnerList, Owner).
class TPersistentClass {
public:
    using Factory = std::unique_ptr<TKelPersistFileObject> (*)(TStringList* ownerList, TObject* owner);

    TPersistentClass(std::string name, const TPersistentClass* parent, Factory factory)
        : name_(std::move(name))
        , parent_(parent)
        , factory_(factory)
    {
    }
    TPersistentClass(const TPersistentClass&) = delete;
    TPersistentClass& operator=(const TPersistentClass&) = delete;

    const std::string& Name() const { return name_; }
    const TPersistentClass* Parent() const { return parent_; }
    /// True when this class is `ancestor` or descends from it.
    bool InheritsFrom(const TPersistentClass& ancestor) const;
    /// Creates an object of this class; raises what the constructor raises.
    std::unique_ptr<TKelPersistFileObject> Create(TStringList* ownerList, TObject* owner) const;

private:
    std::string name_;
    const TPersistentClass* parent_;
    Factory factory_;
};

/// An ascending array of distinct addresses behind a re-entrant lock. Owns nothing.
/// The live-object list holds every participant, and a register of tens of thousands
/// is created and freed in one go: the items are kept in chunks of bounded size, so
/// that an insertion or removal moves a chunk, not the whole array.
class TSortedPointerList : public TObject {
public:
    struct FindResult {
        bool found = false;
        int position = 0; // the item's position, or where p would go to keep the order
    };

    FindResult Find(const void* p) const;
    /// Inserts p unless present; returns its position.
    int Add(const void* p);
    /// Deletes p; true when it was present.
    bool Remove(const void* p);
    int Count() const { return count_; }
    /// The item at position index (0-based); raises std::out_of_range outside the list.
    const void* Items(int index) const;

private:
    struct Place {
        std::size_t chunk; // chunks_.size() when p is above every item
        std::size_t offset; // within the chunk
        bool found;
    };
    Place Locate(const void* p) const;
    int PositionOf(const Place& place) const;

    std::vector<std::vector<const void*>> chunks_; // none empty; each ascending, and ascending from chunk to chunk
    int count_ = 0;
    mutable std::recursive_mutex lock_;
};

// ---- Version, class registry, live objects --------------------------------

using kelformat::kAnsiStringMarker;
using kelformat::kMaxAnsiStringLength;

/// Sets the version written with every object. Only the first call with a non-zero version counts.
void SetCurrentVersion(std::uint16_t version, std::uint16_t second);
std::uint16_t CurrentVersion();
std::uint16_t SecondVersionNumber();

/// Registers classes in array order; an error stops at the offending class.
void RegisterPersistentClasses(std::initializer_list<const TPersistentClass*> classes);
/// The registered class of that name (letter case ignored), or nullptr. Never fails.
const TPersistentClass* FindRegisteredClass(std::string_view name);
/// As FindRegisteredClass, but raises for a name that is not registered (nullptr only
/// while no class has been registered at all).
const TPersistentClass* GetRegisteredClass(std::string_view name);

/// The list of persistent objects created and not yet destroyed; nullptr until the first one.
TSortedPointerList* LiveObjects();

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

// ---- The persistent object base -------------------------------------------

class TKelPersistFileObject : public TObject {
public:
    /// The class reference numbering of the file the object is written to.
    using TRefNoLookup = std::function<std::int32_t(TKelPersistFileObject* object)>;
    /// The class table of the file the object is read from.
    using TClassLookup = std::function<const TPersistentClass*(std::int32_t refNo)>;

    /// Raises "SetCurrentVersion must be called before using TKelPersistFileObject" while no
    /// version is set. The object is recorded in LiveObjects; it is not added to ownerList.
    TKelPersistFileObject(TStringList* ownerList, TObject* owner);
    ~TKelPersistFileObject() override;

    static const TPersistentClass& ClassInfo();
    virtual const TPersistentClass& ClassType() const;
    const std::string& ClassName() const { return ClassType().Name(); }

    virtual void InheritRefNoLookup();
    virtual void InheritClassLookup();
    virtual void ReadFromStream(TStream& stream);
    virtual void WriteToStream(TStream& stream);

    static void WriteAnsiString(TStream& stream, std::string_view text);
    static std::string ReadAnsiString(TStream& stream);

    std::uint16_t Version = 0;
    TObject* Owner = nullptr;
    TStringList* OwnerList = nullptr;
    TRefNoLookup RefNoLookup;
    TClassLookup ClassLookup;

protected:
    /// Takes the object off LiveObjects. A derived destructor calls it first, so that the
    /// debug line for an unknown object names the real class; later calls do nothing.
    void ReleaseFromLiveObjects();

private:
    bool released_ = false;
};

/// Base of the persistent classes of TKelObjectFileWithRawStrm files. Adds nothing.
class TKelFileObjectOnRawStrm : public TKelPersistFileObject {
public:
    using TKelPersistFileObject::TKelPersistFileObject;
    static const TPersistentClass& ClassInfo();
    const TPersistentClass& ClassType() const override;
};
