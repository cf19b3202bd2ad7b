#include "editor/packages/CabinetArchive.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "base/AsciiText.h"
#include "base/ByteOrder.h"
#include "base/formats/CabinetLayout.h"
#include "base/formats/SetupFileLayout.h"

namespace mrw {

namespace {

// Appends to a vector; ReadMember's destination.
class VectorSink : public ByteSink {
public:
    explicit VectorSink(std::vector<uint8_t>& out) : out_(out) {}
    [[nodiscard]] bool Write(const void* data, size_t length) override {
        const auto* p = static_cast<const uint8_t*>(data);
        out_.insert(out_.end(), p, p + length);
        return true;
    }
    uint64_t Position() const override { return out_.size(); }

private:
    std::vector<uint8_t>& out_;
};

}  // namespace

const char* CabinetErrorText(CabinetError error) {
    switch (error) {
        case CabinetError::None: return "no error";
        case CabinetError::OpenFailed: return "the file cannot be opened or read";
        case CabinetError::TooShort: return "the file is too short for a cabinet";
        case CabinetError::NotCabinet: return "the file is not a cabinet (no MSCF signature)";
        case CabinetError::BadVersion: return "unsupported cabinet version (1.3 expected)";
        case CabinetError::ReservedAreas: return "cabinets with reserved areas are not supported";
        case CabinetError::MultiCabinet: return "cabinets spanning several files are not supported";
        case CabinetError::BadFolderTable: return "the folder table is missing or damaged";
        case CabinetError::BadFileTable: return "the file table is missing or damaged";
        case CabinetError::NameTooLong: return "a member name is longer than 259 bytes";
        case CabinetError::FolderCreateFailed: return "the extraction folder cannot be created";
        case CabinetError::CompressedFolder: return "the data is compressed (only stored data is supported)";
        case CabinetError::BadFolderIndex: return "a member refers to a folder that does not exist";
        case CabinetError::BadDataOffset: return "a member's data does not lie where the cabinet says";
        case CabinetError::DataTruncated: return "the cabinet's data is cut short or damaged";
        case CabinetError::WriteFailed: return "an extracted file cannot be written";
        case CabinetError::UnsafeName: return "a member name is not a plain file name";
    }
    return "unknown error";
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr) return false;
    }
    // The desktop drops a final dot or blank ("x.gif." opens "x.gif").
    if (name.back() == '.' || name.back() == ' ') return false;
    // Device names, with any extension, open the device instead of a file.
    std::string device = ascii::ToUpper(std::string_view(name).substr(0, name.find('.')));
    while (!device.empty() && device.back() == ' ') device.pop_back();
    if (device == "CON" || device == "PRN" || device == "AUX" || device == "NUL") return false;
    if (device.size() == 4 && (device.compare(0, 3, "COM") == 0 || device.compare(0, 3, "LPT") == 0) &&
        device[3] >= '1' && device[3] <= '9')
        return false;
    return true;
}

CabinetArchive::CabinetArchive() : buffer_(new uint8_t[kBlockBufferSize]) {}

CabinetArchive::~CabinetArchive() = default;

bool CabinetArchive::Open(ByteSource& source) { return OpenFrom(&source); }

bool CabinetArchive::OpenFrom(ByteSource* source) {
    try {
        return OpenImpl(source);
    } catch (const std::exception&) {
        Close();
        error_ = CabinetError::OpenFailed;
        return false;
    }
}

void CabinetArchive::Close() {
    source_ = nullptr;
    sourceSize_ = 0;
    ResetStream();
}

bool CabinetArchive::ReadAt(uint64_t position, void* data, size_t size) {
    if (source_ == nullptr || position > sourceSize_ || size > sourceSize_ - position) return false;
    return source_->ReadAt(position, data, size);
}

bool CabinetArchive::OpenImpl(ByteSource* source) {
    namespace cab = cabinet;
    Close();
    folders_.clear();
    entries_.clear();
    declaredFileCount_ = 0;
    ClearSetup();
    error_ = CabinetError::None;
    if (source == nullptr) {
        error_ = CabinetError::OpenFailed;
        return false;
    }
    source_ = source;
    sourceSize_ = source->Size();

    uint8_t header[cab::kHeaderSize];
    if (!ReadAt(0, header, sizeof header)) {
        error_ = CabinetError::TooShort;
        return false;
    }
    if (std::memcmp(header + cab::header::kSignature, cab::kSignature, sizeof cab::kSignature) != 0) {
        error_ = CabinetError::NotCabinet;
        return false;
    }
    if (le::U16(header + cab::header::kVersion) != cab::kVersion) {
        error_ = CabinetError::BadVersion;
        return false;
    }
    const uint16_t flags = le::U16(header + cab::header::kFlags);
    // Reserved areas and set links put extra fields after the header; the
    // records would then not lie where this reader looks for them.
    if (flags & cab::kFlagReserve) {
        error_ = CabinetError::ReservedAreas;
        return false;
    }
    if (flags & (cab::kFlagPreviousCabinet | cab::kFlagNextCabinet)) {
        error_ = CabinetError::MultiCabinet;
        return false;
    }
    const uint32_t coffFiles = le::U32(header + cab::header::kFilesOffset);
    const unsigned folderCount = le::U16(header + cab::header::kFolderCount);
    const unsigned fileCount = le::U16(header + cab::header::kFileCount);
    declaredFileCount_ = fileCount;

    if (folderCount == 0) {
        if (fileCount == 0) return true;  // an empty cabinet
        error_ = CabinetError::BadFolderTable;
        return false;
    }
    std::vector<uint8_t> folderBytes(folderCount * cab::kFolderSize);
    if (!ReadAt(cab::kFolderTableOffset, folderBytes.data(), folderBytes.size())) {
        error_ = CabinetError::BadFolderTable;
        return false;
    }
    folders_.resize(folderCount);
    for (unsigned i = 0; i < folderCount; ++i) {
        const uint8_t* r = folderBytes.data() + i * cab::kFolderSize;
        folders_[i].dataStart = le::U32(r + cab::folder::kDataOffset);
        folders_[i].blockCount = le::U16(r + cab::folder::kBlockCount);
        folders_[i].compression = le::U16(r + cab::folder::kCompression);
    }

    // The file table runs from coffFiles to the first folder's data; both
    // ends must lie inside the source before anything is allocated.
    const uint32_t tableEnd = folders_[0].dataStart;
    if (tableEnd < coffFiles || tableEnd > sourceSize_) {
        folders_.clear();
        error_ = CabinetError::BadFileTable;
        return false;
    }
    std::vector<uint8_t> table(tableEnd - coffFiles);
    if (!table.empty() && !ReadAt(coffFiles, table.data(), table.size())) {
        folders_.clear();
        error_ = CabinetError::BadFileTable;
        return false;
    }
    // Records are parsed up to the end of the table: a count larger than the
    // table holds leaves the complete records that are there.
    constexpr size_t kFixed = cab::kFileFixedSize;
    size_t pos = 0;
    entries_.reserve(std::min<size_t>(fileCount, table.size() / (kFixed + 1)));
    for (unsigned i = 0; i < fileCount; ++i) {
        if (table.size() - pos < kFixed + 1) break;
        const uint8_t* r = table.data() + pos;
        const size_t nameRoom = std::min(table.size() - pos - kFixed, cab::kMaxReadNameBytes);
        const void* nul = std::memchr(r + cab::file::kName, 0, nameRoom);
        if (nul == nullptr) {
            if (nameRoom == cab::kMaxReadNameBytes) error_ = CabinetError::NameTooLong;
            break;
        }
        const size_t nameLength = static_cast<const uint8_t*>(nul) - (r + cab::file::kName);
        CabinetFileEntry entry;
        entry.size = le::U32(r + cab::file::kSize);
        entry.folderOffset = le::U32(r + cab::file::kFolderOffset);
        entry.folderIndex = le::U16(r + cab::file::kFolderIndex);
        entry.attributes = le::U16(r + cab::file::kAttributes);
        entry.name.assign(reinterpret_cast<const char*>(r + cab::file::kName), nameLength);
        entries_.push_back(std::move(entry));
        pos += kFixed + nameLength + 1;
    }
    if (error_ != CabinetError::None) {
        entries_.clear();
        folders_.clear();
        return false;
    }
    return true;
}

std::string CabinetArchive::FindFileBySuffix(const std::string& suffix) const {
    if (suffix.size() != 4) return std::string();
    for (const auto& e : entries_) {
        if (e.name.size() >= 4 && e.name.compare(e.name.size() - 4, 4, suffix) == 0) return e.name;
    }
    return std::string();
}

const CabinetFileEntry* CabinetArchive::FindFileById(int id) const {
    if (id < 0 || id > setupfile::kMaxMemberId) return nullptr;
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%03i", id);
    for (const auto& e : entries_) {
        if (e.name.size() >= 4 && e.name.compare(e.name.size() - 4, 4, suffix) == 0) return &e;
    }
    return nullptr;
}

// ---- member data ------------------------------------------------------------

bool CabinetArchive::IsCompressedFolder(size_t folder) const {
    return folder < folders_.size() && (folders_[folder].compression & cabinet::kCompressionMask) != 0;
}

void CabinetArchive::ResetStream() {
    readPos_ = 0;
    bytesLeft_ = 0;
    currentFolder_ = -1;
    blockIndex_ = 0;
    blockStart_ = 0;
    blockSize_ = 0;
    nextBlockPos_ = 0;
}

bool CabinetArchive::ReadBlockAt(uint64_t position) {
    uint8_t header[cabinet::kDataHeaderSize];
    if (!ReadAt(position, header, sizeof header)) return false;
    const uint32_t size = le::U16(header + cabinet::data::kStoredSize);
    if (size > kBlockBufferSize) return false;
    // A cabinet cut short inside a block still gives the bytes that are
    // there: the block holds what could be read, and a member running past
    // them stays short.
    const uint64_t dataAt = position + cabinet::kDataHeaderSize;
    const uint32_t present = static_cast<uint32_t>(std::min<uint64_t>(size, sourceSize_ - dataAt));
    if (!ReadAt(dataAt, buffer_.get(), present)) return false;
    nextBlockPos_ = dataAt + size;
    blockSize_ = present;
    readPos_ = 0;
    bytesLeft_ = present;
    return true;
}

bool CabinetArchive::LoadFirstBlock(int folder) {
    currentFolder_ = -1;
    const Folder& f = folders_[folder];
    if ((f.compression & cabinet::kCompressionMask) != 0) {
        error_ = CabinetError::CompressedFolder;
        return false;
    }
    if (f.blockCount == 0) {
        // A folder without data: only empty files can lie in it.
        blockSize_ = 0;
        readPos_ = 0;
        bytesLeft_ = 0;
        nextBlockPos_ = f.dataStart;
    } else if (!ReadBlockAt(f.dataStart)) {
        error_ = CabinetError::DataTruncated;
        return false;
    }
    currentFolder_ = folder;
    blockIndex_ = 0;
    blockStart_ = 0;
    return true;
}

bool CabinetArchive::ReadNextBlock() {
    if (currentFolder_ < 0 || blockIndex_ + 1 >= folders_[currentFolder_].blockCount) return false;
    const uint32_t previous = blockSize_;
    if (!ReadBlockAt(nextBlockPos_)) return false;
    blockStart_ += previous;
    ++blockIndex_;
    return true;
}

// Members are extracted in table order and each starts where the one before
// it ended, so the stream only ever moves inside the current block or on to
// a new folder.
bool CabinetArchive::PositionStream(int folder, uint32_t offset) {
    if (folder != currentFolder_) {
        if (folder < 0 || folder >= static_cast<int>(folders_.size())) return false;
        if (!LoadFirstBlock(folder)) return false;
    }
    if (offset < blockStart_ || offset > blockStart_ + blockSize_) return false;
    // Start at the member's own first byte, not wherever the last one ended.
    readPos_ = static_cast<size_t>(offset - blockStart_);
    bytesLeft_ = blockSize_ - readPos_;
    return true;
}

bool CabinetArchive::SeekStreamFrom(int folder, uint32_t offset) {
    if (folder < 0 || folder >= static_cast<int>(folders_.size())) return false;
    if (folder != currentFolder_ || offset < blockStart_) {
        if (!LoadFirstBlock(folder)) return false;
    }
    while (offset > blockStart_ + blockSize_) {
        if (!ReadNextBlock()) return false;
    }
    readPos_ = static_cast<size_t>(offset - blockStart_);
    bytesLeft_ = blockSize_ - readPos_;
    return true;
}

bool CabinetArchive::CopyBytes(uint32_t size, ByteSink* out) {
    uint32_t remaining = size;
    // A sink that failed once is not written to again; the failure is
    // reported when the member's bytes have all been passed.
    bool writeFailed = false;
    auto emit = [&](size_t count) {
        if (count == 0 || out == nullptr || writeFailed) return;
        if (!out->Write(buffer_.get() + readPos_, count)) writeFailed = true;
    };
    while (bytesLeft_ < remaining) {
        emit(bytesLeft_);
        remaining -= static_cast<uint32_t>(bytesLeft_);
        readPos_ += bytesLeft_;
        bytesLeft_ = 0;
        if (!ReadNextBlock()) {
            if (error_ == CabinetError::None || error_ == CabinetError::UnsafeName) error_ = CabinetError::DataTruncated;
            return false;
        }
    }
    emit(remaining);
    readPos_ += remaining;
    bytesLeft_ -= remaining;
    if (writeFailed) {
        error_ = CabinetError::WriteFailed;
        return false;
    }
    return true;
}

bool CabinetArchive::ReadMember(size_t index, std::vector<uint8_t>& out) {
    out.clear();
    try {
        if (index >= entries_.size() || source_ == nullptr) return false;
        const CabinetFileEntry& e = entries_[index];
        // The data of a stored member cannot be larger than the cabinet.
        if (e.size > sourceSize_) {
            error_ = CabinetError::DataTruncated;
            return false;
        }
        if (!SeekStreamFrom(e.folderIndex, e.folderOffset)) {
            if (error_ == CabinetError::None) error_ = CabinetError::BadDataOffset;
            return false;
        }
        out.reserve(e.size);
        VectorSink sink(out);
        return CopyBytes(e.size, &sink);
    } catch (const std::exception&) {
        out.clear();
        return false;
    }
}

int CabinetArchive::Extract(ExtractionTarget& target) {
    error_ = CabinetError::None;
    try {
        return ExtractImpl(target);
    } catch (const std::exception&) {
        if (error_ == CabinetError::None) error_ = CabinetError::WriteFailed;
        return 0;
    }
}

int CabinetArchive::ExtractImpl(ExtractionTarget& target) {
    ResetStream();
    if (source_ == nullptr) {
        if (entries_.empty()) return 1;
        error_ = CabinetError::OpenFailed;
        return 0;
    }
    bool ok = true;
    for (const auto& entry : entries_) {
        // A member named "..\x" or "C:\x" would land outside the folder: its
        // bytes are passed over and the extraction reports the failure.
        const bool safe = IsPlainFileName(entry.name);
        if (IsCompressedFolder(entry.folderIndex)) {
            error_ = CabinetError::CompressedFolder;
            return 0;
        }
        // The member's data is found before its target is created: a member
        // that cannot be read leaves no empty file behind.
        if (!PositionStream(entry.folderIndex, entry.folderOffset)) {
            if (error_ == CabinetError::None || error_ == CabinetError::UnsafeName) {
                error_ = entry.folderIndex >= folders_.size() ? CabinetError::BadFolderIndex
                                                              : CabinetError::BadDataOffset;
            }
            return 0;
        }
        ByteSink* sink = nullptr;
        if (safe) {
            sink = target.Begin(entry);
            if (sink == nullptr) {
                error_ = CabinetError::WriteFailed;
                ok = false;
            }
        } else {
            error_ = CabinetError::UnsafeName;
            ok = false;
        }
        if (!CopyBytes(entry.size, sink)) ok = false;
        if (sink != nullptr && !target.End()) {
            error_ = CabinetError::WriteFailed;
            ok = false;
        }
    }
    return ok ? 1 : 0;
}

// ---- setup file -------------------------------------------------------------

void CabinetArchive::ClearSetup() {
    setup_ = SetupFileContent();
    valueCursor_ = 0;
    for (auto& e : entries_) {
        e.targetName.clear();
        e.setupFlags = 0;
        e.renamed = false;
    }
}

int CabinetArchive::ReadSetupFileFromCabinet() {
    try {
        ClearSetup();
        const std::string name = FindFileBySuffix(setupfile::kSetupFileSuffix);
        if (name.empty()) return 0;
        size_t index = 0;
        while (entries_[index].name != name) ++index;
        std::vector<uint8_t> data;
        if (!ReadMember(index, data)) return 0;
        SetupFileContent content;
        if (!ParseSetupFile(data.data(), data.size(), content)) return 0;
        ApplySetupFile(std::move(content), false);
        return 1;
    } catch (const std::exception&) {
        ClearSetup();
        return 0;
    }
}

void CabinetArchive::ApplySetupFile(SetupFileContent content, bool rename) {
    setup_ = std::move(content);
    valueCursor_ = 0;
    for (const auto& record : setup_.files) {
        const CabinetFileEntry* found = FindFileById(record.fileId);
        if (found == nullptr) continue;
        CabinetFileEntry& entry = entries_[static_cast<size_t>(found - entries_.data())];
        entry.targetName = record.name;
        entry.setupFlags = record.flags;
        // A final name such as "..\..\x" is not applied: the file keeps its
        // cabinet name. A failed rename (target exists) is ignored likewise.
        if (rename && IsPlainFileName(entry.name) && IsPlainFileName(entry.targetName)) {
            entry.renamed = RenameMember(entry);
        }
    }
}

bool CabinetArchive::RenameMember(const CabinetFileEntry&) { return false; }

bool CabinetArchive::KeyPath(uint16_t keyId, std::string& text) const {
    for (const auto& key : setup_.keys) {
        if (key.id == keyId) {
            text = FormatKeyPath(key, setup_.strings);
            return true;
        }
    }
    return false;
}

const SetupRegistryValue* CabinetArchive::FirstValue() {
    valueCursor_ = 0;
    return NextValue();
}

const SetupRegistryValue* CabinetArchive::NextValue() {
    if (valueCursor_ >= setup_.values.size()) return nullptr;
    return &setup_.values[valueCursor_++];
}

}  // namespace mrw
