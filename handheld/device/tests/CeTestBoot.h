// A stand-in for the boot in the tests of the CE file and registry calls:
// the calls work on the device a test opens here.
#pragma once
#include <memory>
#include <string>

#include "handheld/device/Device.h"

namespace mrw::test {

// Opens the device in `dir` (made first) as the booted one; closes it when the object goes.
class TestBoot {
public:
    explicit TestBoot(const std::string& dir, const device::InitOptions& options = {});
    ~TestBoot();
    device::Device& Device() { return *device_; }
    void Reopen();  // closes and opens the device again, as a new command would

private:
    std::string dir_;
    std::unique_ptr<device::Device> device_;
};

}  // namespace mrw::test
