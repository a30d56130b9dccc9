#include "persist/KelObjectFile.h"

#include "persist/KelFileStream.h"
#include "platform/PosixFile.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

using namespace kelformat;

namespace {

bool IsCreateMode(TOpenMode mode)
{
    return mode == fmDbCreate || mode == fmDbCreateBackup;
}
bool IsUpdateMode(TOpenMode mode)
{
    return mode == fmDbUpdate || mode == fmDbUpdateBackup;
}

void WriteNewHeader(TStream& stream)
{
    stream.Seek(0);
    stream.WriteU32(kFileType);
    stream.WriteU32(0);
}

void WriteNewHeader(platform::TPosixFile& file)
{
    const std::uint8_t header[kHeaderSize]
        = { static_cast<std::uint8_t>(kFileType), static_cast<std::uint8_t>(kFileType >> 8),
              static_cast<std::uint8_t>(kFileType >> 16), static_cast<std::uint8_t>(kFileType >> 24), 0, 0, 0, 0 };
    file.WriteAt(0, header, sizeof header);
}

/// Moves an existing file to its backup name, replacing an older backup. Both files
/// are locked first, so that neither is pulled away from another opener. Returns the
/// moved file, still locked (not open when there was no file to move).
platform::TPosixFile MoveToBackup(const std::string& path, const std::string& backup)
{
    using platform::EPlatformError;
    using platform::TPosixFile;
    using platform::TShareMode;

    TPosixFile held;
    if (platform::FileExists(path))
        held = TPosixFile::OpenExisting(path, false, TShareMode::Exclusive);
    if (platform::FileExists(backup)) {
        try {
            TPosixFile oldBackup = TPosixFile::OpenExisting(backup, false, TShareMode::Exclusive);
            platform::DeleteFile(backup);
        } catch (const EPlatformError& e) {
            throw EPlatformError("The old backup " + backup + " cannot be removed: " + e.what());
        }
    }
    if (held.IsOpen()) {
        try {
            platform::RenameFile(path, backup);
        } catch (const EPlatformError& e) {
            throw EPlatformError("The file cannot be moved to its backup " + backup + ": " + e.what());
        }
    }
    return held;
}

/// A new file at `path` that takes the place of `old` (the file moved to its backup, or
/// none): a private document stays private, a shared one stays shared.
platform::TPosixFile CreateInPlaceOf(const std::string& path, const platform::TPosixFile& old)
{
    if (!old.IsOpen())
        return platform::TPosixFile::CreateNew(path);
    const mode_t permissions = old.Permissions();
    // Created no more open than the old file, then given back the bits the umask took.
    platform::TPosixFile file = platform::TPosixFile::CreateNew(path, permissions);
    file.SetPermissions(permissions);
    return file;
}

void CopyContents(platform::TPosixFile& from, platform::TPosixFile& to)
{
    std::vector<char> buffer(64 * 1024);
    std::uint64_t offset = 0;
    for (;;) {
        const std::size_t got = from.ReadAt(offset, buffer.data(), buffer.size());
        if (got == 0)
            break;
        to.WriteAt(offset, buffer.data(), got);
        offset += got;
    }
}

/// Keeps nothing and counts the bytes written to it. Small writes land in a scratch window,
/// as in a file's buffer, and are counted when it fills: a dry run of a record costs about
/// what its real write costs.
class TCountingStream final : public TStream {
public:
    TCountingStream() { Settle(); }
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void*, std::size_t n) override
    {
        Settle();
        position_ += n;
        size_ = std::max(size_, position_);
        return n;
    }
    void Seek(std::uint64_t position) override
    {
        Settle();
        position_ = position;
    }
    std::uint64_t Position() const override { return position_ + static_cast<std::uint64_t>(putNext_ - scratch_); }
    std::uint64_t Size() const override { return std::max(size_, Position()); }

private:
    /// Counts what the window holds and empties it.
    void Settle()
    {
        if (putNext_ != nullptr)
            position_ = Position();
        size_ = std::max(size_, position_);
        putNext_ = scratch_;
        putEnd_ = scratch_ + sizeof scratch_;
    }

    std::uint64_t position_ = 0;
    std::uint64_t size_ = 0;
    std::uint8_t scratch_[4096];
};

} // namespace

std::string BackupFileName(const std::string& fullPath)
{
    const std::size_t slash = fullPath.find_last_of('/');
    const std::size_t dot = fullPath.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || fullPath.size() - dot - 1 < 2)
        throw EInvalidPersistentFileAction(
            "No backup name can be formed: the file name needs an extension of at least two characters");
    return fullPath.substr(0, dot + 1) + "_" + fullPath.substr(dot + 1, 2);
}

// ---- Opening ------------------------------------------------------------------

TKelObjectFile::TKelObjectFile(TDeferredOpen)
{
}

TKelObjectFile::TKelObjectFile(const std::string& fileName, TOpenMode mode)
{
    Open(fileName, mode);
}

TKelObjectFile::TKelObjectFile(TStream& stream, TOpenMode mode, const std::string& name)
{
    Open(stream, mode, name);
}

TKelObjectFile::~TKelObjectFile()
{
    try {
        Close(false);
    } catch (...) {
        // Errors while writing the class table at close are ignored by design.
    }
}

void TKelObjectFile::CheckVersionAndName(const std::string& fileName) const
{
    if (CurrentVersion() == 0)
        throw EInvalidPersistentFileAction("SetCurrentVersion must be called before using TKelObjectFile");
    if (fileName.size() < 2)
        throw EInvalidPersistentFileAction("Db File Name must be more than one character::<" + fileName + ">");
}

void TKelObjectFile::Open(const std::string& fileName, TOpenMode mode)
{
    CheckVersionAndName(fileName);
    fullPath_ = fileName;
    GuardOpeningSteps([&] {
        fullPath_ = platform::FullPathName(fileName);
        OpenPlatformFile(mode);
        ReadHeaderAndClassTable(mode);
    });
}

void TKelObjectFile::Open(TStream& stream, TOpenMode mode, const std::string& name)
{
    if (CurrentVersion() == 0)
        throw EInvalidPersistentFileAction("SetCurrentVersion must be called before using TKelObjectFile");
    fullPath_ = name;
    GuardOpeningSteps([&] {
        PrepareStream(stream, mode);
        ReadHeaderAndClassTable(mode);
    });
}

void TKelObjectFile::GuardOpeningSteps(const std::function<void()>& steps)
{
    // Whatever goes wrong while opening reaches the caller wrapped with the full
    // path, and leaves nothing open behind it.
    try {
        steps();
    } catch (const std::exception& e) {
        DiscardFailedOpen();
        throw EInvalidPersistentFileAction("File Open Failed::" + std::string(e.what()) + "::" + fullPath_);
    } catch (...) {
        DiscardFailedOpen();
        throw EInvalidPersistentFileAction("File Open Failed::Unknown error::" + fullPath_);
    }
}

void TKelObjectFile::OpenPlatformFile(TOpenMode mode)
{
    using platform::TPosixFile;
    using platform::TShareMode;
    const std::string& path = fullPath_;

    TPosixFile file;
    bool fresh = false;
    auto openOrCreate = [&](TShareMode share) {
        if (platform::FileExists(path)) {
            file = TPosixFile::OpenExisting(path, true, share);
        } else {
            file = TPosixFile::CreateNew(path);
            fresh = true;
        }
    };

    switch (mode) {
    case fmDbRead:
        file = TPosixFile::OpenExisting(path, false, TShareMode::Shared);
        break;
    case fmDbCreate:
        BackupFileName(path);
        // Lock first, then empty: a file another opener holds is never destroyed.
        if (platform::FileExists(path)) {
            file = TPosixFile::OpenExisting(path, true, TShareMode::Exclusive);
            file.Truncate(0);
            fresh = true;
        } else {
            openOrCreate(TShareMode::Exclusive);
        }
        break;
    case fmDbUpdate:
        BackupFileName(path);
        openOrCreate(TShareMode::Exclusive);
        break;
    case fmDbCreateBackup: {
        const TPosixFile moved = MoveToBackup(path, BackupFileName(path));
        file = CreateInPlaceOf(path, moved);
        fresh = true;
        break;
    }
    case fmDbUpdateBackup: {
        TPosixFile moved = MoveToBackup(path, BackupFileName(path));
        if (moved.IsOpen()) {
            // The copy back never overwrites: CreateNew fails if the name was taken meanwhile.
            file = CreateInPlaceOf(path, moved);
            CopyContents(moved, file);
        } else {
            openOrCreate(TShareMode::Exclusive);
        }
        break;
    }
    case fmDbOpen:
        if (!AllowsDbOpen())
            throw EInvalidPersistentFileAction("Illegal use of fmDbOpen Mode");
        BackupFileName(path);
        openOrCreate(TShareMode::Shared);
        break;
    default:
        throw EInvalidPersistentFileAction("Unknown Open Mode");
    }
    if (fresh)
        WriteNewHeader(file);
    file_ = std::make_unique<TFileStream>(std::move(file));
    stream_.Attach(file_.get());
}

void TKelObjectFile::PrepareStream(TStream& stream, TOpenMode mode)
{
    switch (mode) {
    case fmDbRead:
        stream_.Attach(&stream);
        break;
    case fmDbCreate:
        if (stream.Size() != 0)
            throw EInvalidPersistentFileAction("A new object file needs an empty stream");
        stream_.Attach(&stream);
        WriteNewHeader(stream_);
        break;
    case fmDbUpdate:
        stream_.Attach(&stream);
        if (stream.Size() == 0)
            WriteNewHeader(stream_);
        break;
    case fmDbUpdateBackup:
    case fmDbCreateBackup:
        throw EInvalidPersistentFileAction("A backup can only be made of a named file");
    case fmDbOpen:
        if (!AllowsDbOpen())
            throw EInvalidPersistentFileAction("Illegal use of fmDbOpen Mode");
        stream_.Attach(&stream);
        if (stream.Size() == 0)
            WriteNewHeader(stream_);
        break;
    default:
        throw EInvalidPersistentFileAction("Unknown Open Mode");
    }
    // A new header is in the stream as soon as the file is open, as in a file on disk.
    stream_.WritePending();
}

void TKelObjectFile::ReadHeaderAndClassTable(TOpenMode mode)
{
    stream_.Seek(0);
    FileType = stream_.ReadU32("the file type");
    if (!IsAcceptableType(FileType))
        throw EInvalidPersistentFileAction("File is Not of Acceptable Type");
    Ok = true;
    Writable = mode != fmDbRead;
    ReadsRefs = !IsCreateMode(mode);
    classTable_.clear();
    TablePos = stream_.ReadU32("the class table position");
    if (TablePos > kMaxFileSize)
        throw EInvalidPersistentFileAction("Damaged file: the class table position " + std::to_string(TablePos)
            + " lies past the format's limit of " + std::to_string(kMaxFileSize) + " bytes");
    if (TablePos != 0) {
        stream_.Seek(TablePos);
        TStringList names(true);
        ReadList(&names, nullptr);
        classTable_.reserve(static_cast<std::size_t>(names.Count()));
        for (int i = 0; i < names.Count(); ++i)
            classTable_.push_back({ names.Strings(i), nullptr });
        stream_.Seek(kHeaderSize);
        // What is written next replaces the old class table.
        if (IsUpdateMode(mode))
            stream_.Seek(TablePos);
    }
    opened_ = true;
}

void TKelObjectFile::DiscardFailedOpen() noexcept
{
    Ok = false;
    classTable_.clear();
    stream_.Detach();
    file_.reset(); // closes the file, writing nothing more
    closed_ = true;
}

// ---- Class table --------------------------------------------------------------

bool TKelObjectFile::IsAcceptableType(std::uint32_t fileType) const
{
    return fileType == kFileType || fileType == kAlternateFileType;
}

bool TKelObjectFile::AllowsDbOpen() const
{
    return false;
}

void TKelObjectFile::ClassTableMissed()
{
}

void TKelObjectFile::AddClassTableEntry(std::string name, const TPersistentClass* cls)
{
    if (classTable_.size() >= kMaxClassTableEntries)
        throw EInvalidPersistentFileAction(
            "The class table is full (" + std::to_string(kMaxClassTableEntries) + " classes)");
    classTable_.push_back({ std::move(name), cls });
}

std::int32_t TKelObjectFile::ClassRefNo(TObject* object)
{
    TKelPersistFileObject* persistent = object != nullptr ? object->AsPersistent() : nullptr;
    if (persistent == nullptr)
        return -1;
    persistent->RefNoLookup = TKelPersistFileObject::TRefNoLookup::Bind<&TKelObjectFile::ClassRefNo>(this);
    const std::string& name = persistent->ClassName();
    for (std::size_t i = 0; i < classTable_.size(); ++i) {
        TClassEntry& entry = classTable_[i];
        if (entry.name == name) {
            if (entry.cls == nullptr)
                entry.cls = GetRegisteredClass(name);
            return static_cast<std::int32_t>(i);
        }
    }
    const TPersistentClass* cls = GetRegisteredClass(name);
    AddClassTableEntry(name, cls);
    return static_cast<std::int32_t>(classTable_.size() - 1);
}

const TPersistentClass* TKelObjectFile::ClassForRef(std::int32_t refNo)
{
    for (;;) {
        if (refNo >= 0 && static_cast<std::size_t>(refNo) < classTable_.size()) {
            TClassEntry& entry = classTable_[static_cast<std::size_t>(refNo)];
            if (entry.cls == nullptr)
                entry.cls = GetRegisteredClass(entry.name);
            return entry.cls;
        }
        const std::size_t before = classTable_.size();
        ClassTableMissed();
        if (classTable_.size() == before)
            return nullptr;
    }
}

// ---- Objects and lists ----------------------------------------------------------

void TKelObjectFile::RequireOpen() const
{
    if (stream_.Inner() == nullptr)
        throw EInvalidPersistentFileAction("The object file is closed");
}

void TKelObjectFile::RequireReadable() const
{
    RequireOpen();
    // A file opened for creating has no class table to read references against.
    if (!ReadsRefs)
        throw EInvalidPersistentFileAction("Objects cannot be read from a file opened for creating");
}

void TKelObjectFile::RequireWritable() const
{
    RequireOpen();
    if (!Writable)
        throw EInvalidPersistentFileAction("The object file is open for reading only");
}

void TKelObjectFile::WriteObject(TObject* object)
{
    RequireWritable();
    if (object == nullptr) {
        stream_.WriteU16(kNoObject);
        return;
    }
    const std::int32_t refNo = ClassRefNo(object);
    if (refNo < 0)
        throw EInvalidPersistentFileAction("Only persistent objects can be written to an object file");
    stream_.WriteU16(static_cast<std::uint16_t>(refNo));
    static_cast<TKelPersistFileObject*>(object)->WriteToStream(stream_);
}

std::unique_ptr<TKelPersistFileObject> TKelObjectFile::ReadObject(TStringList* ownerList, TObject* owner)
{
    RequireReadable();
    const std::uint16_t refNo = stream_.ReadU16("an object's class reference number");
    if (refNo == kNoObject || !Ok)
        return nullptr;
    std::unique_ptr<TKelPersistFileObject> object;
    if (const TPersistentClass* cls = ClassForRef(refNo))
        object = cls->Create(ownerList, owner);
    if (!object) {
        Ok = false;
        std::string message = "Unregistered Object on Stream Ref No=" + std::to_string(refNo);
        if (refNo < classTable_.size())
            message += ">>" + classTable_[refNo].name;
        throw std::runtime_error(message + "  ");
    }
    if (owner == nullptr || owner->AsPersistent() == nullptr)
        object->ClassLookup = TKelPersistFileObject::TClassLookup::Bind<&TKelObjectFile::ClassForRef>(this);
    object->ReadFromStream(stream_);
    return object;
}

std::uint64_t TKelObjectFile::BytesToWrite(const TStringList& list)
{
    std::uint64_t bytes = 6; // start marker, count, end marker
    for (int i = 0; i < list.Count(); ++i) {
        const std::size_t length = list.Strings(i).size();
        if (length > kMaxEntryText)
            throw EInvalidPersistentFileAction("Entry " + std::to_string(i) + " of a list is " + std::to_string(length)
                + " bytes long: the format holds at most " + std::to_string(kMaxEntryText));
        bytes += 1 + length + 2; // length byte, text, class reference number
        TObject* object = list.Objects(i);
        if (object == nullptr)
            continue;
        // A record's size is what it writes: a dry run, numbered as the real one will be.
        if (ClassRefNo(object) < 0)
            throw EInvalidPersistentFileAction("Only persistent objects can be written to an object file");
        TCountingStream counter;
        static_cast<TKelPersistFileObject*>(object)->WriteToStream(counter);
        bytes += counter.Size();
    }
    return bytes;
}

void TKelObjectFile::WriteList(const TStringList* list)
{
    RequireWritable();
    const int count = list != nullptr ? list->Count() : 0;
    if (count > kMaxListEntries)
        throw EInvalidPersistentFileAction("A list of " + std::to_string(count)
            + " entries cannot be stored: the format holds at most " + std::to_string(kMaxListEntries));
    // Everything that could stop the list half-way is checked before the first byte.
    const std::uint64_t bytes = count > 0 ? BytesToWrite(*list) : 6;
    const std::uint64_t position = stream_.Position();
    if (position > kMaxFileSize || bytes > kMaxFileSize - position)
        stream_.RefuseGrowth(position, bytes);

    stream_.WriteU16(kListStartMarker);
    stream_.WriteI16(static_cast<std::int16_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::string& text = list->Strings(i);
        stream_.WriteU8(static_cast<std::uint8_t>(text.size()));
        if (!text.empty())
            stream_.WriteExact(text.data(), text.size(), "a list entry's text");
        WriteObject(list->Objects(i));
    }
    stream_.WriteU16(kListEndMarker);
}

void TKelObjectFile::ReadList(TStringList* list, TObject* owner)
{
    if (list == nullptr || !Ok)
        return;
    RequireReadable();
    if (!list->Empty())
        throw EInvalidPersistentFileAction("Read List With Existing Data " + std::to_string(list->Count()));
    const std::uint16_t start = stream_.ReadU16("a list's start marker");
    if (start != kAlternateListStartMarker && start != kListStartMarker)
        throw EInvalidPersistentFileAction("Mis Constructed AnsiString Start Reg No= " + std::to_string(start));
    const std::int16_t count = stream_.ReadI16("a list's entry count");
    if (count > 0) {
        // Each entry holds at least its length byte and its class reference number.
        const std::uint64_t leastBytes = static_cast<std::uint64_t>(count) * 3 + 2;
        if (leastBytes > stream_.Remaining())
            throw EInvalidPersistentFileAction("Damaged file: a list at offset "
                + std::to_string(stream_.Position() - 4) + " claims " + std::to_string(count) + " entries, but only "
                + std::to_string(stream_.Remaining()) + " bytes remain");
        list->Reserve(count);
    }
    TLiveObjectsHold hold;
    for (int i = 0; i < count && Ok; ++i) {
        const std::uint8_t length = stream_.ReadU8("a list entry's text length");
        char scratch[256];
        std::string text(stream_.ReadInPlace(length, scratch, "a list entry's text"), length);
        std::unique_ptr<TKelPersistFileObject> object = ReadObject(list, owner);
        list->Add(std::move(text), object.get());
        object.release(); // the list has it now
        hold.Take();
    }
    const std::uint16_t end = stream_.ReadU16("a list's end marker");
    if (end != kListEndMarker)
        throw EInvalidPersistentFileAction("Mis Constructed AnsiString End Reg No= " + std::to_string(end));
}

// ---- Closing ------------------------------------------------------------------

void TKelObjectFile::WriteClassTableAndPatchHeader()
{
    for (TClassEntry& entry : classTable_)
        entry.cls = nullptr;
    const std::uint64_t position = stream_.Position();
    if (position > kMaxFileSize)
        stream_.RefuseGrowth(position, 6);
    TablePos = static_cast<std::uint32_t>(position);
    TStringList names;
    names.Reserve(static_cast<int>(classTable_.size()));
    for (const TClassEntry& entry : classTable_)
        names.Add(entry.name);
    WriteList(&names);
    stream_.Seek(kTablePosOffset);
    stream_.WriteU32(TablePos);
}

void TKelObjectFile::Close(bool syncToDisk)
{
    if (closed_)
        return;
    closed_ = true;
    std::exception_ptr failure;
    if (opened_ && Writable) {
        try {
            WriteClassTableAndPatchHeader();
            if (syncToDisk)
                stream_.Flush();
            else
                stream_.WritePending();
        } catch (...) {
            failure = std::current_exception();
        }
    }
    classTable_.clear();
    stream_.Detach();
    if (file_) {
        try {
            file_->Close();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
        file_.reset();
    }
    if (failure)
        std::rethrow_exception(failure);
}

// ---- TKelObjectFileWithRawStrm ------------------------------------------------------

TKelObjectFileWithRawStrm::TKelObjectFileWithRawStrm(const std::string& fileName, TOpenMode mode)
    : TKelObjectFile(TDeferredOpen {})
{
    Open(fileName, mode);
}

TKelObjectFileWithRawStrm::TKelObjectFileWithRawStrm(TStream& stream, TOpenMode mode, const std::string& name)
    : TKelObjectFile(TDeferredOpen {})
{
    Open(stream, mode, name);
}

void TKelObjectFileWithRawStrm::WriteList(const TStringList* list)
{
    TKelObjectFile::WriteList(list);
}

void TKelObjectFileWithRawStrm::ReadList(TStringList* list, TObject* owner)
{
    TKelObjectFile::ReadList(list, owner);
}
