// Helpers shared by the unit tests of every module.
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

std::string ReadText(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace mrw::test
