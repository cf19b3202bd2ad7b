// The console the command-line programs write to.
#pragma once

namespace mrw::console {

// True when standard output is a terminal (a progress line is shown only there).
bool StdoutIsTerminal();

}  // namespace mrw::console
