// Feeds a cabinet to WCEload on a scratch device: the package is put in
// \Temp and installed (with /safe, so that no fuzzed bytes are loaded as a
// library). Whatever the package says, nothing may crash and nothing may be
// written outside the device's files/ folder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "handheld/ce/Boot.h"
#include "handheld/device/Device.h"
#include "handheld/device/FileSystem.h"
#include "handheld/wceload/Wceload.h"
#include "platform/Process.h"

namespace {

// A new device every so many inputs keeps the scratch folder small.
constexpr int kInputsPerDevice = 200;

std::string ScratchDevice() {
    static int number = 0;
    static std::string base;
    if (base.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        base = std::string(tmp && *tmp ? tmp : "/tmp") + "/wceload_fuzzer." + std::to_string(mrw::process::CurrentProcessId());
    }
    const std::string dir = base + "/" + std::to_string(++number);
    std::string error;
    mrw::device::InitOptions options;
    options.settings.todayScreen = false;
    if (!mrw::device::Device::Create(dir, options, error)) {
        std::fprintf(stderr, "wceload_fuzzer: %s\n", error.c_str());
        std::abort();
    }
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int inputs = 0;
    static std::string device;
    if (inputs++ % kInputsPerDevice == 0) {
        mrw::ce::RegisterProgram(u"wceload", mrw::wceload::WceloadMain);
        device = ScratchDevice();
    }
    std::string error;
    auto boot = mrw::ce::Boot::Start(device, error);
    if (!boot) std::abort();
    boot->GetDevice().Files().WriteAll(u"\\Temp\\f.cab", std::vector<uint8_t>(data, data + size));
    mrw::ce::DWORD exitCode = 0;
    boot->Run(u"\\Windows\\wceload", u"/safe /noui \"\\Temp\\f.cab\"", exitCode, error);
    if (!boot->Shutdown(error)) std::abort();
    return 0;
}
