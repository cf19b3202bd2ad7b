// Fuzzes the package reader from memory: open, read members, extract every
// member (into memory), read the setup file from the cabinet and from the
// extracted bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/ByteSource.h"
#include "editor/packages/CabinetArchive.h"
#include "editor/packages/SetupFile.h"

namespace {

constexpr size_t kMembersRead = 64;

// Keeps what an extraction gives, by the member's position in the table.
class MemoryTarget : public mrw::ExtractionTarget {
public:
    explicit MemoryTarget(const mrw::CabinetArchive& archive) : archive_(archive), members_(archive.FileCount()) {}
    mrw::ByteSink* Begin(const mrw::CabinetFileEntry& entry) override {
        current_ = static_cast<size_t>(&entry - &archive_.File(0));
        members_[current_] = mrw::MemoryByteSink();
        return &members_[current_];
    }
    bool End() override { return true; }
    const std::vector<uint8_t>& Member(size_t index) const { return members_[index].bytes(); }

private:
    const mrw::CabinetArchive& archive_;
    std::vector<mrw::MemoryByteSink> members_;
    size_t current_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mrw::MemoryByteSource source(data, size);
    mrw::CabinetArchive archive;
    if (!archive.Open(source)) return 0;
    archive.ReadSetupFileFromCabinet();
    const size_t count = archive.FileCount() < kMembersRead ? archive.FileCount() : kMembersRead;
    std::vector<std::vector<uint8_t>> members(count);
    std::vector<bool> read(count);
    for (size_t i = 0; i < count; ++i) read[i] = archive.ReadMember(i, members[i]);

    MemoryTarget target(archive);
    if (archive.Extract(target) == 1) {
        // Every member came out whole: reading it alone gives the same bytes.
        for (size_t i = 0; i < count; ++i) {
            if (!mrw::IsPlainFileName(archive.File(i).name)) continue;
            if (!read[i] || target.Member(i) != members[i]) std::abort();
        }
    }
    const mrw::CabinetFileEntry* setup = archive.FindFileById(0);
    if (setup != nullptr) {
        const std::vector<uint8_t>& bytes = target.Member(static_cast<size_t>(setup - &archive.File(0)));
        mrw::MemoryByteSource setupSource(bytes);
        mrw::SetupFileContent content;
        mrw::ParseSetupFile(setupSource, content);
    }
    std::string key;
    for (const auto* v = archive.FirstValue(); v; v = archive.NextValue()) archive.KeyPath(v->keyId, key);
    return 0;
}
