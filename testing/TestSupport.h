// Helpers shared by the unit tests of every module. Every test program runs
// with the services a program installs at start (TestMain.cpp): the editor's
// resource texts, a quiet prompter, and for each test an empty settings store
// in memory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace mrw::test {

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes away. `path()` ends in the platform separator.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // path() + name
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// Third-party fixture files (read-only), e.g. Fixture("images/gif/x.gif").
std::string Fixture(const std::string& relative);
bool FixturesAvailable();
// The staged program folder of this build, ending in a separator.
std::string ProgramFolder();
// The programs staged there: mrw and our cabinet builder.
std::string MrwProgram();
std::string CabWizProgram();

// Runs a command line through the shell (std::system); 0 when it succeeded.
int Shell(const std::string& command);
// True when a third-party tool answers `command` (e.g. "gcab --version")
// successfully; always false on Windows, where none is installed.
bool HaveTool(const std::string& command);

std::string ReadText(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace mrw::test
