#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/Settings.h"
#include "testing/TestSupport.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace mrw {
namespace {

void ExpectRoundTrip(SettingsStore& store, const std::string& section) {
    EXPECT_EQ(store.GetString(section, "Alias", "none"), "none");
    EXPECT_EQ(store.GetInt(section, "system", 7), 7);
    EXPECT_TRUE(store.WriteString(section, "Alias", "Blue Sky"));
    EXPECT_TRUE(store.WriteString(section, "PPCTSKPath", "\\My Documents\\Themes\\"));
    EXPECT_TRUE(store.WriteInt(section, "system", 1));
    EXPECT_TRUE(store.WriteInt(section, "Negative", -5));
    EXPECT_EQ(store.GetString(section, "Alias", ""), "Blue Sky");
    EXPECT_EQ(store.GetString(section, "PPCTSKPath", ""), "\\My Documents\\Themes\\");
    EXPECT_EQ(store.GetInt(section, "system", 0), 1);
    EXPECT_EQ(store.GetInt(section, "Negative", 0), -5);
    EXPECT_TRUE(store.WriteString(section, "Alias", ""));
    EXPECT_EQ(store.GetString(section, "Alias", "fallback"), "");
    EXPECT_TRUE(store.WriteInt(section, "system", 0));
    EXPECT_EQ(store.GetInt(section, "system", 9), 0);
}

TEST(SettingsFile, RoundTripsStringsAndNumbers) {
    test::TempFolder dir;
    auto store = OpenSettingsFile(dir / "settings.ini");
    ExpectRoundTrip(*store, "LastUse");
}

TEST(SettingsFile, StoresOnOneFileShareTheirValuesAndCreateTheFolder) {
    test::TempFolder dir;
    const std::string path = dir / "sub" + (dir.path().back()) + "more" + dir.path().back() + "s.ini";
    auto first = OpenSettingsFile(path);
    auto second = OpenSettingsFile(path);
    ASSERT_TRUE(first->WriteInt("preview", "AutoDetectOS", 0));
    EXPECT_TRUE(files::IsFile(path));
    EXPECT_EQ(second->GetInt("PREVIEW", "autodetectos", 1), 0);
    ASSERT_TRUE(second->WriteString("Settings", "PPCTSKPath", "\\Themes\\"));
    EXPECT_EQ(first->GetString("settings", "ppctskpath", ""), "\\Themes\\");
    EXPECT_EQ(first->GetInt("preview", "AutoDetectOS", 1), 0);
    // The file is a plain profile file with CR LF line ends.
    const std::string text = test::ReadText(path);
    EXPECT_NE(text.find("[preview]\r\nAutoDetectOS=0\r\n"), std::string::npos) << text;
    EXPECT_FALSE(files::Exists(path + ".new"));
}

TEST(SettingsFile, AnUnwritableLocationFailsWithoutLosingTheFile) {
    test::TempFolder dir;
    const std::string path = dir / "s.ini";
    auto store = OpenSettingsFile(path);
    ASSERT_TRUE(store->WriteString("LastUse", "Alias", "Kept"));
    ASSERT_TRUE(files::SetReadOnly(path, true));
    EXPECT_FALSE(store->WriteString("LastUse", "Alias", "Lost"));
    EXPECT_EQ(store->GetString("LastUse", "Alias", ""), "Kept");
    files::SetReadOnly(path, false);
}

TEST(MemorySettings, RoundTripsWithNamesWithoutRegardToCase) {
    auto store = NewMemorySettings();
    ExpectRoundTrip(*store, "LastUse");
    ASSERT_TRUE(store->WriteString("Settings", "PPCTSKPath", "\\Themes\\"));
    EXPECT_EQ(store->GetString("SETTINGS", "ppctskpath", ""), "\\Themes\\");
}

// Whatever the code reads and writes goes to the store a test installed; the
// user's own settings (the registry key, the file under the configuration
// folder) are neither created nor changed.
TEST(ScopedSettings, TakeEveryAccessAndLeaveTheUsersSettingsUntouched) {
    test::TempFolder dir;
    auto store = OpenSettingsFile(dir / "test.ini");
    const std::string key = "scoped-" + std::to_string(process::CurrentProcessId());
#ifdef _WIN32
    const std::string userKey = "Software\\Morwen 2\\Morwen\\" + key;
#else
    const std::string userFile = UserSettingsPath();
    const bool existed = files::Exists(userFile);
    const std::string before = test::ReadText(userFile);
#endif
    SettingsStore* outer = &CurrentSettings();
    {
        ScopedSettings scope(*store);
        EXPECT_EQ(&CurrentSettings(), store.get());
        ASSERT_TRUE(CurrentSettings().WriteInt(key, "system", 1));
        ASSERT_TRUE(CurrentSettings().WriteString("preview", key, "scoped"));
    }
    EXPECT_EQ(&CurrentSettings(), outer);
    EXPECT_EQ(CurrentSettings().GetInt(key, "system", 0), 0);
    EXPECT_EQ(store->GetInt(key, "system", 0), 1);
    EXPECT_EQ(store->GetString("preview", key, ""), "scoped");
#ifdef _WIN32
    HKEY handle = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, userKey.c_str(), 0, KEY_READ, &handle), ERROR_SUCCESS);
    if (handle) RegCloseKey(handle);
#else
    EXPECT_EQ(files::Exists(userFile), existed) << userFile;
    EXPECT_EQ(test::ReadText(userFile), before) << userFile;
#endif
}

#ifdef _WIN32
TEST(UserSettings, KeepsValuesUnderTheApplicationKey) {
    const std::string section = "mrw-test-" + std::to_string(GetCurrentProcessId());
    auto store = OpenUserSettings();
    ExpectRoundTrip(*store, section);
    HKEY key = nullptr;
    const std::string path = "Software\\Morwen 2\\Morwen\\" + section;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0, value = 99, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "system", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(RegQueryValueExA(key, "Alias", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    EXPECT_TRUE(UserSettingsPath().empty());
}
#else
TEST(UserSettings, LiveInTheUsersConfigurationFolder) {
    test::TempFolder dir;
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string old = saved ? saved : "";
    setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    EXPECT_EQ(UserSettingsPath(), dir / "morwen/settings.ini");
    auto store = OpenUserSettings();
    ExpectRoundTrip(*store, "preview");
    EXPECT_TRUE(files::IsFile(dir / "morwen/settings.ini"));
    // A relative XDG_CONFIG_HOME is ignored, as the base-directory rules say.
    setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_NE(UserSettingsPath().find("/.config/morwen/settings.ini"), std::string::npos);
    if (saved) setenv("XDG_CONFIG_HOME", old.c_str(), 1);
    else unsetenv("XDG_CONFIG_HOME");
}
#endif

}  // namespace
}  // namespace mrw
