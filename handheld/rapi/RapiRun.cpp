// rapi-run DEVICE IMAGE COMMAND-LINE: the helper our RAPI library starts for
// CeCreateProcess. It boots the device, runs the image as `mrw device run`
// does, waits for it and every process it started, and shuts the device down.
#include <memory>
#include <string>

#include "base/TextEncoding.h"
#include "handheld/ce/Boot.h"
#include "handheld/programs/HandheldPrograms.h"

int main(int argc, char** argv) {
    if (argc != 4) return 64;
    mrw::handheld::RegisterHandheldPrograms();
    std::string error;
    std::unique_ptr<mrw::ce::Boot> boot = mrw::ce::Boot::Start(argv[1], error);
    if (!boot) return 1;
    mrw::ce::DWORD exitCode = 0;
    const bool started =
        boot->Run(mrw::text::Utf8ToUtf16(argv[2]), mrw::text::Utf8ToUtf16(argv[3]), exitCode, error);
    std::string shutdownError;
    const bool clean = boot->Shutdown(shutdownError);
    return started && clean ? 0 : 1;
}
