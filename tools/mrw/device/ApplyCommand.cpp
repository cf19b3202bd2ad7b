// mrw device apply: the desktop's theme applying on a virtual handheld. The
// program folder's Sarnick.exe is put in \Windows\ when the device has none,
// then "\Windows\sarnick" runs with the package path, as `mrw device run`
// would run it.
#include <cstdio>

#include "base/TextEncoding.h"
#include "handheld/ce/Boot.h"
#include "handheld/device/Device.h"
#include "handheld/device/FileSystem.h"
#include "handheld/programs/HandheldPrograms.h"
#include "platform/Files.h"
#include "tools/mrw/CliSupport.h"
#include "tools/mrw/Command.h"

namespace mrw::cli {

namespace {

const char kUsage[] =
    "usage: mrw device apply DIR [HANDHELD-PATH]\n\n"
    "Applies a theme package already on the virtual handheld in DIR: copies the\n"
    "program folder's Sarnick.exe to \\Windows\\ when it is not there, then runs\n"
    "\\Windows\\sarnick with HANDHELD-PATH as its command line (without one, the\n"
    "Today screen only reloads) and waits for it and for what it started.\n"
    "Prints the applier's exit code (an unsigned 32-bit decimal).\n";

constexpr char16_t kDevicePath[] = u"\\Windows\\Sarnick.exe";

int RunApply(const std::vector<std::string>& args) {
    const char* const name = "device apply";
    std::vector<std::string> positional;
    for (const auto& a : args) {
        if (a.size() > 1 && a[0] == '-' && a[1] == '-') return UsageError(name, "unknown option " + Printable(a));
        positional.push_back(a);
    }
    if (positional.empty() || positional.size() > 2) return UsageError(name, "expects DIR [HANDHELD-PATH]");
    const std::u16string packagePath = positional.size() > 1 ? text::Utf8ToUtf16(positional[1]) : std::u16string();

    handheld::RegisterHandheldPrograms();
    std::string error;
    std::unique_ptr<ce::Boot> boot = ce::Boot::Start(positional[0], error);
    if (!boot) return Fail(name, Printable(error), kExitFailed);

    device::FileSystem& files = boot->GetDevice().Files();
    uint32_t attributes = 0;
    if (files.GetAttributes(kDevicePath, attributes) != 0) {
        const std::string source = files::ProgramFolder() + "Sarnick.exe";
        std::vector<uint8_t> program;
        const bool read = files::ReadAll(source, program);
        if (!read || files.WriteAll(kDevicePath, program) != 0) {
            std::string ignored;
            boot->Shutdown(ignored);
            return Fail(name, read ? "cannot write \\Windows\\Sarnick.exe on the device" : "cannot read " + source,
                        kExitFailed);
        }
    }
    ce::DWORD exitCode = 0;
    const bool ran = boot->Run(u"\\Windows\\sarnick", packagePath, exitCode, error);
    std::string shutdownError;
    const bool down = boot->Shutdown(shutdownError);
    if (!ran) return Fail(name, Printable(error), kExitFailed);
    std::printf("%lu\n", static_cast<unsigned long>(exitCode));
    if (!down) return Fail(name, Printable(shutdownError), kExitFailed);
    return kExitOk;
}

}  // namespace

extern const Command kDeviceApplyCommand = {"apply", "apply a theme package on the device", kUsage, &RunApply};

}  // namespace mrw::cli
