#include <windows.h>

#include "platform/Console.h"

namespace mrw::console {

bool StdoutIsTerminal() {
    // A console answers GetConsoleMode; pipes and files do not.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return out != nullptr && out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode) != 0;
}

std::string ForConsole(const std::string& desktopText) { return desktopText; }

}  // namespace mrw::console
