// The device's files seen by the layer: a folder whose content is the
// handheld's file system ("\A\B" is <folder>/A/B, names found without regard
// to case). "." and ".." are refused, so no path leaves the folder.
#pragma once
#include <functional>
#include <set>
#include <string>

#include "handheld/ce/Kernel.h"

namespace mrw::ce::kernel {

class FolderHost : public DeviceHost {
public:
    using LogSink = std::function<void(const mrw::device::Event&)>;
    FolderHost(std::string filesFolder, LogSink log) : folder_(std::move(filesFolder)), log_(std::move(log)) {}

    bool Resolve(const std::u16string& path, std::u16string& stored, bool& isFolder, DWORD& error) override;
    bool ReadAll(const std::u16string& path, std::vector<std::uint8_t>& bytes) override;
    void SetInUse(const std::u16string& path, bool inUse) override;
    void Log(const mrw::device::Event& event) override;

    bool IsInUse(const std::u16string& path) const;
    // The folder path of a device path, or "" when the path is refused.
    std::string HostPath(const std::u16string& path) const;

private:
    std::string folder_;
    LogSink log_;
    std::multiset<std::u16string> inUse_;
};

}  // namespace mrw::ce::kernel
