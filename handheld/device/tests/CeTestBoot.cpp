#include "handheld/device/tests/CeTestBoot.h"

#include <gtest/gtest.h>

#include "handheld/ce/Boot.h"

namespace {
mrw::device::Device* booted = nullptr;
thread_local mrw::ce::DWORD lastError = 0;
}  // namespace

namespace mrw::ce {
DWORD GetLastError() { return lastError; }
void SetLastError(DWORD error) { lastError = error; }
mrw::device::Device& BootedDevice() { return *booted; }
}  // namespace mrw::ce

namespace mrw::test {

TestBoot::TestBoot(const std::string& dir, const device::InitOptions& options) : dir_(dir) {
    std::string error;
    if (!device::Device::Create(dir, options, error)) ADD_FAILURE() << error;
    Reopen();
}

TestBoot::~TestBoot() {
    if (booted) ce::CloseDeviceHandles();
    booted = nullptr;
}

void TestBoot::Reopen() {
    if (booted) ce::CloseDeviceHandles();
    device_.reset();
    std::string error;
    device_ = device::Device::Open(dir_, error);
    if (!device_) ADD_FAILURE() << error;
    booted = device_.get();
}

}  // namespace mrw::test
