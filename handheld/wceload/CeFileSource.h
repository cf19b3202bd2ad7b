// A byte source over a file opened with the CE calls, so that the package
// readers read a package straight from the device.
#pragma once
#include "base/ByteSource.h"
#include "handheld/ce/Ce.h"

namespace mrw::wceload {

class CeFileSource : public ByteSource {
public:
    // Opens `path` for reading (others may read too); IsOpen() says whether it did.
    explicit CeFileSource(const std::u16string& path);
    ~CeFileSource() override;
    CeFileSource(const CeFileSource&) = delete;
    CeFileSource& operator=(const CeFileSource&) = delete;

    bool IsOpen() const { return file_ != ce::INVALID_HANDLE_VALUE; }
    // Closes the file early (before the package is deleted, say).
    void Close();

    uint64_t Size() const override { return size_; }
    [[nodiscard]] bool ReadAt(uint64_t offset, void* out, size_t length) override;

private:
    ce::HANDLE file_ = ce::INVALID_HANDLE_VALUE;
    uint64_t size_ = 0;
};

}  // namespace mrw::wceload
