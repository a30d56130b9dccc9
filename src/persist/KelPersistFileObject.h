#pragma once
// The base of every object an object file stores: its version, its owner, and the
// lookups by which it finds class numbers while it is written and read.

#include "persist/BoundOperation.h"
#include "persist/KelStream.h"
#include "persist/Object.h"
#include "persist/PersistentClass.h"
#include "persist/SortedPointerList.h"
#include "persist/StringList.h"

#include <cstdint>
#include <string>
#include <string_view>

class TKelPersistFileObject : public TObject {
public:
    /// The class reference numbering of the file the object is written to.
    using TRefNoLookup = TBoundOperation<std::int32_t(TKelPersistFileObject* object)>;
    /// The class table of the file the object is read from.
    using TClassLookup = TBoundOperation<const TPersistentClass*(std::int32_t refNo)>;

    /// Raises "SetCurrentVersion must be called before using TKelPersistFileObject" while no
    /// version is set. The object is recorded in LiveObjects; it is not added to ownerList.
    TKelPersistFileObject(TStringList* ownerList, TObject* owner);
    ~TKelPersistFileObject() override;

    static const TPersistentClass& ClassInfo();
    virtual const TPersistentClass& ClassType() const;
    const std::string& ClassName() const { return ClassType().Name(); }

    TKelPersistFileObject* AsPersistent() final { return this; }
    const TKelPersistFileObject* AsPersistent() const final { return this; }

    virtual void InheritRefNoLookup();
    virtual void InheritClassLookup();
    virtual void ReadFromStream(TStream& stream);
    virtual void WriteToStream(TStream& stream);

    static void WriteAnsiString(TStream& stream, std::string_view text);
    /// The long string of `head` directly followed by `tail`, without joining them first.
    static void WriteAnsiString(TStream& stream, std::string_view head, std::string_view tail);
    static std::string ReadAnsiString(TStream& stream);
    /// The same for a string the format holds at most `maxLength` bytes of (`what` names it):
    /// a longer one is refused as damaged before anything is read or allocated for it.
    static std::string ReadAnsiString(TStream& stream, std::int64_t maxLength, std::string_view what);

    std::uint16_t Version = 0;
    TObject* Owner = nullptr;
    TStringList* OwnerList = nullptr;
    TRefNoLookup RefNoLookup;
    TClassLookup ClassLookup;

protected:
    /// Takes the object off LiveObjects. A derived destructor calls it first, so that the
    /// debug line for an unknown object names the real class; later calls do nothing.
    void ReleaseFromLiveObjects()
    {
        if (!released_)
            Release();
    }

private:
    void Release();

    TSortedPointerList::TSeat liveSeat_ = 0;
    bool released_ = false;
};

/// Base of the persistent classes of TKelObjectFileWithRawStrm files. Adds nothing.
class TKelFileObjectOnRawStrm : public TKelPersistFileObject {
public:
    using TKelPersistFileObject::TKelPersistFileObject;
    ~TKelFileObjectOnRawStrm() override;
    static const TPersistentClass& ClassInfo();
    const TPersistentClass& ClassType() const override;
};
