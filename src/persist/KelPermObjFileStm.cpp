#include "persist/KelPermObjFileStm.h"

#include "persist/AnsiText.h"
#include "platform/DebugOutput.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

struct LibraryState {
    std::uint16_t currentVersion = 0;
    std::uint16_t secondVersion = 0;
    std::unique_ptr<std::vector<std::pair<std::string, const TPersistentClass*>>> registry;
    std::unique_ptr<TSortedPointerList> liveObjects;
};

// Constant-initialised, so that reaching it (twice for every record made) tests no guard.
constinit LibraryState state;

LibraryState& State()
{
    return state;
}

} // namespace

// ---- TPersistentClass -------------------------------------------------------

bool TPersistentClass::InheritsFrom(const TPersistentClass& ancestor) const
{
    for (const TPersistentClass* c = this; c != nullptr; c = c->parent_)
        if (c == &ancestor)
            return true;
    return false;
}

std::unique_ptr<TKelPersistFileObject> TPersistentClass::Create(TStringList* ownerList, TObject* owner) const
{
    return factory_ ? factory_(ownerList, owner) : nullptr;
}

// ---- Version and registry ---------------------------------------------------

void SetCurrentVersion(std::uint16_t version, std::uint16_t second)
{
    LibraryState& s = State();
    if (s.currentVersion != 0)
        throw EInvalidPersistentFileAction(
            "SetCurrentVersion can only be called once. Version::" + std::to_string(version) + " is rejected");
    s.currentVersion = version;
    s.secondVersion = second;
}

std::uint16_t CurrentVersion()
{
    return State().currentVersion;
}
std::uint16_t SecondVersionNumber()
{
    return State().secondVersion;
}

void RegisterPersistentClasses(std::initializer_list<const TPersistentClass*> classes)
{
    LibraryState& s = State();
    if (!s.registry)
        s.registry = std::make_unique<std::vector<std::pair<std::string, const TPersistentClass*>>>();
    for (const TPersistentClass* cls : classes) {
        if (cls == nullptr || !cls->InheritsFrom(TKelPersistFileObject::ClassInfo()))
            throw EInvalidPersistentFileAction("Failed Attempt To Register, Invalid Class");
        if (FindRegisteredClass(cls->Name()) != nullptr)
            throw EInvalidPersistentFileAction("Failed Attempt To Register, Duplicate Name");
        s.registry->emplace_back(cls->Name(), cls);
    }
}

const TPersistentClass* FindRegisteredClass(std::string_view name)
{
    const LibraryState& s = State();
    if (!s.registry)
        return nullptr;
    for (const auto& [entryName, cls] : *s.registry)
        if (AnsiSameText(entryName, name))
            return cls;
    return nullptr;
}

const TPersistentClass* GetRegisteredClass(std::string_view name)
{
    if (!State().registry)
        return nullptr;
    const TPersistentClass* cls = FindRegisteredClass(name);
    if (cls == nullptr)
        throw EInvalidPersistentFileAction("Object Type " + std::string(name) + " is Not Registered");
    return cls;
}

TSortedPointerList* LiveObjects()
{
    return State().liveObjects.get();
}

void InitializePersistenceLibrary()
{
    RegisterPersistentClasses({ &TKelPersistFileObject::ClassInfo() });
}

void ShutdownPersistenceLibrary()
{
    LibraryState& s = State();
    s.registry.reset();
    if (s.liveObjects && s.liveObjects->Count() > 0) {
        platform::OutputDebugLine("File Objects Created but not Destroyed");
        for (int i = 0; i < s.liveObjects->Count(); ++i) {
            try {
                const auto* object = static_cast<const TKelPersistFileObject*>(s.liveObjects->Items(i));
                platform::OutputDebugLine(std::to_string(i) + " Object Left is " + object->ClassName());
            } catch (...) {
                // One line that cannot be formed or written must not cut the report short.
            }
        }
    }
    s.liveObjects.reset();
}

namespace kel_testing {
void ResetPersistenceLibrary()
{
    LibraryState& s = State();
    s.currentVersion = 0;
    s.secondVersion = 0;
    s.registry.reset();
    s.liveObjects.reset();
}
} // namespace kel_testing

// ---- TKelPersistFileObject --------------------------------------------------

TKelPersistFileObject::TKelPersistFileObject(TStringList* ownerList, TObject* owner)
{
    if (CurrentVersion() == 0)
        throw EInvalidPersistentFileAction("SetCurrentVersion must be called before using TKelPersistFileObject");
    OwnerList = ownerList;
    Owner = owner;
    LibraryState& s = State();
    if (!s.liveObjects)
        s.liveObjects = std::make_unique<TSortedPointerList>();
    liveSeat_ = s.liveObjects->InsertNew(this);
}

TKelPersistFileObject::~TKelPersistFileObject()
{
    ReleaseFromLiveObjects();
}

void TKelPersistFileObject::Release()
{
    released_ = true;
    TSortedPointerList* live = LiveObjects();
    if (live && !live->RemoveSeated(this, liveSeat_))
        platform::OutputDebugLine("Non Created Object Destroy (not found on ObjectList) :: " + ClassName());
}

const TPersistentClass& TKelPersistFileObject::ClassInfo()
{
    static const TPersistentClass info("TKelPersistFileObject", nullptr,
        [](TStringList* ownerList, TObject* owner) -> std::unique_ptr<TKelPersistFileObject> {
            return std::make_unique<TKelPersistFileObject>(ownerList, owner);
        });
    return info;
}

const TPersistentClass& TKelPersistFileObject::ClassType() const
{
    return ClassInfo();
}

void TKelPersistFileObject::InheritRefNoLookup()
{
    if (RefNoLookup)
        return;
    TObject* node = Owner;
    while (!RefNoLookup && node != nullptr) {
        TKelPersistFileObject* persistent = node->AsPersistent();
        if (persistent == nullptr)
            break;
        persistent->InheritRefNoLookup();
        RefNoLookup = persistent->RefNoLookup;
        node = persistent->Owner;
    }
}

void TKelPersistFileObject::InheritClassLookup()
{
    if (ClassLookup)
        return;
    if (TKelPersistFileObject* persistent = Owner != nullptr ? Owner->AsPersistent() : nullptr)
        ClassLookup = persistent->ClassLookup;
}

void TKelPersistFileObject::ReadFromStream(TStream& stream)
{
    Version = stream.ReadU16("an object's version");
}

void TKelPersistFileObject::WriteToStream(TStream& stream)
{
    Version = CurrentVersion();
    stream.WriteU16(Version);
}

void TKelPersistFileObject::WriteAnsiString(TStream& stream, std::string_view text)
{
    WriteAnsiString(stream, text, {});
}

void TKelPersistFileObject::WriteAnsiString(TStream& stream, std::string_view head, std::string_view tail)
{
    const auto length = static_cast<std::uint64_t>(head.size()) + tail.size();
    if (length > static_cast<std::uint64_t>(kelformat::kMaxAnsiStringLength))
        throw EInvalidPersistentFileAction("OverLength AnsiString on File");
    stream.WriteU16(kelformat::kAnsiStringMarker);
    stream.WriteI32(static_cast<std::int32_t>(length));
    for (const std::string_view part : { head, tail })
        if (!part.empty())
            stream.WriteExact(part.data(), part.size(), "a string");
}

std::string TKelPersistFileObject::ReadAnsiString(TStream& stream)
{
    return ReadAnsiString(stream, kelformat::kMaxAnsiStringLength, {});
}

std::string TKelPersistFileObject::ReadAnsiString(TStream& stream, std::int64_t maxLength, std::string_view what)
{
    const std::uint16_t marker = stream.ReadU16("a string's marker");
    const std::int32_t length = stream.ReadI32("a string's length");
    if (marker != kelformat::kAnsiStringMarker) {
        if (length == 0)
            return {};
        throw EInvalidPersistentFileAction("Invalid Ansi String on File");
    }
    if (length > kelformat::kMaxAnsiStringLength)
        throw EInvalidPersistentFileAction("OverLength Ansi String on File");
    // Counting on the bytes that remain is not enough: a sparse file's holes are real bytes.
    if (length > maxLength)
        throw EInvalidPersistentFileAction("Damaged file: " + std::string(what) + " at offset "
            + std::to_string(stream.Position() - 4) + " claims " + std::to_string(length) + " bytes, but holds at most "
            + std::to_string(maxLength));
    if (length <= 0)
        return {};
    stream.CheckAvailable(static_cast<std::uint64_t>(length), "a string");
    if (length <= 64) {
        char scratch[64];
        return std::string(stream.ReadInPlace(static_cast<std::size_t>(length), scratch, "a string"),
            static_cast<std::size_t>(length));
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    stream.ReadExact(text.data(), text.size(), "a string");
    return text;
}

// ---- TKelFileObjectOnRawStrm -------------------------------------------------

TKelFileObjectOnRawStrm::~TKelFileObjectOnRawStrm()
{
    ReleaseFromLiveObjects();
}

const TPersistentClass& TKelFileObjectOnRawStrm::ClassInfo()
{
    static const TPersistentClass info("TKelFileObjectOnRawStrm", &TKelPersistFileObject::ClassInfo(),
        [](TStringList* ownerList, TObject* owner) -> std::unique_ptr<TKelPersistFileObject> {
            return std::make_unique<TKelFileObjectOnRawStrm>(ownerList, owner);
        });
    return info;
}

const TPersistentClass& TKelFileObjectOnRawStrm::ClassType() const
{
    return ClassInfo();
}
