// The setup files real handheld SDK builds wrote for their INF files, against
// what our planner and writer make of the same INF files.
#include <gtest/gtest.h>

#include "editor/packages/CabinetReader.h"
#include "editor/packages/SetupFileWriter.h"
#include "testing/TestSupport.h"
#include "tools/cabwiz/CabWiz.h"
#include "tools/cabwiz/CabinetPlan.h"
#include "tools/cabwiz/InfFile.h"

namespace mrw::cabwiz {
namespace {

std::vector<uint8_t> OurSetupFile(const std::string& inf, const std::string& label, CabinetPlan& plan) {
    InfFile parsed;
    std::string error;
    const std::string text = test::ReadText(test::Fixture("ce-cabs/" + inf));
    EXPECT_TRUE(parsed.Parse(text, error)) << error;
    EXPECT_TRUE(PlanCabinet(parsed, label, "src", plan, error)) << error;
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(WriteSetupFile(plan.setup, bytes, error)) << error;
    return bytes;
}

void ExpectSameBytes(const std::vector<uint8_t>& ours, const std::vector<uint8_t>& real) {
    EXPECT_EQ(ours.size(), real.size());
    for (size_t i = 0; i < std::min(ours.size(), real.size()); ++i) {
        if (ours[i] != real[i]) {
            ADD_FAILURE() << "first difference at offset " << i << ": " << int(ours[i]) << " vs " << int(real[i]);
            return;
        }
    }
}

TEST(FixtureInf, SameSetupFileAsTheRealBuilder) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "no fixtures";
    {
        CabinetPlan plan;
        const auto ours = OurSetupFile("NSBasic.Showcase.Setup.inf", "PocketPC", plan);
        ExpectSameBytes(ours, test::ReadBytes(test::Fixture("ce-cabs/setup-000/NSBasic.Showcase.000")));
        EXPECT_EQ(plan.payload.size(), 11u);
    }
    {
        CabinetPlan plan;
        const auto ours = OurSetupFile("BenchmarkDotNet_PPC.inf", "ARM", plan);
        ExpectSameBytes(ours, test::ReadBytes(test::Fixture("ce-cabs/setup-000/BenchmarkDotNet_PPC.ARM.000")));
        // Three files and the setup library as member 999.
        ASSERT_EQ(plan.payload.size(), 4u);
        EXPECT_EQ(plan.payload.back().fileId, 999);
        EXPECT_EQ(plan.payload[1].sourceName, "vsd_config.txt.ARM");
    }
}

}  // namespace
}  // namespace mrw::cabwiz

namespace mrw::cabwiz {
namespace {

// With the sources at hand, the members get the real builder's names, in its order.
TEST(FixtureInf, MemberNamesAndOrderAsTheRealBuilder) {
    if (!test::FixturesAvailable()) GTEST_SKIP() << "no fixtures";
    test::TempFolder dir;
    std::string inf = test::ReadText(test::Fixture("ce-cabs/NSBasic.Showcase.Setup.inf"));
    for (const char* folder : {"e:\\nsbce6\\Files\\DemoApp\\Images", "e:\\nsbce6\\Files\\DemoApp",
                               "e:\\nsbce6\\600\\PocketPC2003"}) {
        inf.replace(inf.find(folder), std::string(folder).size(), ".");
    }
    test::WriteText(dir / "Setup.inf", inf);
    for (const char* name : {"NS Basic Showcase.nsb", "BigIcon.GIF", "burgee2.jpg", "nsbasicce.gif", "wcelogohpc.gif",
                             "weplogo.gif", "ppcmag2005.gif", "wepgold.gif", "basic.exe", "NSCEPictureBox.dll",
                             "Vbscript.dll"}) {
        test::WriteText(dir / name, name);
    }
    std::string cabinet, error;
    ASSERT_TRUE(BuildCabinet(dir / "Setup.inf", "PocketPC", "", cabinet, error)) << error;
    CabinetReader ours, real;
    ASSERT_TRUE(ours.Open(cabinet));
    ASSERT_TRUE(real.Open(test::Fixture("ce-cabs/NSBasic.Showcase.CAB")));
    ASSERT_EQ(ours.FileCount(), real.FileCount());
    for (size_t i = 0; i < ours.FileCount(); ++i) EXPECT_EQ(ours.File(i).name, real.File(i).name);
    std::vector<uint8_t> setup;
    ASSERT_TRUE(ours.ReadMember(0, setup));
    EXPECT_EQ(setup, test::ReadBytes(test::Fixture("ce-cabs/setup-000/NSBasic.Showcase.000")));
}

}  // namespace
}  // namespace mrw::cabwiz
