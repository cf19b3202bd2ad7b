#include "editor/packages/CabinetReader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>

#include "base/ByteOrder.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw {

namespace {

constexpr size_t kHeaderSize = 36;
constexpr size_t kFolderRecordSize = 8;
constexpr size_t kFileRecordFixed = 16;
constexpr size_t kMaxNameBytes = 260;  // including the NUL
constexpr size_t kBlockHeaderSize = 8;
constexpr uint16_t kFlagPrevCabinet = 0x0001;
constexpr uint16_t kFlagNextCabinet = 0x0002;
constexpr uint16_t kFlagReserve = 0x0004;

// The package's name without folder, cut at its first "."; a name without a
// "." is used whole.
std::string BaseNameFromPath(const std::string& path) {
    std::string name = paths::FileNameOf(path);
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name.resize(dot);
    // ".tsk" alone would give no name; the folder must still be one of its own.
    if (name.empty()) name = "package";
    return name;
}

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
    std::string device = name.substr(0, name.find('.'));
    while (!device.empty() && device.back() == ' ') device.pop_back();
    for (char& c : device) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    if (device == "CON" || device == "PRN" || device == "AUX" || device == "NUL") return false;
    if (device.size() == 4 && (device.compare(0, 3, "COM") == 0 || device.compare(0, 3, "LPT") == 0) &&
        device[3] >= '1' && device[3] <= '9')
        return false;
    return true;
}

CabinetReader::CabinetReader() : buffer_(new uint8_t[kBlockBufferSize]) {}

CabinetReader::~CabinetReader() = default;

bool CabinetReader::Open(const std::string& path) {
    try {
        return OpenImpl(path);
    } catch (const std::exception&) {
        Close();
        error_ = CabinetError::OpenFailed;
        return false;
    }
}

void CabinetReader::Close() {
    if (file_.is_open()) file_.close();
    file_.clear();
    filePos_ = kUnknownPosition;
    ResetStream();
}

bool CabinetReader::ReadAt(uint64_t position, void* data, size_t size) {
    if (position > fileSize_ || size > fileSize_ - position) return false;
    // Sequential block reads need no seek, which keeps the stream's buffer.
    if (position != filePos_) {
        file_.clear();
        file_.seekg(static_cast<std::streamoff>(position));
    }
    file_.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    if (!file_.good() || static_cast<size_t>(file_.gcount()) != size) {
        filePos_ = kUnknownPosition;
        return false;
    }
    filePos_ = position + size;
    return true;
}

bool CabinetReader::OpenImpl(const std::string& path) {
    Close();
    folders_.clear();
    entries_.clear();
    declaredFileCount_ = 0;
    ClearSetup();
    extractionFolder_.clear();
    error_ = CabinetError::None;
    baseName_ = BaseNameFromPath(path);

    // The platform's file functions find names without regard to case.
    file_.open(files::Resolve(path), std::ios::in | std::ios::binary);
    if (!file_.is_open()) {
        error_ = CabinetError::OpenFailed;
        return false;
    }
    file_.seekg(0, std::ios::end);
    const std::streamoff end = file_.tellg();
    filePos_ = kUnknownPosition;
    if (end < 0) {
        error_ = CabinetError::OpenFailed;
        return false;
    }
    fileSize_ = static_cast<uint64_t>(end);

    uint8_t header[kHeaderSize];
    if (!ReadAt(0, header, sizeof header)) {
        error_ = CabinetError::TooShort;
        return false;
    }
    if (std::memcmp(header, "MSCF", 4) != 0) {
        error_ = CabinetError::NotCabinet;
        return false;
    }
    if (le::U16(header + 24) != 0x0103) {
        error_ = CabinetError::BadVersion;
        return false;
    }
    const uint16_t flags = le::U16(header + 30);
    // Reserved areas and set links put extra fields after the header; the
    // records would then not lie where this reader looks for them.
    if (flags & kFlagReserve) {
        error_ = CabinetError::ReservedAreas;
        return false;
    }
    if (flags & (kFlagPrevCabinet | kFlagNextCabinet)) {
        error_ = CabinetError::MultiCabinet;
        return false;
    }
    const uint32_t coffFiles = le::U32(header + 16);
    const unsigned folderCount = le::U16(header + 26);
    const unsigned fileCount = le::U16(header + 28);
    declaredFileCount_ = fileCount;

    if (folderCount == 0) {
        if (fileCount == 0) return true;  // an empty cabinet
        error_ = CabinetError::BadFolderTable;
        return false;
    }
    std::vector<uint8_t> folderBytes(folderCount * kFolderRecordSize);
    if (!ReadAt(kHeaderSize, folderBytes.data(), folderBytes.size())) {
        error_ = CabinetError::BadFolderTable;
        return false;
    }
    folders_.resize(folderCount);
    for (unsigned i = 0; i < folderCount; ++i) {
        const uint8_t* r = folderBytes.data() + i * kFolderRecordSize;
        folders_[i].dataStart = le::U32(r);
        folders_[i].blockCount = le::U16(r + 4);
        folders_[i].compression = le::U16(r + 6);
    }

    // The file table runs from coffFiles to the first folder's data; both
    // ends must lie inside the file before anything is allocated.
    const uint32_t tableEnd = folders_[0].dataStart;
    if (tableEnd < coffFiles || tableEnd > fileSize_) {
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
    size_t pos = 0;
    entries_.reserve(std::min<size_t>(fileCount, table.size() / (kFileRecordFixed + 1)));
    for (unsigned i = 0; i < fileCount; ++i) {
        if (table.size() - pos < kFileRecordFixed + 1) break;
        const uint8_t* r = table.data() + pos;
        const size_t nameRoom = std::min(table.size() - pos - kFileRecordFixed, kMaxNameBytes);
        const void* nul = std::memchr(r + kFileRecordFixed, 0, nameRoom);
        if (nul == nullptr) {
            if (nameRoom == kMaxNameBytes) error_ = CabinetError::NameTooLong;
            break;
        }
        const size_t nameLength = static_cast<const uint8_t*>(nul) - (r + kFileRecordFixed);
        CabinetFileEntry entry;
        entry.size = le::U32(r);
        entry.folderOffset = le::U32(r + 4);
        entry.folderIndex = le::U16(r + 8);
        entry.attributes = le::U16(r + 14);
        entry.name.assign(reinterpret_cast<const char*>(r + kFileRecordFixed), nameLength);
        entries_.push_back(std::move(entry));
        pos += kFileRecordFixed + nameLength + 1;
    }
    if (error_ != CabinetError::None) {
        entries_.clear();
        folders_.clear();
        return false;
    }
    return true;
}

std::string CabinetReader::FindFileBySuffix(const std::string& suffix) const {
    if (suffix.size() != 4) return std::string();
    for (const auto& e : entries_) {
        if (e.name.size() >= 4 && e.name.compare(e.name.size() - 4, 4, suffix) == 0) return e.name;
    }
    return std::string();
}

const CabinetFileEntry* CabinetReader::FindFileById(int id) const {
    if (id < 0 || id > 999) return nullptr;
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%03i", id);
    for (const auto& e : entries_) {
        if (e.name.size() >= 4 && e.name.compare(e.name.size() - 4, 4, suffix) == 0) return &e;
    }
    return nullptr;
}

// ---- extraction -------------------------------------------------------------

bool CabinetReader::BuildExtractionFolder() {
    extractionFolder_.clear();
    const std::string sep(1, paths::Separator());
    const std::string root = files::TempFolder() + "mrw";
    files::CreateFolder(root);
    const std::string folder = root + sep + baseName_;
    if (!files::CreateFolder(folder)) return false;
    extractionFolder_ = folder + sep;
    return true;
}

void CabinetReader::EmptyExtractionFolder() {
    std::vector<std::string> doomed;
    for (const auto& found : files::Find(extractionFolder_ + "*")) {
        if (!found.isDirectory) doomed.push_back(extractionFolder_ + found.name);
    }
    for (const auto& path : doomed) files::Delete(path);
}

int CabinetReader::ExtractAll() {
    try {
        error_ = CabinetError::None;
        if (!BuildExtractionFolder()) {
            error_ = CabinetError::FolderCreateFailed;
            return 0;
        }
        EmptyExtractionFolder();
        return ExtractInto(extractionFolder_);
    } catch (const std::exception&) {
        if (error_ == CabinetError::None) error_ = CabinetError::WriteFailed;
        return 0;
    }
}

int CabinetReader::ExtractTo(const std::string& folder) {
    try {
        error_ = CabinetError::None;
        extractionFolder_.clear();
        if (folder.empty() || !files::CreateFolders(folder)) {
            error_ = CabinetError::FolderCreateFailed;
            return 0;
        }
        extractionFolder_ = paths::WithTrailingSeparator(folder);
        return ExtractInto(extractionFolder_);
    } catch (const std::exception&) {
        if (error_ == CabinetError::None) error_ = CabinetError::WriteFailed;
        return 0;
    }
}

int CabinetReader::ExtractInto(const std::string& folder) {
    ResetStream();
    if (!file_.is_open()) {
        if (entries_.empty()) return 1;
        error_ = CabinetError::OpenFailed;
        return 0;
    }
    bool ok = true;
    for (const auto& entry : entries_) {
        // A member named "..\x" or "C:\x" would land outside the folder: its
        // bytes are passed over and the extraction reports the failure.
        const bool safe = IsPlainFileName(entry.name);
        if (entry.folderIndex < folders_.size() && (folders_[entry.folderIndex].compression & 0x000F) != 0) {
            error_ = CabinetError::CompressedFolder;
            return 0;
        }
        // The member's data is found before its file is created: a member
        // that cannot be read leaves no empty file behind.
        if (!PositionStream(entry.folderIndex, entry.folderOffset)) {
            if (error_ == CabinetError::None || error_ == CabinetError::UnsafeName) {
                error_ = entry.folderIndex >= folders_.size() ? CabinetError::BadFolderIndex
                                                              : CabinetError::BadDataOffset;
            }
            return 0;
        }
        std::ofstream out;
        if (safe) {
            out.open(files::Resolve(folder + entry.name), std::ios::out | std::ios::binary | std::ios::trunc);
            if (!out.is_open()) {
                error_ = CabinetError::WriteFailed;
                ok = false;
            }
        } else {
            error_ = CabinetError::UnsafeName;
            ok = false;
        }
        if (!CopyBytes(entry.size, out.is_open() ? &out : nullptr, nullptr)) ok = false;
        if (out.is_open()) {
            out.close();
            if (out.fail()) {
                error_ = CabinetError::WriteFailed;
                ok = false;
            }
        }
    }
    return ok ? 1 : 0;
}

void CabinetReader::ResetStream() {
    readPos_ = 0;
    bytesLeft_ = 0;
    currentFolder_ = -1;
    blockIndex_ = 0;
    blockStart_ = 0;
    blockSize_ = 0;
    nextBlockPos_ = 0;
}

bool CabinetReader::ReadBlockAt(uint64_t position) {
    uint8_t header[kBlockHeaderSize];
    if (!ReadAt(position, header, sizeof header)) return false;
    const uint32_t size = le::U16(header + 4);
    if (size > kBlockBufferSize) return false;
    // A cabinet cut short inside a block still gives the bytes that are
    // there: the block holds what could be read, and a member running past
    // them stays short.
    const uint32_t present = static_cast<uint32_t>(std::min<uint64_t>(size, fileSize_ - (position + kBlockHeaderSize)));
    if (!ReadAt(position + kBlockHeaderSize, buffer_.get(), present)) return false;
    nextBlockPos_ = position + kBlockHeaderSize + size;
    blockSize_ = present;
    readPos_ = 0;
    bytesLeft_ = present;
    return true;
}

bool CabinetReader::LoadFirstBlock(int folder) {
    currentFolder_ = -1;
    const Folder& f = folders_[folder];
    if ((f.compression & 0x000F) != 0) {
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

bool CabinetReader::ReadNextBlock() {
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
bool CabinetReader::PositionStream(int folder, uint32_t offset) {
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

// Random access for ReadMember: from the folder's first block onwards.
bool CabinetReader::SeekStreamFrom(int folder, uint32_t offset) {
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

bool CabinetReader::CopyBytes(uint32_t size, std::ostream* out, std::vector<uint8_t>* memory) {
    uint32_t remaining = size;
    auto emit = [&](size_t count) {
        if (count == 0) return;
        const uint8_t* p = buffer_.get() + readPos_;
        if (out) out->write(reinterpret_cast<const char*>(p), static_cast<std::streamsize>(count));
        if (memory) memory->insert(memory->end(), p, p + count);
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
    if (out && out->fail()) {
        error_ = CabinetError::WriteFailed;
        return false;
    }
    return true;
}

bool CabinetReader::ReadMember(size_t index, std::vector<uint8_t>& out) {
    out.clear();
    try {
        if (index >= entries_.size() || !file_.is_open()) return false;
        const CabinetFileEntry& e = entries_[index];
        // The data of a stored member cannot be larger than the cabinet.
        if (e.size > fileSize_) {
            error_ = CabinetError::DataTruncated;
            return false;
        }
        if (!SeekStreamFrom(e.folderIndex, e.folderOffset)) {
            if (error_ == CabinetError::None) error_ = CabinetError::BadDataOffset;
            return false;
        }
        out.reserve(e.size);
        return CopyBytes(e.size, nullptr, &out);
    } catch (const std::exception&) {
        out.clear();
        return false;
    }
}

// ---- setup file -------------------------------------------------------------

void CabinetReader::ClearSetup() {
    setup_ = SetupFileContent();
    valueCursor_ = 0;
    for (auto& e : entries_) {
        e.targetName.clear();
        e.setupFlags = 0;
        e.renamed = false;
    }
}

int CabinetReader::ReadSetupFile(const std::string& name) {
    try {
        ClearSetup();
        if (extractionFolder_.empty() || !IsPlainFileName(name)) return 0;
        const std::string path = extractionFolder_ + name;
        std::ifstream in(files::Resolve(path), std::ios::in | std::ios::binary);
        if (!in.is_open()) return 0;
        in.seekg(0, std::ios::end);
        const std::streamoff size = in.tellg();
        if (size < static_cast<std::streamoff>(kSetupHeaderSize)) return 0;
        uint8_t header[kSetupHeaderSize];
        in.seekg(0);
        if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return 0;
        if (std::memcmp(header, "MSCE", 4) != 0) return 0;
        // The length field decides how much is read; it is believed only as
        // far as the file really reaches.
        const uint32_t length = le::U32(header + 8);
        if (static_cast<std::streamoff>(length) > size) return 0;
        std::vector<uint8_t> data(std::max<size_t>(length, kSetupHeaderSize));
        in.seekg(0);
        if (!in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()))) return 0;
        SetupFileContent content;
        if (!ParseSetupFile(data.data(), data.size(), content)) return 0;
        ApplySetupFile(std::move(content), true);
        return 1;
    } catch (const std::exception&) {
        ClearSetup();
        return 0;
    }
}

int CabinetReader::ReadSetupFileFromCabinet() {
    try {
        ClearSetup();
        const std::string name = FindFileBySuffix(".000");
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

void CabinetReader::ApplySetupFile(SetupFileContent content, bool rename) {
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
            entry.renamed = files::Move(extractionFolder_ + entry.name, extractionFolder_ + entry.targetName);
        }
    }
}

bool CabinetReader::KeyPath(uint16_t keyId, std::string& text) const {
    for (const auto& key : setup_.keys) {
        if (key.id == keyId) {
            text = FormatKeyPath(key, setup_.strings);
            return true;
        }
    }
    return false;
}

const SetupRegistryValue* CabinetReader::FirstValue() {
    valueCursor_ = 0;
    return NextValue();
}

const SetupRegistryValue* CabinetReader::NextValue() {
    if (valueCursor_ >= setup_.values.size()) return nullptr;
    return &setup_.values[valueCursor_++];
}

}  // namespace mrw
