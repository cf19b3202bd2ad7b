// Starting other programs (the cabinet builder).
#pragma once
#include <string>
#include <vector>

namespace mrw::process {

struct StartOptions {
    // No window (Windows) / no terminal: the program's standard streams are
    // not connected to ours.
    bool hidden = true;
    // Block until the program ends.
    bool wait = true;
    // Current folder of the new program; empty: ours.
    std::string folder;
};

// Starts `program` (a path) with `commandLine`, a Windows-style command line
// whose first word is the program's name as it should see it (arguments are
// split at blanks, double quotes group). False when the program could not be
// started. With `wait`, `exitCode` (when given) receives its exit status.
bool Start(const std::string& program, const std::string& commandLine, const StartOptions& options,
           int* exitCode = nullptr);

// The arguments of a Windows-style command line, by the rules of the C
// runtime: blanks separate, "..." groups, 2n backslashes before a quote give
// n backslashes, 2n+1 give n and a literal quote, other backslashes are literal.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// One argument quoted for such a command line, so that SplitCommandLine (and
// the C runtime) give it back unchanged.
std::string QuoteArgument(const std::string& argument);

// The id of the running process.
unsigned long CurrentProcessId();

// The file name of a program of that base name on this platform
// ("CabWiz" -> "CabWiz.exe" on Windows, unchanged elsewhere).
std::string ExecutableName(const std::string& baseName);

}  // namespace mrw::process
