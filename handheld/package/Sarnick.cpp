// Sarnick.exe, the applier as the desktop starts it: boots the virtual
// handheld named by the environment variable MRW_DEVICE and runs
// "\Windows\sarnick" there with this program's own command line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/TextEncoding.h"
#include "handheld/ce/Boot.h"
#include "handheld/programs/HandheldPrograms.h"

int main(int argc, char** argv) {
    const char* device = std::getenv("MRW_DEVICE");
    if (device == nullptr || *device == '\0') {
        std::fprintf(stderr, "Sarnick: MRW_DEVICE names no device\n");
        return 1;
    }
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    mrw::handheld::RegisterHandheldPrograms();
    std::string error;
    std::unique_ptr<mrw::ce::Boot> boot = mrw::ce::Boot::Start(device, error);
    if (!boot) {
        std::fprintf(stderr, "Sarnick: %s\n", error.c_str());
        return 1;
    }
    mrw::ce::DWORD exitCode = 0;
    const bool ran = boot->Run(u"\\Windows\\sarnick", mrw::text::Utf8ToUtf16(mrw::text::AsUtf8(commandLine)),
                               exitCode, error);
    std::string shutdownError;
    const bool down = boot->Shutdown(shutdownError);
    if (!ran) {
        std::fprintf(stderr, "Sarnick: %s\n", error.c_str());
        return 1;
    }
    if (!down) {
        std::fprintf(stderr, "Sarnick: %s\n", shutdownError.c_str());
        return 1;
    }
    return static_cast<int>(exitCode);
}
