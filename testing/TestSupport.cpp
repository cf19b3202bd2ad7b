#include "testing/TestSupport.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace mrw::test {

namespace {
std::string WithSeparator(std::string p) {
    const char sep = static_cast<char>(fs::path::preferred_separator);
    if (!p.empty() && p.back() != '/' && p.back() != '\\') p += sep;
    return p;
}
}  // namespace

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        fs::path p = fs::temp_directory_path() /
                     ("mrwtest-" + std::to_string(stamp % 1000000007) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(p, ec)) {
            path_ = WithSeparator(p.string());
            return;
        }
    }
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Clear read-only bits first so that Windows lets the files go.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ec);
    }
    fs::remove_all(path_, ec);
}

std::string Fixture(const std::string& relative) {
    return (fs::path(MRW_FIXTURES_DIR) / fs::path(relative)).string();
}

bool FixturesAvailable() {
    std::error_code ec;
    return fs::is_directory(MRW_FIXTURES_DIR, ec);
}

std::string ProgramFolder() { return WithSeparator(MRW_PROGRAM_DIR); }

#ifdef _WIN32
std::string MrwProgram() { return ProgramFolder() + "mrw.exe"; }
std::string CabWizProgram() { return ProgramFolder() + "CabWiz.exe"; }

int Shell(const std::string& command) {
    // cmd.exe drops the first and the last quote of a line that starts with one.
    return std::system(("\"" + command + "\"").c_str());
}

bool HaveTool(const std::string&) { return false; }
#else
std::string MrwProgram() { return ProgramFolder() + "mrw"; }
std::string CabWizProgram() { return ProgramFolder() + "cabwiz"; }

int Shell(const std::string& command) { return std::system(command.c_str()); }

bool HaveTool(const std::string& command) { return Shell(command + " >/dev/null 2>&1") == 0; }
#endif

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace mrw::test
