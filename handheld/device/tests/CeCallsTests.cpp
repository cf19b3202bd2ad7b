// The CE file and registry calls over a device: the platform's results and
// error values.
#include <gtest/gtest.h>

#include "handheld/ce/Boot.h"
#include "handheld/ce/Ce.h"
#include "handheld/device/FileSystem.h"
#include "handheld/device/Registry.h"
#include "handheld/device/tests/CeTestBoot.h"
#include "testing/TestSupport.h"

namespace mrw::ce {
namespace {

TEST(CeFiles, HandlesReadWriteSeekAndReportThePlatformsErrors) {
    test::TempFolder tmp;
    test::TestBoot boot(tmp / "dev");
    HANDLE f = CreateFileW(u"\\Temp\\a.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(f, "hello world", 11, &done, nullptr));
    EXPECT_EQ(done, 11u);
    EXPECT_EQ(SetFilePointer(f, -5, nullptr, FILE_END), 6u);
    char buffer[16] = {};
    ASSERT_TRUE(ReadFile(f, buffer, sizeof buffer, &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "world");
    ASSERT_TRUE(ReadFile(f, buffer, sizeof buffer, &done, nullptr));  // at the end: success, nothing read
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(SetFilePointer(f, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(SetFilePointer(f, 5, nullptr, FILE_BEGIN), 5u);
    ASSERT_TRUE(SetEndOfFile(f));
    EXPECT_EQ(GetFileSize(f, nullptr), 5u);
    // The file is not shared: nobody else opens it.
    EXPECT_EQ(CreateFileW(u"\\temp\\A.TXT", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_TRUE(CloseFileHandle(f));
    EXPECT_FALSE(CloseFileHandle(f));
    EXPECT_FALSE(ReadFile(f, buffer, 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    f = CreateFileW(u"\\Temp\\a.txt", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseFileHandle(f);
    EXPECT_EQ(CreateFileW(u"\\Temp\\a.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
    EXPECT_EQ(CreateFileW(u"\\No\\a.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(GetFileAttributesW(u"\\Temp\\..\\..\\settings"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesW(u"\\Windows\\wceload.exe"), FILE_ATTRIBUTE_INROM);
    EXPECT_FALSE(DeleteFileW(u"\\Windows\\wceload.exe"));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

    // A loaded library's file.
    ASSERT_EQ(boot.Device().Files().SetInUse(u"\\Temp\\a.txt", true), 0u);
    EXPECT_EQ(CreateFileW(u"\\Temp\\a.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    EXPECT_FALSE(MoveFileW(u"\\Temp\\a.txt", u"\\Temp\\b.txt"));
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    boot.Device().Files().SetInUse(u"\\Temp\\a.txt", false);

    ASSERT_TRUE(CopyFileW(u"\\Temp\\a.txt", u"\\Temp\\B.txt", TRUE));
    ASSERT_TRUE(CreateDirectoryW(u"\\Temp\\Sub", nullptr));
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(u"\\temp\\*.*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::u16string> names{data.cFileName};
    while (FindNextFileW(find, &data)) names.push_back(data.cFileName);
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(find));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"a.txt", u"B.txt", u"Sub"}));
    EXPECT_EQ(FindFirstFileW(u"\\Temp\\*.mrw", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(CeRegistry, SizesTypesMoreDataAndDeletionAsThePlatform) {
    test::TempFolder tmp;
    test::TestBoot boot(tmp / "dev");
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Today\\Items\\Morwen", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, &disposition),
              ERROR_SUCCESS);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    const char16_t url[] = u"file://\\Windows\\vx5n.htm";
    ASSERT_EQ(RegSetValueExW(key, u"URL", 0, REG_SZ, reinterpret_cast<const BYTE*>(url), sizeof url), ERROR_SUCCESS);
    const DWORD height = 96;
    ASSERT_EQ(RegSetValueExW(key, u"Height", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&height), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_BINARY, reinterpret_cast<const BYTE*>("\x01"), 1), ERROR_SUCCESS);
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyExW(key, u"Sub\\Deeper", 0, nullptr, 0, 0, nullptr, &sub, nullptr), ERROR_SUCCESS);
    RegCloseKey(sub);
    RegCloseKey(key);

    // Every change is in the device's file at once: a new command sees it.
    boot.Reopen();
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"software\\microsoft\\today\\items\\morwen", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    DWORD type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExW(key, u"url", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, sizeof url);  // with the terminating zero
    char16_t small[4];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueExW(key, u"URL", nullptr, &type, reinterpret_cast<BYTE*>(small), &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    EXPECT_EQ(size, sizeof url);
    char16_t text[64];
    size = sizeof text;
    ASSERT_EQ(RegQueryValueExW(key, u"URL", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(text), url);
    EXPECT_EQ(RegQueryValueExW(key, u"Missing", nullptr, &type, nullptr, &size),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));

    WCHAR name[8];
    DWORD nameSize = 8;
    size = 0;
    ASSERT_EQ(RegEnumValueW(key, 0, name, &nameSize, nullptr, &type, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"URL");
    EXPECT_EQ(nameSize, 3u);
    nameSize = 2;
    EXPECT_EQ(RegEnumValueW(key, 1, name, &nameSize, nullptr, &type, nullptr, &size),
              static_cast<LONG>(ERROR_MORE_DATA));
    nameSize = 8;
    EXPECT_EQ(RegEnumValueW(key, 3, name, &nameSize, nullptr, &type, nullptr, &size),
              static_cast<LONG>(ERROR_NO_MORE_ITEMS));
    nameSize = 8;
    ASSERT_EQ(RegEnumKeyExW(key, 0, name, &nameSize, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    EXPECT_EQ(std::u16string(name), u"Sub");
    RegCloseKey(key);
    EXPECT_EQ(RegCloseKey(key), static_cast<LONG>(ERROR_INVALID_HANDLE));

    ASSERT_EQ(RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Today\\Items\\Morwen"), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Microsoft\\Today\\Items\\Morwen\\Sub", 0, 0, &key),
              static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace mrw::ce
