#include "handheld/wceload/CeFileSource.h"

namespace mrw::wceload {

CeFileSource::CeFileSource(const std::u16string& path) {
    file_ = ce::CreateFileW(path.c_str(), ce::GENERIC_READ, ce::FILE_SHARE_READ, nullptr, ce::OPEN_EXISTING,
                            ce::FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == ce::INVALID_HANDLE_VALUE) return;
    const ce::DWORD size = ce::GetFileSize(file_, nullptr);
    if (size == ce::INVALID_FILE_SIZE) {
        Close();
        return;
    }
    size_ = size;
}

CeFileSource::~CeFileSource() { Close(); }

void CeFileSource::Close() {
    if (file_ != ce::INVALID_HANDLE_VALUE) ce::CloseHandle(file_);
    file_ = ce::INVALID_HANDLE_VALUE;
}

bool CeFileSource::ReadAt(uint64_t offset, void* out, size_t length) {
    if (!IsOpen() || offset > size_ || length > size_ - offset) return false;
    if (length == 0) return true;
    // The low half alone would read a position past 2 GiB as negative.
    ce::LONG high = static_cast<ce::LONG>(offset >> 32);
    ce::SetLastError(0);
    if (ce::SetFilePointer(file_, static_cast<ce::LONG>(offset & 0xFFFFFFFFu), &high, ce::FILE_BEGIN) ==
            ce::INVALID_SET_FILE_POINTER &&
        ce::GetLastError() != 0) {
        return false;
    }
    auto* at = static_cast<unsigned char*>(out);
    while (length > 0) {
        ce::DWORD read = 0;
        const ce::DWORD chunk = length > 0x100000 ? 0x100000 : static_cast<ce::DWORD>(length);
        if (!ce::ReadFile(file_, at, chunk, &read, nullptr) || read == 0) return false;
        at += read;
        length -= read;
    }
    return true;
}

}  // namespace mrw::wceload
