// Reader of theme packages over a byte source: single Microsoft cabinets
// ("MSCF" 1.3) with uncompressed folders and no reserved areas, their members'
// data, and the handheld setup file (".000") inside them that gives the files
// their final names and lists the theme's registry values.
//
// It needs nothing but a ByteSource, so a program without the desktop's file
// layer reads packages with it as they are; CabinetReader adds the opening by
// name and the extraction into a folder.
//
// Nothing here throws: I/O failures become results, and LastError() says why.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/ByteSource.h"
#include "base/Result.h"
#include "base/formats/CabinetLayout.h"
#include "editor/packages/SetupFile.h"

namespace mrw {

struct CabinetFileEntry {
    uint32_t size = 0;            // cbFile
    uint32_t folderOffset = 0;    // uoffFolderStart
    uint16_t attributes = 0;
    uint16_t folderIndex = 0;     // iFolder
    std::string name;             // as stored in the cabinet
    std::string targetName;       // final name from the setup file, empty until it is read
    uint32_t setupFlags = 0;
    bool renamed = false;         // the extracted file was given targetName
};

enum class CabinetError {
    None,
    OpenFailed,        // the file could not be opened or read
    TooShort,          // fewer than 36 bytes
    NotCabinet,        // no "MSCF" at offset 0
    BadVersion,        // not version 1.3
    ReservedAreas,     // header flag 0x0004: per-cabinet/folder/block reserved bytes
    MultiCabinet,      // part of a set spanning several cabinets
    BadFolderTable,    // folder records missing or beyond the end of the file
    BadFileTable,      // file table outside the file
    NameTooLong,       // a member name without NUL within 260 bytes
    FolderCreateFailed,
    CompressedFolder,  // data is compressed; only stored data is supported
    BadFolderIndex,
    BadDataOffset,     // a file does not start inside the current data block
    DataTruncated,     // a folder ran out of data blocks, or a block is damaged
    WriteFailed,
    UnsafeName,        // a member name that is not a plain file name
};
MRW_DEFINE_RESULT_NAMES(CabinetError, "None", "OpenFailed", "TooShort", "NotCabinet", "BadVersion", "ReservedAreas",
                        "MultiCabinet", "BadFolderTable", "BadFileTable", "NameTooLong", "FolderCreateFailed",
                        "CompressedFolder", "BadFolderIndex", "BadDataOffset", "DataTruncated", "WriteFailed",
                        "UnsafeName")

// Text for a CabinetError ("data is compressed", ...).
const char* CabinetErrorText(CabinetError error);

// True for a name that can only mean a file directly inside a folder, the
// same file on every desktop: not empty, not "." or "..", without "\", "/"
// or ":" (drive letters, streams), control characters or * ? " < > |, not
// ending in "." or a blank, and not a device name (CON, NUL, COM1 ...) with
// or without an extension.
bool IsPlainFileName(const std::string& name);

// Where an extraction puts the members' bytes.
class ExtractionTarget {
public:
    virtual ~ExtractionTarget() = default;
    // A sink for the bytes of `entry`, whose name is a plain file name;
    // nullptr when none can be made.
    virtual ByteSink* Begin(const CabinetFileEntry& entry) = 0;
    // Ends the member Begin gave a sink for; false when its bytes could not
    // all be kept.
    virtual bool End() = 0;
};

class CabinetArchive {
public:
    static constexpr size_t kBlockBufferSize = cabinet::kMaxBlockData;

    CabinetArchive();
    virtual ~CabinetArchive();
    CabinetArchive(const CabinetArchive&) = delete;
    CabinetArchive& operator=(const CabinetArchive&) = delete;

    // Reads the header, folder records and file table of the cabinet in
    // `source`, which stays in use (for the members' data) until Close or the
    // next Open and must live that long.
    bool Open(ByteSource& source);
    // Lets go of the source; the table read stays.
    void Close();

    // The members whose records lie whole in the file table; a table that is
    // cut short holds fewer than the header's count (DeclaredFileCount).
    size_t FileCount() const { return entries_.size(); }
    size_t DeclaredFileCount() const { return declaredFileCount_; }
    const CabinetFileEntry& File(size_t index) const { return entries_[index]; }
    // Name of the first member whose last 4 characters equal `suffix`; empty when none.
    std::string FindFileBySuffix(const std::string& suffix) const;
    // The first member whose name ends in ".NNN" for `id`; nullptr when none.
    const CabinetFileEntry* FindFileById(int id) const;
    // Reads one member into memory; false when it cannot be read in full (its
    // folder is compressed, its data is missing).
    bool ReadMember(size_t index, std::vector<uint8_t>& out);
    // Passes every member in table order to `target`, each read on from where
    // the one before it ended. A member that is no plain file name has its
    // bytes passed over (UnsafeName) and the others still go; a compressed
    // folder or data not where the table says ends the extraction. 1 = every
    // member was given in full, 0 = a failure (LastError says which).
    int Extract(ExtractionTarget& target);

    // Reads the ".000" member straight from the cabinet, sets the final names
    // and flags of the entries but renames nothing (listing). 1 = read, 0 = not.
    virtual int ReadSetupFileFromCabinet();

    const std::string& ApplicationName() const { return setup_.applicationName; }
    const std::string& ProviderName() const { return setup_.providerName; }
    const std::vector<std::string>& UnsupportedPlatforms() const { return setup_.unsupportedPlatforms; }
    const std::vector<std::string>& Strings() const { return setup_.strings; }
    const std::vector<SetupRegistryKey>& Keys() const { return setup_.keys; }
    const std::vector<SetupRegistryValue>& Values() const { return setup_.values; }

    // The INF form of the key with that id; false when there is none.
    bool KeyPath(uint16_t keyId, std::string& text) const;
    // The registry values in record order; nullptr after the last.
    const SetupRegistryValue* FirstValue();
    const SetupRegistryValue* NextValue();

    CabinetError LastError() const { return error_; }

protected:
    // Open on a source, or with nullptr the state of a source that could not
    // be opened (everything cleared, OpenFailed).
    bool OpenFrom(ByteSource* source);
    void SetError(CabinetError error) { error_ = error; }

    // Forgets what a setup file said (names, flags, registry values).
    void ClearSetup();
    // Takes the parsed setup file: final names and flags onto the entries, and
    // when `rename` RenameMember for each whose cabinet and final names are
    // both plain file names.
    void ApplySetupFile(SetupFileContent content, bool rename);
    // Gives the extracted file of `entry` its final name; true when done. The
    // archive itself extracts nothing: false.
    virtual bool RenameMember(const CabinetFileEntry& entry);

private:
    struct Folder {
        uint32_t dataStart = 0;  // coffCabStart
        uint16_t blockCount = 0;
        uint16_t compression = 0;
    };

    bool OpenImpl(ByteSource* source);
    int ExtractImpl(ExtractionTarget& target);
    bool IsCompressedFolder(size_t folder) const;
    void ResetStream();
    // Places the stream on a member's first byte for extraction, where each
    // member starts in the current block or in a folder not yet entered;
    // false when it does not lie there (or its folder cannot be entered).
    bool PositionStream(int folder, uint32_t offset);
    // Random access for ReadMember: from the folder's first block onwards.
    bool SeekStreamFrom(int folder, uint32_t offset);
    bool LoadFirstBlock(int folder);
    bool ReadNextBlock();
    bool ReadBlockAt(uint64_t position);
    bool ReadAt(uint64_t position, void* data, size_t size);
    // Passes `size` bytes of the stream to `out` (nullptr: skips them); false
    // when the data runs out (DataTruncated) or `out` fails (WriteFailed).
    bool CopyBytes(uint32_t size, ByteSink* out);

    ByteSource* source_ = nullptr;
    uint64_t sourceSize_ = 0;
    std::vector<Folder> folders_;
    std::vector<CabinetFileEntry> entries_;
    size_t declaredFileCount_ = 0;
    CabinetError error_ = CabinetError::None;

    std::unique_ptr<uint8_t[]> buffer_;
    size_t readPos_ = 0;
    size_t bytesLeft_ = 0;
    int currentFolder_ = -1;
    uint32_t blockIndex_ = 0;
    uint64_t blockStart_ = 0;   // offset of the block's first byte in the folder's data
    uint32_t blockSize_ = 0;
    uint64_t nextBlockPos_ = 0;  // source position of the next block header

    SetupFileContent setup_;
    size_t valueCursor_ = 0;
};

}  // namespace mrw
