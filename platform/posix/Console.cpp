#include <unistd.h>

#include <cstdio>

#include "base/TextEncoding.h"
#include "platform/Console.h"

namespace mrw::console {

bool StdoutIsTerminal() { return ::isatty(::fileno(stdout)) == 1; }

std::string ForConsole(const std::string& desktopText) { return text::AsUtf8(desktopText); }

}  // namespace mrw::console
