#pragma once
// Object files: an 8-byte header, lists of texts with attached persistent objects
// and single objects in the order the caller writes them, and at the end a class
// table naming the classes of the stored objects. The byte layout is in
// KelFileFormat.h.
//
// A file is opened by constructing the object and closed by destroying it. The
// destructor writes the class table of a writable file and ignores any error, as
// it must; Close() does the same work and raises, for callers (saving a document)
// that need to know the file is complete.

#include "persist/KelFileFormat.h"
#include "persist/KelPermObjFileStm.h"
#include "persist/KelStream.h"
#include "persist/ObjectFileStream.h"
#include "persist/StringList.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using TOpenMode = std::uint16_t;
inline constexpr TOpenMode fmDbRead = 0; // read only, shared
inline constexpr TOpenMode fmDbCreate = 1; // a new file replaces the old one, exclusive
inline constexpr TOpenMode fmDbUpdate = 2; // append at the class table, exclusive
inline constexpr TOpenMode fmDbUpdateBackup = 14; // as fmDbUpdate, after copying the file to its backup
inline constexpr TOpenMode fmDbCreateBackup = 15; // as fmDbCreate, after moving the file to its backup
inline constexpr TOpenMode fmDbOpen = 16; // read and write, shared; only where AllowsDbOpen()

/// The backup name of a full path: the extension's dot, "_", the extension's first
/// two characters (draw.kks → draw._kk). Raises when the extension is shorter.
std::string BackupFileName(const std::string& fullPath);

class TFileStream;

class TKelObjectFile : public TObject {
public:
    /// Opens a file by name in one of the fm modes. Raises
    /// "SetCurrentVersion must be called before using TKelObjectFile", the short-name
    /// error, or "File Open Failed::" + reason + "::" + full path.
    TKelObjectFile(const std::string& fileName, TOpenMode mode);
    /// Opens an object file over a stream the caller keeps alive (memory, a test
    /// device). fmDbRead reads it; fmDbCreate needs an empty stream and writes the
    /// header; fmDbUpdate appends (writing the header into an empty stream). Errors
    /// are wrapped as for files, with `name` in place of the full path.
    TKelObjectFile(TStream& stream, TOpenMode mode, const std::string& name);
    ~TKelObjectFile() override;

    virtual bool IsAcceptableType(std::uint32_t fileType) const;
    /// The class reference number of the object's class (-1 for an object that is not
    /// persistent), adding the class to the table when it is new.
    virtual std::int32_t ClassRefNo(TObject* object);
    virtual bool AllowsDbOpen() const;
    /// Called when a class reference number is beyond the table; may extend it.
    virtual void ClassTableMissed();
    virtual void WriteObject(TObject* object);
    /// The next object of the file (nullptr for "no object"); the caller owns it.
    virtual std::unique_ptr<TKelPersistFileObject> ReadObject(TStringList* ownerList, TObject* owner);

    /// The class of a reference number, or nullptr when the table has no such entry.
    const TPersistentClass* ClassForRef(std::int32_t refNo);

    /// Writes a list and its objects. Refuses, before writing anything, more than
    /// 32,767 entries, a text over 255 bytes, an object that is not persistent, and
    /// a list that cannot fit below the size limit with its records. A null list is
    /// written empty.
    void WriteList(const TStringList* list);
    /// Appends the next list of the file to an empty `list`; its objects get `list`
    /// as owner list and `owner` as owner, and the list receives them (an owning
    /// list frees them). Nothing happens for a null list or after a failed read.
    void ReadList(TStringList* list, TObject* owner);

    /// Writes the class table of a writable file, patches TablePos, optionally syncs
    /// to disk, and closes; raises if any of it fails. The file is closed afterwards
    /// in every case, and destruction then does nothing more.
    void Close(bool syncToDisk = false);

    bool Writable = false;
    bool ReadsRefs = false;
    bool Ok = false;
    std::uint32_t TablePos = 0;
    std::uint32_t FileType = 0;

    const std::string& FullPath() const { return fullPath_; }
    int ClassTableCount() const { return static_cast<int>(classTable_.size()); }
    const std::string& ClassTableName(int index) const { return classTable_.at(static_cast<std::size_t>(index)).name; }

protected:
    /// For derived classes: their constructors call Open() themselves, so that the
    /// virtual operations consulted while opening are their own.
    struct TDeferredOpen { };
    explicit TKelObjectFile(TDeferredOpen);
    void Open(const std::string& fileName, TOpenMode mode);
    void Open(TStream& stream, TOpenMode mode, const std::string& name);

    /// Appends a class table entry; for derived classes extending the table in ClassTableMissed.
    void AddClassTableEntry(std::string name, const TPersistentClass* cls = nullptr);

private:
    struct TClassEntry {
        std::string name;
        const TPersistentClass* cls = nullptr;
    };

    void CheckVersionAndName(const std::string& fileName) const;
    void OpenPlatformFile(TOpenMode mode);
    void PrepareStream(TStream& stream, TOpenMode mode);
    void ReadHeaderAndClassTable(TOpenMode mode);
    void DiscardFailedOpen() noexcept;
    void GuardOpeningSteps(const std::function<void()>& steps);
    void RequireOpen() const;
    void RequireReadable() const;
    void RequireWritable() const;
    void WriteClassTableAndPatchHeader();
    /// The bytes a non-empty list will take with its records; refuses what cannot be written.
    std::uint64_t BytesToWrite(const TStringList& list);

    std::string fullPath_;
    std::unique_ptr<TFileStream> file_;
    TObjectFileStream stream_ { kelformat::kMaxFileSize };
    std::vector<TClassEntry> classTable_;
    bool opened_ = false;
    bool closed_ = false;
};

/// The object file whose list writing and reading can be overridden.
class TKelObjectFileWithRawStrm : public TKelObjectFile {
public:
    TKelObjectFileWithRawStrm(const std::string& fileName, TOpenMode mode);
    TKelObjectFileWithRawStrm(TStream& stream, TOpenMode mode, const std::string& name);

    virtual void WriteList(const TStringList* list);
    virtual void ReadList(TStringList* list, TObject* owner);

protected:
    explicit TKelObjectFileWithRawStrm(TDeferredOpen deferred)
        : TKelObjectFile(deferred)
    {
    }
};
