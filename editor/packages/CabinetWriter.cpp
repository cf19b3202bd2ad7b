#include "editor/packages/CabinetWriter.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <iterator>
#include <memory>

#include "base/ByteOrder.h"
#include "base/formats/CabinetLayout.h"
#include "platform/FileByteSink.h"
#include "platform/FileByteSource.h"
#include "platform/Files.h"

namespace mrw {

namespace {

namespace cab = cabinet;

constexpr uint32_t kBlockSize = static_cast<uint32_t>(cab::kMaxBlockData);

uint32_t ChecksumFold(const uint8_t* p, size_t size, uint32_t seed) {
    uint32_t sum = seed;
    size_t words = size / 4;
    for (; words > 0; --words, p += 4) sum ^= le::U32(p);
    uint32_t tail = 0;
    switch (size % 4) {
        case 3: tail |= static_cast<uint32_t>(*p++) << 16;  // fall through
        case 2: tail |= static_cast<uint32_t>(*p++) << 8;   // fall through
        case 1: tail |= *p++;
        default: break;
    }
    return sum ^ tail;
}

// Streams the members' bytes into 32 KB blocks and writes them out.
class BlockWriter {
public:
    explicit BlockWriter(ByteSink& out) : out_(out), block_(new uint8_t[kBlockSize]) {}

    bool Add(const uint8_t* data, size_t size) {
        while (size > 0) {
            const size_t n = std::min<size_t>(size, kBlockSize - used_);
            std::copy(data, data + n, block_.get() + used_);
            used_ += n;
            data += n;
            size -= n;
            if (used_ == kBlockSize && !Flush()) return false;
        }
        return true;
    }

    bool Flush() {
        if (used_ == 0) return true;
        uint8_t header[cab::kDataHeaderSize];
        const uint16_t size = static_cast<uint16_t>(used_);
        le::SetU32(header + cab::data::kChecksum, CabinetBlockChecksum(block_.get(), size));
        le::SetU16(header + cab::data::kStoredSize, size);
        le::SetU16(header + cab::data::kUncompressedSize, size);
        const bool written = out_.Write(header, sizeof header) && out_.Write(block_.get(), used_);
        used_ = 0;
        ++blocks_;
        return written;
    }

    uint32_t blocks() const { return blocks_; }

private:
    ByteSink& out_;
    std::unique_ptr<uint8_t[]> block_;
    size_t used_ = 0;
    uint32_t blocks_ = 0;
};

// `target` names the sink in messages.
bool WriteAllMembers(ByteSink& out, const std::string& target, const std::vector<CabinetMember>& members,
                     std::string& error) {
    if (members.size() > cab::kMaxFiles) {
        error = "too many files for one cabinet";
        return false;
    }
    // Sizes first: the header, folder and file records precede the data.
    std::vector<uint32_t> sizes;
    uint64_t total = 0;
    size_t tableSize = 0;
    for (const auto& m : members) {
        if (m.name.empty() || m.name.size() > cab::kMaxWrittenNameLength) {
            error = "member name \"" + m.name + "\" is empty or too long";
            return false;
        }
        int64_t size = static_cast<int64_t>(m.bytes.size());
        if (!m.sourcePath.empty()) {
            size = files::SizeOf(m.sourcePath);
            if (size < 0 || !files::IsFile(m.sourcePath)) {
                error = "source file not found: " + m.sourcePath;
                return false;
            }
        }
        if (static_cast<uint64_t>(size) > cab::kMaxCabinetSize) {
            error = "file too large for a cabinet: " + (m.sourcePath.empty() ? m.name : m.sourcePath);
            return false;
        }
        sizes.push_back(static_cast<uint32_t>(size));
        total += static_cast<uint64_t>(size);
        tableSize += cab::kFileFixedSize + m.name.size() + 1;
    }
    // One folder, its records straight after the header, the file table after it.
    const uint64_t filesAt = cab::kFolderTableOffset + cab::kFolderSize;
    const uint64_t blockCount = (total + kBlockSize - 1) / kBlockSize;
    const uint64_t dataStart = filesAt + tableSize;
    const uint64_t cabinetSize = dataStart + blockCount * cab::kDataHeaderSize + total;
    if (blockCount > cab::kMaxBlocksPerFolder || total > cab::kMaxCabinetSize || cabinetSize > cab::kMaxCabinetSize) {
        error = "the files are too large for one cabinet folder";
        return false;
    }

    std::vector<uint8_t> head(cab::kHeaderSize + cab::kFolderSize, 0);
    head.reserve(static_cast<size_t>(dataStart));
    uint8_t* h = head.data();
    std::copy(std::begin(cab::kSignature), std::end(cab::kSignature), h + cab::header::kSignature);
    le::SetU32(h + cab::header::kCabinetSize, static_cast<uint32_t>(cabinetSize));
    le::SetU32(h + cab::header::kFilesOffset, static_cast<uint32_t>(filesAt));
    le::SetU16(h + cab::header::kVersion, cab::kVersion);
    le::SetU16(h + cab::header::kFolderCount, 1);
    le::SetU16(h + cab::header::kFileCount, static_cast<uint16_t>(members.size()));
    uint8_t* f = h + cab::kFolderTableOffset;
    le::SetU32(f + cab::folder::kDataOffset, static_cast<uint32_t>(dataStart));
    le::SetU16(f + cab::folder::kBlockCount, static_cast<uint16_t>(blockCount));
    le::SetU16(f + cab::folder::kCompression, cab::kCompressionNone);
    uint32_t offset = 0;
    for (size_t i = 0; i < members.size(); ++i) {
        const auto& m = members[i];
        uint8_t r[cab::kFileFixedSize] = {};
        le::SetU32(r + cab::file::kSize, sizes[i]);
        le::SetU32(r + cab::file::kFolderOffset, offset);
        le::SetU16(r + cab::file::kFolderIndex, 0);
        le::SetU16(r + cab::file::kDate, m.date);
        le::SetU16(r + cab::file::kTime, m.time);
        le::SetU16(r + cab::file::kAttributes, m.attributes);
        head.insert(head.end(), r, r + sizeof r);
        head.insert(head.end(), m.name.begin(), m.name.end());
        head.push_back(0);
        offset += sizes[i];
    }

    bool written = out.Write(head.data(), head.size());
    BlockWriter blocks(out);
    std::unique_ptr<uint8_t[]> chunk(new uint8_t[kBlockSize]);
    for (size_t i = 0; i < members.size(); ++i) {
        const auto& m = members[i];
        if (m.sourcePath.empty()) {
            if (!blocks.Add(m.bytes.data(), m.bytes.size())) break;
            continue;
        }
        // Found as the platform's file functions find it (without regard to case).
        FileByteSource in;
        if (!in.Open(m.sourcePath)) {
            error = "cannot read " + m.sourcePath;
            return false;
        }
        uint32_t done = 0;
        while (done < sizes[i]) {
            const uint32_t n = std::min(sizes[i] - done, kBlockSize);
            if (!in.ReadAt(done, chunk.get(), n)) {
                error = "cannot read " + m.sourcePath + " (file changed while building?)";
                return false;
            }
            if (!blocks.Add(chunk.get(), n)) break;
            done += n;
        }
    }
    written = blocks.Flush() && written;
    if (!written || blocks.blocks() != blockCount) {
        error = "cannot write " + target;
        return false;
    }
    return true;
}

}  // namespace

uint32_t CabinetBlockChecksum(const uint8_t* data, uint16_t size) {
    // The block header's two size fields follow the checksum field.
    uint8_t header[cab::kDataHeaderSize] = {};
    le::SetU16(header + cab::data::kStoredSize, size);
    le::SetU16(header + cab::data::kUncompressedSize, size);
    const size_t sizeFields = cab::kDataHeaderSize - cab::data::kStoredSize;
    return ChecksumFold(header + cab::data::kStoredSize, sizeFields, ChecksumFold(data, size, 0));
}

bool WriteCabinet(const std::string& path, const std::vector<CabinetMember>& members, std::string& error) {
    // Built under a neighbouring name and moved into place when complete, so a
    // failed run leaves no cabinet behind. The cabinet is an intermediate file
    // (the package build moves it on), so it is not flushed to disk first.
    const std::string partial = path + ".part";
    bool ok = false;
    try {
        FileByteSink sink;
        if (!sink.Create(partial)) {
            error = "cannot create " + partial;
        } else {
            ok = WriteAllMembers(sink, partial, members, error);
            if (!sink.Close() && ok) {
                error = "cannot write " + partial;
                ok = false;
            }
        }
        if (ok) {
            ok = files::Replace(partial, path, files::ReplaceMode::kUnflushed);
            if (!ok) error = "cannot create " + path;
        }
    } catch (const std::exception& e) {
        error = std::string("cabinet not written: ") + e.what();
        ok = false;
    }
    if (!ok && files::Exists(partial)) files::Delete(partial);
    return ok;
}

bool WriteCabinet(ByteSink& sink, const std::vector<CabinetMember>& members, std::string& error) {
    try {
        return WriteAllMembers(sink, "the cabinet", members, error);
    } catch (const std::exception& e) {
        error = std::string("cabinet not written: ") + e.what();
        return false;
    }
}

void DosDateTimeNow(uint16_t& date, uint16_t& time) {
    const std::time_t now = std::time(nullptr);
    const std::tm* t = std::localtime(&now);
    if (t == nullptr || t->tm_year < 80) {
        date = (1 << 5) | 1;  // 1 January 1980
        time = 0;
        return;
    }
    date = static_cast<uint16_t>(((t->tm_year - 80) << 9) | ((t->tm_mon + 1) << 5) | t->tm_mday);
    time = static_cast<uint16_t>((t->tm_hour << 11) | (t->tm_min << 5) | (t->tm_sec / 2));
}

}  // namespace mrw
