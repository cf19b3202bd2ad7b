// Builds cabinet bytes field by field, so tests can make the layouts a
// correct writer never produces (lying counts, hostile names, odd blocks).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/ByteOrder.h"

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
                                 size_t blockSize = 32768) {
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
        size_t table = 0;
        for (const auto& f : files) table += 16 + f.name.size() + 1;
        const uint32_t coffFiles = static_cast<uint32_t>(36 + 8 * folders.size());
        std::vector<uint8_t> out;
        for (char c : {'M', 'S', 'C', 'F'}) out.push_back(static_cast<uint8_t>(c));
        le::PutU32(out, 0);
        le::PutU32(out, 0);  // cbCabinet, patched below
        le::PutU32(out, 0);
        le::PutU32(out, coffFiles);
        le::PutU32(out, 0);
        le::PutU16(out, version);
        le::PutU16(out, static_cast<uint16_t>(folders.size()));
        le::PutU16(out, static_cast<uint16_t>(fileCountOverride >= 0 ? fileCountOverride : static_cast<int>(files.size())));
        le::PutU16(out, flags);
        le::PutU16(out, 0);
        le::PutU16(out, 0);
        uint32_t data = static_cast<uint32_t>(coffFiles + table);
        for (const auto& f : folders) {
            le::PutU32(out, data);
            le::PutU16(out, static_cast<uint16_t>(f.blocks.size()));
            le::PutU16(out, f.compression);
            for (const auto& b : f.blocks) data += static_cast<uint32_t>(8 + b.size());
        }
        for (const auto& f : files) {
            le::PutU32(out, f.size);
            le::PutU32(out, f.offset);
            le::PutU16(out, f.folder);
            le::PutU16(out, 0);
            le::PutU16(out, 0);
            le::PutU16(out, 0x20);
            out.insert(out.end(), f.name.begin(), f.name.end());
            out.push_back(0);
        }
        for (const auto& f : folders) {
            for (const auto& b : f.blocks) {
                le::PutU32(out, 0);
                le::PutU16(out, static_cast<uint16_t>(b.size()));
                le::PutU16(out, static_cast<uint16_t>(b.size()));
                out.insert(out.end(), b.begin(), b.end());
            }
        }
        le::SetU32(out.data() + 8, static_cast<uint32_t>(out.size()));
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
