// Helpers shared by the mrw commands.
#pragma once
#include <string>

namespace mrw::cli {

// The path made absolute against the current folder (project paths name
// their member files relative to the project's folder).
std::string AbsolutePath(const std::string& path);

// Usage error: prints "mrw <command>: <message>" and the hint to --help; returns kExitUsage.
int UsageError(const char* command, const std::string& message);
// Failure: prints "mrw <command>: <message>"; returns the given status.
int Fail(const char* command, const std::string& message, int status);

// A name from a file as it may be printed on a terminal: control characters
// (which could move the cursor or start escape sequences) become "?".
std::string Printable(const std::string& text);

// "R,G,B" with each part 0-255; false when malformed.
bool ParseRgb(const std::string& text, unsigned& colour);

}  // namespace mrw::cli
