#include "editor/packages/ThemePackageReader.h"

namespace mrw {

namespace {

bool EqualsIgnoringCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

int ThemePackageReader::ReadSetupFile(const std::string& name) {
    const int result = CabinetReader::ReadSetupFile(name);
    if (result == 1) DetectKind();
    return result;
}

int ThemePackageReader::ReadSetupFileFromCabinet() {
    const int result = CabinetReader::ReadSetupFileFromCabinet();
    if (result == 1) DetectKind();
    return result;
}

// The first member (table order) with one of the marker names decides.
void ThemePackageReader::DetectKind() {
    packageKind_ = mrw::PackageKind::Plain;
    for (size_t i = 0; i < FileCount(); ++i) {
        const std::string& target = File(i).targetName;
        if (EqualsIgnoringCase(target, "vx5n.htm")) {
            packageKind_ = mrw::PackageKind::AnimatedToday;
            return;
        }
        if (EqualsIgnoringCase(target, "taskbar.gif")) {
            packageKind_ = mrw::PackageKind::TaskbarImage;
            return;
        }
    }
}

}  // namespace mrw
