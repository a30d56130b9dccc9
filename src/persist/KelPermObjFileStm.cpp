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

LibraryState& State()
{
    static LibraryState state;
    return state;
}

std::less<const void*> AddressLess;

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

// ---- TSortedPointerList -----------------------------------------------------

namespace {
constexpr std::size_t kMaxChunk = 512;
}

TSortedPointerList::Place TSortedPointerList::Locate(const void* p) const
{
    // The first chunk whose last item is not below p holds p, or the place for it.
    const auto chunk = std::partition_point(
        chunks_.begin(), chunks_.end(), [p](const std::vector<const void*>& c) { return AddressLess(c.back(), p); });
    if (chunk == chunks_.end())
        return { chunks_.size(), 0, false };
    const auto it = std::lower_bound(chunk->begin(), chunk->end(), p, AddressLess);
    return { static_cast<std::size_t>(chunk - chunks_.begin()), static_cast<std::size_t>(it - chunk->begin()),
        *it == p };
}

int TSortedPointerList::PositionOf(const Place& place) const
{
    if (place.chunk == chunks_.size())
        return count_;
    std::size_t position = place.offset;
    for (std::size_t i = 0; i < place.chunk; ++i)
        position += chunks_[i].size();
    return static_cast<int>(position);
}

TSortedPointerList::FindResult TSortedPointerList::Find(const void* p) const
{
    std::lock_guard lock(lock_);
    if (count_ == 0)
        return { false, 0 };
    if (chunks_.front().front() == p)
        return { true, 0 };
    if (chunks_.back().back() == p)
        return { true, count_ - 1 };
    const Place place = Locate(p);
    return { place.found, PositionOf(place) };
}

int TSortedPointerList::Add(const void* p)
{
    std::lock_guard lock(lock_);
    Place place = Locate(p);
    const int position = PositionOf(place);
    if (place.found)
        return position;
    if (chunks_.empty()) {
        chunks_.emplace_back();
        place = { 0, 0, false };
    } else if (place.chunk == chunks_.size()) {
        place = { chunks_.size() - 1, chunks_.back().size(), false };
    }
    std::vector<const void*>& chunk = chunks_[place.chunk];
    chunk.insert(chunk.begin() + static_cast<std::ptrdiff_t>(place.offset), p);
    ++count_;
    if (chunk.size() > kMaxChunk) {
        std::vector<const void*> upper(chunk.begin() + kMaxChunk / 2, chunk.end());
        chunk.resize(kMaxChunk / 2);
        chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk) + 1, std::move(upper));
    }
    return position;
}

bool TSortedPointerList::Remove(const void* p)
{
    std::lock_guard lock(lock_);
    if (count_ == 0)
        return false;
    const Place place = Locate(p);
    if (!place.found)
        return false;
    std::vector<const void*>& chunk = chunks_[place.chunk];
    chunk.erase(chunk.begin() + static_cast<std::ptrdiff_t>(place.offset));
    if (chunk.empty())
        chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(place.chunk));
    --count_;
    return true;
}

const void* TSortedPointerList::Items(int index) const
{
    if (index < 0 || index >= count_)
        throw std::out_of_range("TSortedPointerList::Items: index out of range");
    std::size_t rest = static_cast<std::size_t>(index);
    for (const std::vector<const void*>& chunk : chunks_) {
        if (rest < chunk.size())
            return chunk[rest];
        rest -= chunk.size();
    }
    throw std::out_of_range("TSortedPointerList::Items: index out of range");
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
    s.liveObjects->Add(this);
}

TKelPersistFileObject::~TKelPersistFileObject()
{
    ReleaseFromLiveObjects();
}

void TKelPersistFileObject::ReleaseFromLiveObjects()
{
    if (released_)
        return;
    released_ = true;
    TSortedPointerList* live = LiveObjects();
    if (live && !live->Remove(this))
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
        auto* persistent = dynamic_cast<TKelPersistFileObject*>(node);
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
    if (auto* persistent = dynamic_cast<TKelPersistFileObject*>(Owner))
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
    if (static_cast<std::int64_t>(text.size()) > kMaxAnsiStringLength)
        throw EInvalidPersistentFileAction("OverLength AnsiString on File");
    stream.WriteU16(kAnsiStringMarker);
    stream.WriteI32(static_cast<std::int32_t>(text.size()));
    if (!text.empty())
        stream.WriteExact(text.data(), text.size(), "a string");
}

std::string TKelPersistFileObject::ReadAnsiString(TStream& stream)
{
    const std::uint16_t marker = stream.ReadU16("a string's marker");
    const std::int32_t length = stream.ReadI32("a string's length");
    if (marker != kAnsiStringMarker) {
        if (length == 0)
            return {};
        throw EInvalidPersistentFileAction("Invalid Ansi String on File");
    }
    if (length > kMaxAnsiStringLength)
        throw EInvalidPersistentFileAction("OverLength Ansi String on File");
    if (length <= 0)
        return {};
    stream.CheckAvailable(static_cast<std::uint64_t>(length), "a string");
    std::string text(static_cast<std::size_t>(length), '\0');
    stream.ReadExact(text.data(), text.size(), "a string");
    return text;
}

// ---- TKelFileObjectOnRawStrm -------------------------------------------------

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
