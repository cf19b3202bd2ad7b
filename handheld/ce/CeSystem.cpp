// The device's version and the installer's setup-library log, over the
// booted device.
#include <cstring>
#include <string>

#include "base/TextEncoding.h"
#include "handheld/ce/Boot.h"
#include "handheld/device/Device.h"

namespace mrw::ce {

BOOL GetVersionExW(OSVERSIONINFOW* info) {
    if (info == nullptr || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const mrw::device::Settings& settings = BootedDevice().GetSettings();
    std::memset(info, 0, sizeof *info);
    info->dwOSVersionInfoSize = sizeof *info;
    info->dwMajorVersion = settings.osMajor;
    info->dwMinorVersion = settings.osMinor;
    info->dwPlatformId = VER_PLATFORM_WIN32_CE;
    return TRUE;
}

void LogSetupLibraryCall(LPCWSTR function, DWORD result) {
    mrw::device::Event event;
    event.kind = "call";
    event.fields.push_back({"function", function ? text::Utf16ToUtf8(function) : std::string(), false});
    event.fields.push_back({"result", std::to_string(result), true});
    BootedDevice().Log(event);
}

}  // namespace mrw::ce
