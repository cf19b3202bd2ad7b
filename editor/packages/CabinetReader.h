// Reader of theme packages: single Microsoft cabinets ("MSCF" 1.3) with
// uncompressed folders and no reserved areas, plus the handheld setup file
// (".000") inside them that gives the files their final names and lists the
// theme's registry values.
//
// Nothing here throws: I/O failures become results, and LastError() says why.
#pragma once
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

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

// Text for a CabinetError ("data is compressed", ...).
const char* CabinetErrorText(CabinetError error);

// True for a name that can only mean a file directly inside a folder, the
// same file on every desktop: not empty, not "." or "..", without "\", "/"
// or ":" (drive letters, streams), control characters or * ? " < > |, not
// ending in "." or a blank, and not a device name (CON, NUL, COM1 ...) with
// or without an extension.
bool IsPlainFileName(const std::string& name);

class CabinetReader {
public:
    static constexpr size_t kBlockBufferSize = 32768;

    CabinetReader();
    virtual ~CabinetReader();
    CabinetReader(const CabinetReader&) = delete;
    CabinetReader& operator=(const CabinetReader&) = delete;

    // Opens the package and reads its header, folder records and file table.
    bool Open(const std::string& path);
    void Close();

    // Extracts every member into the package's extraction folder (temporary
    // folder + "mrw" + base name), which is emptied first. 1 = every file was
    // written in full, 0 = a failure (files written so far stay).
    int ExtractAll();
    // The same into `folder` (created when missing, not emptied), which then
    // is the extraction folder the setup file is read from.
    int ExtractTo(const std::string& folder);
    std::string ExtractionFolder() const { return extractionFolder_; }
    const std::string& BaseName() const { return baseName_; }

    // The members whose records lie whole in the file table; a table that is
    // cut short holds fewer than the header's count (DeclaredFileCount).
    size_t FileCount() const { return entries_.size(); }
    size_t DeclaredFileCount() const { return declaredFileCount_; }
    const CabinetFileEntry& File(size_t index) const { return entries_[index]; }
    // Name of the first member whose last 4 characters equal `suffix`; empty when none.
    std::string FindFileBySuffix(const std::string& suffix) const;
    // The first member whose name ends in ".NNN" for `id`; nullptr when none.
    const CabinetFileEntry* FindFileById(int id) const;
    // Reads one member into memory without touching the disk; false when it
    // cannot be read in full (its folder is compressed, its data is missing).
    bool ReadMember(size_t index, std::vector<uint8_t>& out);

    // Reads extraction folder + name as the setup file, sets the members'
    // final names and flags and renames the extracted files. 1 = read, 0 = not.
    virtual int ReadSetupFile(const std::string& name);
    // Reads the ".000" member straight from the cabinet, sets the final names
    // and flags of the entries but renames nothing (listing).
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
    // Takes the parsed setup file: final names and flags onto the entries,
    // renaming the extracted files when `rename`.
    void ApplySetupFile(SetupFileContent content, bool rename);

private:
    struct Folder {
        uint32_t dataStart = 0;  // coffCabStart
        uint16_t blockCount = 0;
        uint16_t compression = 0;
    };

    bool OpenImpl(const std::string& path);
    int ExtractInto(const std::string& folder);
    bool BuildExtractionFolder();
    void EmptyExtractionFolder();
    bool PositionStream(int folder, uint32_t offset);
    bool SeekStreamFrom(int folder, uint32_t offset);
    bool LoadFirstBlock(int folder);
    bool ReadNextBlock();
    bool ReadBlockAt(uint64_t position);
    // Copies `size` bytes of the stream to `out` (nullptr: skips them).
    bool CopyBytes(uint32_t size, std::ostream* out, std::vector<uint8_t>* memory);
    void ResetStream();
    void ClearSetup();
    bool ReadAt(uint64_t position, void* data, size_t size);

    static constexpr uint64_t kUnknownPosition = ~uint64_t(0);
    std::ifstream file_;
    uint64_t fileSize_ = 0;
    uint64_t filePos_ = kUnknownPosition;  // where the next read of file_ starts
    std::vector<Folder> folders_;
    std::vector<CabinetFileEntry> entries_;
    size_t declaredFileCount_ = 0;
    std::string baseName_;
    std::string extractionFolder_;
    CabinetError error_ = CabinetError::None;

    std::unique_ptr<uint8_t[]> buffer_;
    size_t readPos_ = 0;
    size_t bytesLeft_ = 0;
    int currentFolder_ = -1;
    uint32_t blockIndex_ = 0;
    uint64_t blockStart_ = 0;   // offset of the block's first byte in the folder's data
    uint32_t blockSize_ = 0;
    uint64_t nextBlockPos_ = 0;  // file position of the next block header

    SetupFileContent setup_;
    size_t valueCursor_ = 0;
};

}  // namespace mrw
