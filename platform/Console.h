// The console the command-line programs write to.
#pragma once
#include <string>

namespace mrw::console {

// True when standard output is a terminal (a progress line is shown only there).
bool StdoutIsTerminal();

// A text as the console expects it. The native build's terminals expect
// UTF-8: texts in the desktop code page (resource texts, the program's fixed
// messages, names and notes read from theme files) are converted, texts that
// are UTF-8 already (names typed on the command line, file names) are kept.
// The Windows build's console uses the ANSI code page: texts are unchanged.
std::string ForConsole(const std::string& desktopText);

}  // namespace mrw::console
