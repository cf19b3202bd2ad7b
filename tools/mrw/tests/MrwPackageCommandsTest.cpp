// `mrw list` and `mrw extract` on a package built by cabwiz (run when the
// mrw program is staged beside cabwiz).
#include <gtest/gtest.h>

#include <algorithm>

#include "base/ByteOrder.h"
#include "base/formats/CabinetLayout.h"
#include "editor/packages/CabinetReader.h"
#include "editor/packages/CabinetWriter.h"
#include "editor/packages/SetupFileWriter.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"
#include "tools/cabwiz/CabWiz.h"

namespace mrw {
namespace {

using test::MrwProgram;
using test::Shell;

const char kInf[] =
    "[Version]\r\nSignature=\"$Chicago$\"\r\nCESignature=\"$Windows CE$\"\r\nProvider= \"Windows\"\r\n\r\n"
    "[CEStrings]\r\nAppName=\"Blue \"\"Sky\"\" \xE9\"\r\nInstallDir= %CE2%\r\n\r\n"
    "[CEDevice.POCKETPC2002]\r\nProcessorType = 2577\r\nUnsupportedPlatforms= \"HPC\",\"Jupiter\"\r\n"
    "VersionMin = 3.0\r\nVersionMax = 100.0\r\n\r\n[SourceDisksNames.POCKETPC2002]\r\n1 = ,\"Other\",,.\r\n\r\n"
    "[DefaultInstall.POCKETPC2002]\r\nCopyFiles = Files.Common.Windows\r\nAddReg=Registry.Common\r\n\r\n"
    "[DestinationDirs]\r\nFiles.Common.Windows=0,%CE2%\r\nDefaultDestDir=0,%InstallDir%\r\n\r\n"
    "[SourceDisksFiles]\r\ntdywater.gif=1\r\nvx5n.htm=1\r\n\r\n"
    "[Files.Common.Windows]\r\ntdywater.gif,,,0x40000000\r\nvx5n.htm,,,0x40000000\r\n\r\n"
    "[Strings]\r\nreg_path = Software\\Microsoft\\Color\r\n\r\n[Registry.Common]\r\n"
    "HKLM,Software\\Microsoft\\Color,5,0x00000001,ff,80,00,00\r\n"
    "HKCU,Software\\Microsoft\\Today,Skin,0x00010001,01,00,00,00\r\n";

TEST(MrwPackageCommands, ListAsJsonAndExtract) {
    if (!files::IsFile(MrwProgram())) GTEST_SKIP() << "mrw not staged";
    test::TempFolder dir;
    test::WriteText(dir / "tdywater.gif", "GIF89a");
    test::WriteText(dir / "vx5n.htm", "<html></html>");
    test::WriteText(dir / "Today.INF", kInf);
    std::string cabinet, error;
    ASSERT_TRUE(cabwiz::BuildCabinet(dir / "Today.INF", "POCKETPC2002", "", cabinet, error)) << error;
    CabinetReader reader;
    ASSERT_TRUE(reader.Open(cabinet));
    const std::string setupSize = std::to_string(reader.File(0).size);

    const std::string json = dir / "list.json";
    ASSERT_EQ(Shell("\"" + MrwProgram() + "\" list \"" + cabinet + "\" --json >\"" + json + "\""), 0);
    std::string listed = test::ReadText(json);
    listed.erase(std::remove(listed.begin(), listed.end(), '\r'), listed.end());  // text-mode stdout
    EXPECT_EQ(listed,
              "{\"applicationName\": \"Blue \\\"Sky\\\" \\u00e9\", \"providerName\": \"Windows\", "
              "\"unsupportedPlatforms\": [\"HPC\", \"JUPITER\"], \"packageKind\": 1, \"files\": ["
              "{\"name\": \"TODAYP~1.000\", \"size\": " + setupSize + ", \"targetName\": \"\", \"setupFlags\": 0}, "
              "{\"name\": \"0000vx5n.002\", \"size\": 13, \"targetName\": \"vx5n.htm\", \"setupFlags\": 1073741824}, "
              "{\"name\": \"tdywater.001\", \"size\": 6, \"targetName\": \"tdywater.gif\", \"setupFlags\": 1073741824}], "
              "\"registry\": ["
              "{\"key\": \"HKLM,Software\\\\Microsoft\\\\Color\", \"name\": \"5\", \"flags\": 1, \"data\": \"ff,80,00,00\"}, "
              "{\"key\": \"HKCU,Software\\\\Microsoft\\\\Today\", \"name\": \"Skin\", \"flags\": 65537, \"data\": \"01,00,00,00\"}]}\n");

    const std::string out = dir / "out";
    ASSERT_EQ(Shell("\"" + MrwProgram() + "\" extract \"" + cabinet + "\" \"" + out + "\" >\"" + json + "\""), 0);
    EXPECT_EQ(test::ReadText(out + "/vx5n.htm"), "<html></html>");
    EXPECT_EQ(test::ReadText(out + "/tdywater.gif"), "GIF89a");
    EXPECT_FALSE(files::Exists(out + "/tdywater.001"));

    EXPECT_NE(Shell("\"" + MrwProgram() + "\" list \"" + (dir / "missing.tsk") + "\" 2>\"" + json + "\""), 0);
    EXPECT_NE(test::ReadText(json).find("cannot open"), std::string::npos);
}

TEST(MrwPackageCommands, ExtractSaysWhichFinalNamesWereNotUsed) {
    if (!files::IsFile(MrwProgram())) GTEST_SKIP() << "mrw not staged";
    // Final names that clash, lead outside, or hold a terminal escape; a file
    // table that holds fewer records than the header counts.
    SetupFileModel m;
    m.applicationName = "Odd\x1b[2J";
    m.files = {{1, 1, 1, 0, "same.txt"}, {2, 1, 1, 0, "same.txt"}, {3, 1, 1, 0, "..\\up.txt"},
               {4, 1, 1, 0, "bell\a.txt"}};
    std::vector<CabinetMember> members(5);
    std::string error;
    ASSERT_TRUE(WriteSetupFile(m, members[0].bytes, error)) << error;
    const char* names[] = {"SETUP~1.000", "one.001", "two.002", "up.003", "bell.004"};
    for (size_t i = 0; i < members.size(); ++i) {
        members[i].name = names[i];
        if (i > 0) members[i].bytes = {static_cast<uint8_t>('0' + i)};
    }
    test::TempFolder dir;
    ASSERT_TRUE(WriteCabinet(dir / "odd.tsk", members, error)) << error;
    auto bytes = test::ReadBytes(dir / "odd.tsk");
    le::SetU16(bytes.data() + cabinet::header::kFileCount, 7);
    test::WriteBytes(dir / "odd.tsk", bytes);

    const std::string out = dir / "out", listing = dir / "out.txt", errors = dir / "err.txt";
    ASSERT_EQ(Shell("\"" + MrwProgram() + "\" extract \"" + (dir / "odd.tsk") + "\" \"" + out + "\" >\"" + listing + "\""), 0);
    std::string text = test::ReadText(listing);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_EQ(text,
              "SETUP~1.000\n"
              "one.001 -> same.txt\n"
              "two.002 (final name same.txt not used)\n"
              "up.003 (final name ..\\up.txt not used)\n"
              "bell.004 (final name bell?.txt not used)\n");
    EXPECT_EQ(test::ReadText(out + "/same.txt"), "1");
    EXPECT_EQ(test::ReadText(out + "/two.002"), "2");

    ASSERT_EQ(Shell("\"" + MrwProgram() + "\" list \"" + (dir / "odd.tsk") + "\" >\"" + listing + "\" 2>\"" + errors + "\""), 0);
    text = test::ReadText(listing);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    EXPECT_NE(text.find("application: Odd?[2J\n"), std::string::npos);
    EXPECT_NE(test::ReadText(errors).find("holds 5 of the 7 files"), std::string::npos);
}

}  // namespace
}  // namespace mrw
