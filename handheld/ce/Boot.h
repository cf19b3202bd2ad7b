// Booting a virtual handheld: the device is opened (and held), its parts
// start, programs run as processes, and at the end the parts shut down, every
// process is waited for and the device is written back.
#pragma once
#include <memory>
#include <string>

#include "handheld/ce/Ce.h"

namespace mrw::device {
class Device;
}

namespace mrw::ce {

// A program the device can run, by the base name of its program file
// ("sarnick", "mrw2host", "wceload", "unload"; case ignored).
using ProgramMain = int (*)(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int show);
MRW_CE_API void RegisterProgram(const char16_t* baseName, ProgramMain main);

class MRW_CE_API Boot {
public:
    static std::unique_ptr<Boot> Start(const std::string& deviceFolder, std::string& error);
    virtual ~Boot() = default;

    // Starts image as CreateProcessW would, from outside the device, and waits
    // for it and for every process it started. False when it cannot start.
    virtual bool Run(const std::u16string& image, const std::u16string& commandLine, DWORD& exitCode,
                     std::string& error) = 0;
    // Stops the device's parts, waits up to 10 s for every process, writes the
    // device back. False (with the reason) when a process is still alive.
    virtual bool Shutdown(std::string& error) = 0;

    virtual mrw::device::Device& GetDevice() = 0;
};

// The device of the current boot (the kernel's); the file and registry calls work on it.
MRW_CE_API mrw::device::Device& BootedDevice();
// Closes a handle of CreateFileW; false for a handle that is no file (CloseHandle asks this first).
bool CloseFileHandle(HANDLE handle);
// Closes every file, find and key handle left open; the boot calls it at
// shutdown, while its device is still open.
void CloseDeviceHandles();

// Starts one of the device's own parts (the Today screen, an outside window,
// the Today settings' options page) as a process of the boot: `image` names
// it ("\Windows\shell32.exe"), `main` runs on the new process's thread with
// `commandLine`. No program file is needed on the device and no start or
// exit event is logged. Returns once the part first waits (its windows exist
// then); null when no boot runs. The handle is the process handle (close it
// with CloseHandle).
MRW_CE_API HANDLE StartDevicePart(const char16_t* image, ProgramMain main, const char16_t* commandLine);

// Logs a `call` event {"function", "result"} on the booted device: a
// setup-library function the installer called has returned `result`.
MRW_CE_API void LogSetupLibraryCall(LPCWSTR function, DWORD result);

}  // namespace mrw::ce
