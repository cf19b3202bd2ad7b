// The layer's view of the device's file system: program and library files
// are found, read and marked in use through the device's FileSystem, with
// its rules (names without regard to case, no path leaving files/).
#pragma once
#include <functional>

#include "handheld/ce/Kernel.h"
#include "handheld/device/FileSystem.h"

namespace mrw::ce::kernel {

class FileSystemHost : public DeviceHost {
public:
    using LogSink = std::function<void(const mrw::device::Event&)>;
    FileSystemHost(mrw::device::FileSystem& files, LogSink log) : files_(files), log_(std::move(log)) {}

    bool Resolve(const std::u16string& path, std::u16string& stored, bool& isFolder, DWORD& error) override {
        std::uint32_t attributes = 0;
        std::uint32_t result = files_.GetAttributes(path, attributes);
        if (result != 0) {
            error = result;
            return false;
        }
        isFolder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        std::string host;
        stored = path;
        if (!isFolder) files_.HostPath(path, host, &stored);
        return true;
    }
    bool ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) override {
        return files_.ReadAll(path, bytes) == 0;
    }
    void SetInUse(const std::u16string& path, bool inUse) override { files_.SetInUse(path, inUse); }
    void Log(const mrw::device::Event& event) override {
        if (log_) log_(event);
    }

private:
    mrw::device::FileSystem& files_;
    LogSink log_;
};

}  // namespace mrw::ce::kernel
