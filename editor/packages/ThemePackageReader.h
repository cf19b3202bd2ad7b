// A theme package: a cabinet whose setup file also tells what kind of theme
// it holds.
#pragma once
#include "editor/packages/CabinetReader.h"

namespace mrw {

enum class PackageKind : int {
    Plain = 0,
    AnimatedToday = 1,  // holds "vx5n.htm"
    TaskbarImage = 2,   // holds "taskbar.gif"
};

class ThemePackageReader : public CabinetReader {
public:
    int ReadSetupFile(const std::string& name) override;
    int ReadSetupFileFromCabinet() override;
    mrw::PackageKind PackageKind() const { return packageKind_; }

private:
    void DetectKind();

    mrw::PackageKind packageKind_ = mrw::PackageKind::Plain;
};

}  // namespace mrw
