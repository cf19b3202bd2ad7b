// Builds cabinet bytes field by field, so tests can make the layouts a
// correct writer never produces (lying counts, hostile names, odd blocks).
#pragma once
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "base/formats/CabinetLayout.h"

namespace mrw::test {

struct RawCabinet {
    struct File {
        std::string name;
        uint32_t size = 0;
        uint32_t offset = 0;
        uint16_t folder = 0;
    };
    struct Folder {
        uint16_t compression = 0;
        std::vector<std::vector<uint8_t>> blocks;
    };
    uint16_t version = 0x0103;
    uint16_t flags = 0;
    int fileCountOverride = -1;  // header cFiles when >= 0
    std::vector<Folder> folders;
    std::vector<File> files;

    // Files laid out one after the other in folder 0 (blocks of `blockSize`).
    static RawCabinet Sequential(const std::vector<std::pair<std::string, std::vector<uint8_t>>>& members,
                                 size_t blockSize = cabinet::kMaxBlockData) {
        RawCabinet cab;
        cab.folders.resize(1);
        std::vector<uint8_t> all;
        for (const auto& m : members) {
            cab.files.push_back({m.first, static_cast<uint32_t>(m.second.size()), static_cast<uint32_t>(all.size()), 0});
            all.insert(all.end(), m.second.begin(), m.second.end());
        }
        for (size_t at = 0; at < all.size(); at += blockSize) {
            const size_t n = std::min(blockSize, all.size() - at);
            cab.folders[0].blocks.emplace_back(all.begin() + at, all.begin() + at + n);
        }
        return cab;
    }

    std::vector<uint8_t> Bytes() const {
        namespace cab = cabinet;
        size_t table = 0;
        for (const auto& f : files) table += cab::kFileFixedSize + f.name.size() + 1;
        const size_t coffFiles = cab::kFolderTableOffset + cab::kFolderSize * folders.size();
        std::vector<uint8_t> out(cab::kHeaderSize, 0);
        uint8_t* h = out.data();
        std::copy(std::begin(cab::kSignature), std::end(cab::kSignature), h + cab::header::kSignature);
        le::SetU32(h + cab::header::kFilesOffset, static_cast<uint32_t>(coffFiles));
        le::SetU16(h + cab::header::kVersion, version);
        le::SetU16(h + cab::header::kFolderCount, static_cast<uint16_t>(folders.size()));
        le::SetU16(h + cab::header::kFileCount,
                   static_cast<uint16_t>(fileCountOverride >= 0 ? fileCountOverride : static_cast<int>(files.size())));
        le::SetU16(h + cab::header::kFlags, flags);
        uint32_t data = static_cast<uint32_t>(coffFiles + table);
        for (const auto& f : folders) {
            uint8_t r[cab::kFolderSize] = {};
            le::SetU32(r + cab::folder::kDataOffset, data);
            le::SetU16(r + cab::folder::kBlockCount, static_cast<uint16_t>(f.blocks.size()));
            le::SetU16(r + cab::folder::kCompression, f.compression);
            out.insert(out.end(), r, r + sizeof r);
            for (const auto& b : f.blocks) data += static_cast<uint32_t>(cab::kDataHeaderSize + b.size());
        }
        for (const auto& f : files) {
            uint8_t r[cab::kFileFixedSize] = {};
            le::SetU32(r + cab::file::kSize, f.size);
            le::SetU32(r + cab::file::kFolderOffset, f.offset);
            le::SetU16(r + cab::file::kFolderIndex, f.folder);
            le::SetU16(r + cab::file::kAttributes, cab::kAttributeArchive);
            out.insert(out.end(), r, r + sizeof r);
            out.insert(out.end(), f.name.begin(), f.name.end());
            out.push_back(0);
        }
        for (const auto& f : folders) {
            for (const auto& b : f.blocks) {
                uint8_t r[cab::kDataHeaderSize] = {};
                le::SetU16(r + cab::data::kStoredSize, static_cast<uint16_t>(b.size()));
                le::SetU16(r + cab::data::kUncompressedSize, static_cast<uint16_t>(b.size()));
                out.insert(out.end(), r, r + sizeof r);
                out.insert(out.end(), b.begin(), b.end());
            }
        }
        le::SetU32(out.data() + cab::header::kCabinetSize, static_cast<uint32_t>(out.size()));
        return out;
    }
};

inline std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> v(size);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : v) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return v;
}

}  // namespace mrw::test
