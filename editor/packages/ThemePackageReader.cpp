#include "editor/packages/ThemePackageReader.h"

#include "base/AsciiText.h"

namespace mrw {

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
        if (ascii::EqualsNoCase(target, "vx5n.htm")) {
            packageKind_ = mrw::PackageKind::AnimatedToday;
            return;
        }
        if (ascii::EqualsNoCase(target, "taskbar.gif")) {
            packageKind_ = mrw::PackageKind::TaskbarImage;
            return;
        }
    }
}

}  // namespace mrw
