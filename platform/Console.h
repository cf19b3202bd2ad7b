// The console the command-line programs write to.
#pragma once
#include <string>

namespace mrw::console {

// True when standard output is a terminal (a progress line is shown only there).
bool StdoutIsTerminal();

// A text in the desktop code page (resource texts, names and notes read from
// theme files) as the console expects it: UTF-8 in the native build, whose
// terminals and JSON readers expect it; unchanged in the Windows build, whose
// console uses the ANSI code page. Paths the system gave us are already in
// the console's encoding and are not passed through here.
std::string ForConsole(const std::string& desktopText);

}  // namespace mrw::console
