// `mrw device init`, `reg` and `show`, run as a user runs them.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Files.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

using test::MrwProgram;

// Runs mrw with the arguments; its exit status, and stdout in `out`.
int Mrw(const test::TempFolder& tmp, const std::string& arguments, std::string* out = nullptr) {
    const std::string file = tmp / "stdout.txt";
    const int status = test::Shell("\"" + MrwProgram() + "\" " + arguments + " >\"" + file + "\" 2>\"" + file +
                                   ".err\"");
    if (out) {
        *out = test::ReadText(file);
        out->erase(std::remove(out->begin(), out->end(), '\r'), out->end());
    }
#if defined(_WIN32)
    return status;
#else
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

TEST(MrwDeviceCommands, InitRegAndShow) {
    if (!files::IsFile(MrwProgram())) GTEST_SKIP() << "mrw not staged";
    test::TempFolder tmp;
    const std::string dev = "\"" + (tmp / "dev") + "\"";
    ASSERT_EQ(Mrw(tmp, "device init " + dev + " --os 4 --no-today --card \"Storage Card\" --rom \"\\Windows\\R.dll\""),
              0);
    EXPECT_EQ(Mrw(tmp, "device init " + dev), 1);  // not empty
    const std::string key = "\"HKLM\\Software\\Microsoft\\Today\\Items\\Morwen\"";
    const std::string subKey = "\"HKLM\\Software\\Microsoft\\Today\\Items\\Morwen\\Sub\"";
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " set " + key + " URL sz \"file://\\Windows\\vx5n.htm\""), 0);
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " set " + key + " height dword 4294967295"), 0);
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " set " + key + " \"\" binary 0a,FF"), 0);
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " create " + subKey), 0);
    std::string out;
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " get \"hklm\\software\\microsoft\\today\\items\\morwen\"", &out), 0);
    EXPECT_EQ(out,
              "{\"key\": \"hklm\\\\software\\\\microsoft\\\\today\\\\items\\\\morwen\", \"exists\": true, "
              "\"subKeys\": [\"Sub\"], \"values\": [{\"name\": \"URL\", \"type\": 1, \"size\": 50, "
              "\"data\": \"file://\\\\Windows\\\\vx5n.htm\"}, {\"name\": \"height\", \"type\": 4, \"size\": 4, "
              "\"data\": 4294967295}, {\"name\": \"\", \"type\": 3, \"size\": 2, \"data\": \"0a,ff\"}]}\n");
    // Deleting the key takes its subkeys; deleting what is missing is no error.
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " delete " + key + " URL"), 0);
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " delete " + key + " URL"), 0);
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " delete \"HKLM\\Software\\Microsoft\\Today\""), 0);
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " delete \"HKLM\\Software\\Microsoft\\Today\""), 0);
    EXPECT_EQ(Mrw(tmp, "device reg " + dev + " get " + subKey, &out), 1);
    EXPECT_EQ(out, "{\"key\": \"HKLM\\\\Software\\\\Microsoft\\\\Today\\\\Items\\\\Morwen\\\\Sub\", \"exists\": "
                   "false, \"subKeys\": [], \"values\": []}\n");
    ASSERT_EQ(Mrw(tmp, "device reg " + dev + " set \"HKCU\\Software\\Microsoft\\Today\" Skin sz \"\\My Documents\""), 0);

    ASSERT_EQ(Mrw(tmp, "device show " + dev + " --json", &out), 0);
    // A file put in files/ from outside is on the device; plain files show no attribute bits.
    test::WriteText(tmp / "dev/files/Temp/a.txt", "ab");
    std::string withFile;
    ASSERT_EQ(Mrw(tmp, "device show " + dev + " --json", &withFile), 0);
    EXPECT_NE(withFile.find("{\"path\": \"\\\\Temp\\\\a.txt\", \"kind\": \"file\", \"size\": 2, "
                            "\"attributes\": 0}"),
              std::string::npos);
    EXPECT_EQ(out,
              "{\"os\": {\"major\": 4, \"minor\": 20}, \"todayScreen\": false, \"files\": ["
              "{\"path\": \"\\\\My Documents\", \"kind\": \"folder\", \"size\": 0, \"attributes\": 16}, "
              "{\"path\": \"\\\\Program Files\", \"kind\": \"folder\", \"size\": 0, \"attributes\": 16}, "
              "{\"path\": \"\\\\Storage Card\", \"kind\": \"folder\", \"size\": 0, \"attributes\": 272}, "
              "{\"path\": \"\\\\Temp\", \"kind\": \"folder\", \"size\": 0, \"attributes\": 16}, "
              "{\"path\": \"\\\\Windows\", \"kind\": \"folder\", \"size\": 0, \"attributes\": 16}, "
              "{\"path\": \"\\\\Windows\\\\R.dll\", \"kind\": \"file\", \"size\": 0, \"attributes\": 64}, "
              "{\"path\": \"\\\\Windows\\\\unload.exe\", \"kind\": \"file\", \"size\": 0, \"attributes\": 64}, "
              "{\"path\": \"\\\\Windows\\\\wceload.exe\", \"kind\": \"file\", \"size\": 0, \"attributes\": 64}], "
              "\"registry\": [{\"key\": \"HKCR\", \"values\": []}, {\"key\": \"HKCU\", \"values\": []}, "
              "{\"key\": \"HKCU\\\\Software\", \"values\": []}, {\"key\": \"HKCU\\\\Software\\\\Microsoft\", "
              "\"values\": []}, {\"key\": \"HKCU\\\\Software\\\\Microsoft\\\\Today\", \"values\": [{\"name\": "
              "\"Skin\", \"type\": 1, \"data\": \"5c,00,4d,00,79,00,20,00,44,00,6f,00,63,00,75,00,6d,00,65,00,6e,00,"
              "74,00,73,00,00,00\", \"text\": \"\\\\My Documents\"}]}, {\"key\": \"HKLM\", \"values\": []}, "
              "{\"key\": \"HKLM\\\\Software\", \"values\": []}, {\"key\": \"HKLM\\\\Software\\\\Microsoft\", "
              "\"values\": []}, {\"key\": \"HKLM\\\\Software\\\\Microsoft\\\\Color\", \"values\": []}, "
              "{\"key\": \"HKU\", \"values\": []}], \"events\": []}\n");
}

TEST(MrwDeviceCommands, UsageErrorsAndDamagedDevices) {
    if (!files::IsFile(MrwProgram())) GTEST_SKIP() << "mrw not staged";
    test::TempFolder tmp;
    const std::string dev = "\"" + (tmp / "dev") + "\"";
    EXPECT_EQ(Mrw(tmp, "device"), 64);
    EXPECT_EQ(Mrw(tmp, "device frobnicate " + dev), 64);
    EXPECT_EQ(Mrw(tmp, "device init " + dev + " --os 5"), 64);
    EXPECT_EQ(Mrw(tmp, "device init " + dev + " --card .."), 64);
    EXPECT_EQ(Mrw(tmp, "device show " + dev), 1);  // no device
    ASSERT_EQ(Mrw(tmp, "device init " + dev), 0);
    EXPECT_EQ(Mrw(tmp, "device reg " + dev + " set \"HKXX\\A\" n sz x"), 64);
    EXPECT_EQ(Mrw(tmp, "device reg " + dev + " set \"HKLM\\A\" n dword -1"), 64);
    EXPECT_EQ(Mrw(tmp, "device reg " + dev + " set \"HKLM\\A\" n binary 1,2"), 64);
    EXPECT_EQ(Mrw(tmp, "device reg " + dev + " get \"HKLM\\A\" extra"), 64);
    test::WriteText(tmp / "dev/registry", "MRWREG01 broken");
    EXPECT_EQ(Mrw(tmp, "device show " + dev + " --json"), 1);
    EXPECT_EQ(Mrw(tmp, "device reg " + dev + " get HKLM"), 1);
}

TEST(MrwDeviceCommands, InitKeepsTheLinkOptionsAndMakesLockedFiles) {
    if (!files::IsFile(MrwProgram())) GTEST_SKIP() << "mrw not staged";
    test::TempFolder tmp;
    const std::string dev = "\"" + (tmp / "dev") + "\"";
    EXPECT_EQ(Mrw(tmp, "device init " + dev + " --capacity 1k"), 64);
    EXPECT_EQ(Mrw(tmp, "device init " + dev + " --connect-delay -5"), 64);
    EXPECT_EQ(Mrw(tmp, "device init " + dev + " --locked \"\\..\\x\""), 64);
    ASSERT_EQ(Mrw(tmp, "device init " + dev + " --connect-delay 300 --refuse --transfer-delay 2 --capacity 5000 "
                       "--locked \"\\Temp\\New\\l.tsk\" --locked \"\\Windows\\m.tsk\""),
              0);
    const std::string settings = test::ReadText(tmp / "dev/settings");
    for (const char* line : {"connect-delay=300\n", "refuse=1\n", "transfer-delay=2\n", "capacity=5000\n",
                             "locked=\\Temp\\New\\l.tsk\n", "locked=\\Windows\\m.tsk\n"}) {
        EXPECT_NE(settings.find(line), std::string::npos) << line;
    }
    EXPECT_TRUE(files::IsReadOnly(tmp / "dev/files/Temp/New/l.tsk"));
    EXPECT_EQ(files::SizeOf(tmp / "dev/files/Windows/m.tsk"), 0);
    EXPECT_TRUE(files::IsReadOnly(tmp / "dev/files/Windows/m.tsk"));
}

}  // namespace
}  // namespace mrw
