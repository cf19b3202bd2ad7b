#include <unistd.h>

#include <cstdio>

#include "platform/Console.h"

namespace mrw::console {

bool StdoutIsTerminal() { return ::isatty(::fileno(stdout)) == 1; }

}  // namespace mrw::console
