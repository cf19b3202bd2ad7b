// One boot of a virtual handheld: the device is opened and held, its parts
// start, programs run, and at the end the parts stop, every process is
// waited for and the device is written back.
#include "handheld/ce/Boot.h"

#include "base/TextEncoding.h"
#include "handheld/ce/DeviceHost.h"
#include "handheld/ce/Kernel.h"
#include "handheld/device/Device.h"
#include "handheld/shell/DeviceParts.h"

namespace mrw::ce {

namespace {

mrw::device::Device* booted = nullptr;
constexpr unsigned kShutdownWaitMs = 10000;

class DeviceBoot : public Boot {
public:
    explicit DeviceBoot(std::unique_ptr<mrw::device::Device> device) : device_(std::move(device)) {}
    ~DeviceBoot() override {
        std::string ignored;
        if (!shutDown_) Shutdown(ignored);
    }

    bool Run(const std::u16string& image, const std::u16string& commandLine, DWORD& exitCode,
             std::string& error) override {
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(image.c_str(), commandLine.empty() ? nullptr : commandLine.c_str(), nullptr, nullptr,
                            FALSE, 0, nullptr, nullptr, nullptr, &info)) {
            error = "cannot start " + mrw::text::Utf16ToUtf8(image) + " (error " + std::to_string(GetLastError()) + ")";
            return false;
        }
        kernel::WaitForTree(info.dwProcessId);
        GetExitCodeProcess(info.hProcess, &exitCode);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return true;
    }

    bool Shutdown(std::string& error) override {
        if (shutDown_) return true;
        shutDown_ = true;
        mrw::shell::StopDeviceParts();
        std::u16string alive;
        bool ok = kernel::WaitAllProcesses(kShutdownWaitMs, alive);
        if (!ok) error = "a process alive 10 s after shutdown: " + mrw::text::Utf16ToUtf8(alive);
        kernel::StopKernel();
        CloseDeviceHandles();
        booted = nullptr;
        std::string saveError;
        if (!device_->Save(saveError)) {
            if (ok) error = saveError;
            ok = false;
        }
        return ok;
    }

    mrw::device::Device& GetDevice() override { return *device_; }

private:
    std::unique_ptr<mrw::device::Device> device_;
    bool shutDown_ = false;
};

}  // namespace

std::unique_ptr<Boot> Boot::Start(const std::string& deviceFolder, std::string& error) {
    auto device = mrw::device::Device::Open(deviceFolder, error);
    if (!device) return nullptr;
    mrw::device::Device* raw = device.get();
    auto host = std::make_unique<kernel::FileSystemHost>(raw->Files(),
                                                         [raw](const mrw::device::Event& e) { raw->Log(e); });
    if (!kernel::StartKernel(std::move(host), error)) return nullptr;
    booted = raw;
    raw->BeginBoot();
    auto boot = std::make_unique<DeviceBoot>(std::move(device));
    mrw::shell::StartDeviceParts(raw->GetSettings());
    return boot;
}

mrw::device::Device& BootedDevice() { return *booted; }

}  // namespace mrw::ce
