// Our RAPI library over a virtual handheld: the connection, the file calls
// with the handheld's refusals, the link's device options and the registry.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/TextEncoding.h"
#include "handheld/device/Device.h"
#include "handheld/device/FileSystem.h"
#include "handheld/rapi/RapiTypes.h"
#include "platform/DynamicLibrary.h"
#include "platform/Events.h"
#include "platform/Files.h"
#include "testing/TestSupport.h"


using namespace mrw::rapi;

namespace {

// The entry points as a user of the library finds them: loaded by name.
#define MRW_RAPI_POINTER(name, result, params) RapiFn_##name name = nullptr;
MRW_RAPI_FUNCTIONS(MRW_RAPI_POINTER)
#undef MRW_RAPI_POINTER

void* FindEntry(const char* name) {
    static mrw::dynlib::DynamicLibrary library;
    if (!library.IsLoaded()) {
#if defined(_WIN32)
        library.Load("RAPI.DLL");
#else
        library.Load(MRW_RAPI_LIBRARY);
#endif
    }
    return library.Symbol(name);
}

class BindEntries : public ::testing::Environment {
public:
    void SetUp() override {
#define MRW_RAPI_BIND(name, result, params)                      \
    name = reinterpret_cast<RapiFn_##name>(FindEntry(#name)); \
    ASSERT_NE(name, nullptr) << #name;
        MRW_RAPI_FUNCTIONS(MRW_RAPI_BIND)
#undef MRW_RAPI_BIND
    }
};
const auto* const kBindEntries = ::testing::AddGlobalTestEnvironment(new BindEntries);

void SetDeviceEnv(const std::string& dir) {
#if defined(_WIN32)
    _putenv_s("MRW_DEVICE", dir.c_str());
#else
    if (dir.empty()) {
        unsetenv("MRW_DEVICE");
    } else {
        setenv("MRW_DEVICE", dir.c_str(), 1);
    }
#endif
}

// Waits up to `ms` for the connection event.
bool WaitFor(HANDLE event, int ms) {
    mrw::events::WaitHandle handle = event;
    return mrw::events::WaitAny(&handle, 1, static_cast<uint32_t>(ms)) == 0;
}

std::basic_string<WCHAR> W(const char* text) {
    std::basic_string<WCHAR> out;
    for (char16_t c : mrw::text::Utf8ToUtf16(text)) out.push_back(static_cast<WCHAR>(c));
    return out;
}

using LinkOptions = std::vector<std::pair<std::string, std::string>>;

struct LinkDevice {
    mrw::test::TempFolder tmp;
    std::string dir;
    explicit LinkDevice(LinkOptions link = {},
                        std::vector<std::u16string> roms = {}, std::vector<std::u16string> cards = {}) {
        dir = tmp / "dev";
        mrw::device::InitOptions options;
        options.settings.otherSettings = std::move(link);
        options.settings.romFiles = std::move(roms);
        options.settings.cards = std::move(cards);
        std::string error;
        EXPECT_TRUE(mrw::device::Device::Create(dir, options, error)) << error;
        SetDeviceEnv(dir);
    }
    ~LinkDevice() { SetDeviceEnv(""); }
    std::string Host(const std::string& relative) const { return dir + "/files/" + relative; }
};

// A connection that is up for the test's body.
struct Connected {
    RAPIINIT init{};
    Connected() {
        init.cbSize = sizeof init;
        EXPECT_EQ(CeRapiInitEx(&init), kSOk);
        EXPECT_TRUE(WaitFor(init.heRapiInit, 2000));
        EXPECT_EQ(init.hrRapiInit, kSOk);
    }
    ~Connected() { EXPECT_EQ(CeRapiUninit(), kSOk); }
};

HANDLE Create(const char* path, DWORD access, DWORD disposition) {
    return CeCreateFile(W(path).c_str(), access, 0, nullptr, disposition, 0, nullptr);
}

bool WriteWhole(const char* path, const std::string& bytes) {
    HANDLE h = Create(path, kGenericWrite, kCreateAlways);
    if (h == InvalidHandle()) return false;
    DWORD written = 0;
    const BOOL ok = CeWriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CeCloseHandle(h);
    return ok && written == bytes.size();
}

uint64_t FromParts(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

int CallEvents(const std::string& dir, const char* function) {
    std::string error;
    auto device = mrw::device::Device::Open(dir, error);
    int n = 0;
    for (const auto& e : device->Events()) {
        if (e.event.kind == "call" && !e.event.fields.empty() && e.event.fields[0].text == function) ++n;
    }
    return n;
}

TEST(RapiConnection, RecordSizeNoDeviceRefusalAndPairedCallEvents) {
    {
        SetDeviceEnv("");
        RAPIINIT bad{};
        bad.cbSize = sizeof bad + 1;
        EXPECT_EQ(CeRapiInitEx(&bad), kEInvalidArg);
        // No device: the attempt never ends, and calls fail outside a connection.
        RAPIINIT init{};
        init.cbSize = sizeof init;
        ASSERT_EQ(CeRapiInitEx(&init), kSOk);
        EXPECT_FALSE(WaitFor(init.heRapiInit, 150));
        EXPECT_EQ(CeGetFileAttributes(W("\\Windows").c_str()), kInvalidAttributes);
        EXPECT_LT(CeRapiGetError(), 0);
        EXPECT_EQ(CeRapiUninit(), kSOk);
        EXPECT_EQ(CeRapiUninit(), kEFail);  // nothing left to end
    }
    {
        LinkDevice device(LinkOptions{{"refuse", "1"}});
        RAPIINIT init{};
        init.cbSize = sizeof init;
        ASSERT_EQ(CeRapiInitEx(&init), kSOk);
        ASSERT_TRUE(WaitFor(init.heRapiInit, 2000));
        EXPECT_EQ(init.hrRapiInit, kEFail);
        EXPECT_TRUE(WaitFor(init.heRapiInit, 0));  // manual reset: still set
        EXPECT_EQ(CeGetFileAttributes(W("\\Windows").c_str()), kInvalidAttributes);
        EXPECT_EQ(CeRapiUninit(), kSOk);
        EXPECT_EQ(CallEvents(device.dir, "CeRapiInitEx"), 1);
        EXPECT_EQ(CallEvents(device.dir, "CeRapiUninit"), 1);
    }
}

TEST(RapiConnection, ConnectDelayCountsFromTheFirstAttempt) {
    LinkDevice device(LinkOptions{{"connect-delay", "300"}});
    RAPIINIT probe{};
    probe.cbSize = sizeof probe;
    ASSERT_EQ(CeRapiInitEx(&probe), kSOk);
    EXPECT_FALSE(WaitFor(probe.heRapiInit, 50));  // the quick probe fails
    EXPECT_EQ(CeRapiUninit(), kSOk);
    bool connected = false;
    for (int i = 0; i < 10 && !connected; ++i) {  // 100 ms polling connects
        RAPIINIT init{};
        init.cbSize = sizeof init;
        ASSERT_EQ(CeRapiInitEx(&init), kSOk);
        connected = WaitFor(init.heRapiInit, 100) && init.hrRapiInit == kSOk;
        if (connected) {
            EXPECT_NE(CeGetFileAttributes(W("\\Windows").c_str()), kInvalidAttributes);
        }
        EXPECT_EQ(CeRapiUninit(), kSOk);
    }
    EXPECT_TRUE(connected);
}

TEST(RapiConnection, ManyCyclesAndErrorsPerThread) {
    LinkDevice device;
    SetDeviceEnv("");  // the cycles without a device log nothing
    HANDLE first = nullptr, last = nullptr;
    for (int i = 0; i < 10000; ++i) {
        RAPIINIT init{};
        init.cbSize = sizeof init;
        ASSERT_EQ(CeRapiInitEx(&init), kSOk);
        (i == 0 ? first : last) = init.heRapiInit;
        ASSERT_EQ(CeRapiUninit(), kSOk);
    }
#if !defined(_WIN32)
    EXPECT_EQ(first, last);  // each cycle gives its event back: no descriptor left behind
#endif
    SetDeviceEnv(device.dir);
    Connected link;
    EXPECT_EQ(CeGetFileAttributes(W("\\nothing").c_str()), kInvalidAttributes);
    DWORD other = 0;
    std::thread([&other]() {
        CeCreateDirectory(W("\\Windows").c_str(), nullptr);
        other = CeGetLastError();
    }).join();
    EXPECT_EQ(other, kErrorAlreadyExists);
    EXPECT_EQ(CeGetLastError(), kErrorFileNotFound);
}

TEST(RapiConnection, CallsFromSeveralThreadsShareTheConnection) {
    LinkDevice device;
    Connected link;
    auto work = [](const char* path, int& good) {
        for (int i = 0; i < 100; ++i) good += WriteWhole(path, std::string(100 + i, 'q')) ? 1 : 0;
    };
    int a = 0, b = 0;
    std::thread first(work, "\\Temp\\a", std::ref(a));
    std::thread second(work, "\\Temp\\b", std::ref(b));
    first.join();
    second.join();
    EXPECT_EQ(a + b, 200);
    EXPECT_EQ(mrw::files::SizeOf(device.Host("Temp/b")), 199);
}

TEST(RapiFiles, DispositionsReadWriteAndTimes) {
    LinkDevice device;
    Connected link;
    ASSERT_TRUE(WriteWhole("\\My Documents\\a.tsk", std::string(1025, 'x')));
    HANDLE h = Create("\\my documents\\A.TSK", kGenericWrite, kCreateNew);
    EXPECT_EQ(h, InvalidHandle());
    EXPECT_EQ(CeGetLastError(), kErrorFileExists);
    h = Create("\\My Documents\\a.tsk", kGenericRead, kOpenAlways);
    ASSERT_NE(h, InvalidHandle());
    EXPECT_EQ(CeGetLastError(), kErrorAlreadyExists);
    {
        // Between calls the device is free for others, open files and all.
        std::string error;
        EXPECT_TRUE(mrw::device::Device::Open(device.dir, error)) << error;
    }
    DWORD high = 1;
    EXPECT_EQ(CeGetFileSize(h, &high), 1025u);
    EXPECT_EQ(high, 0u);
    std::vector<char> buffer(1024);
    DWORD read = 0;
    ASSERT_TRUE(CeReadFile(h, buffer.data(), 1024, &read, nullptr));
    EXPECT_EQ(read, 1024u);
    ASSERT_TRUE(CeReadFile(h, buffer.data(), 1024, &read, nullptr));
    EXPECT_EQ(read, 1u);
    ASSERT_TRUE(CeReadFile(h, buffer.data(), 1024, &read, nullptr));
    EXPECT_EQ(read, 0u);  // end of file
    FILETIME created{1, 2};
    ASSERT_TRUE(CeSetFileTime(h, &created, nullptr, nullptr));
    FILETIME c{}, w{};
    ASSERT_TRUE(CeGetFileTime(h, &c, nullptr, &w));
    EXPECT_EQ(c.dwLowDateTime, 1u);
    EXPECT_EQ(c.dwHighDateTime, 2u);
    EXPECT_NE(w.dwHighDateTime, 0u);  // the host file's time
    EXPECT_TRUE(CeCloseHandle(h));
    EXPECT_FALSE(CeCloseHandle(h));
    EXPECT_EQ(CeGetLastError(), kErrorInvalidHandle);
    // Moving onto an existing name fails; a missing path gives 3.
    ASSERT_TRUE(WriteWhole("\\My Documents\\b.tsk", "b"));
    EXPECT_FALSE(CeMoveFile(W("\\My Documents\\b.tsk").c_str(), W("\\My Documents\\A.tsk").c_str()));
    EXPECT_EQ(CeGetLastError(), kErrorAlreadyExists);
    EXPECT_EQ(Create("\\Nowhere\\x", kGenericWrite, kCreateAlways), InvalidHandle());
    EXPECT_EQ(CeGetLastError(), kErrorPathNotFound);
}

TEST(RapiFiles, CreationTimesOutliveTheConnectionAndDamagedRecordsReadAsNone) {
    LinkDevice device;
    {
        Connected link;
        ASSERT_TRUE(WriteWhole("\\Windows\\app.exe", "x"));
        HANDLE h = Create("\\Windows\\app.exe", kGenericWrite, kOpenExisting);
        FILETIME created{0x1234, 0x01D00000};
        ASSERT_TRUE(CeSetFileTime(h, &created, nullptr, nullptr));
        CeCloseHandle(h);
    }
    {
        Connected link;
        CE_FIND_DATA data{};
        HANDLE find = CeFindFirstFile(W("\\WINDOWS\\APP.EXE").c_str(), &data);
        ASSERT_NE(find, InvalidHandle());
        CeFindClose(find);
        EXPECT_EQ(data.ftCreationTime.dwLowDateTime, 0x1234u);
        EXPECT_EQ(data.ftCreationTime.dwHighDateTime, 0x01D00000u);
    }
    mrw::test::WriteText(device.dir + "/link-times", "garbage\n-5\t\\windows\\app.exe\n\t\n");
    Connected link;
    HANDLE h = Create("\\Windows\\app.exe", kGenericRead, kOpenExisting);
    FILETIME c{}, w{};
    ASSERT_TRUE(CeGetFileTime(h, &c, nullptr, &w));
    CeCloseHandle(h);
    EXPECT_EQ(FromParts(c), FromParts(w));  // no record: the last write
}

TEST(RapiFiles, TransferDelayOnEachReadAndWrite) {
    LinkDevice device(LinkOptions{{"transfer-delay", "40"}});
    Connected link;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WriteWhole("\\Temp\\d", "d"));
    HANDLE h = Create("\\Temp\\d", kGenericRead, kOpenExisting);
    char c = 0;
    DWORD read = 0;
    ASSERT_TRUE(CeReadFile(h, &c, 1, &read, nullptr));
    CeCloseHandle(h);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(80));
}

TEST(RapiFiles, FindSkipsDotsAndFindAllFilters) {
    LinkDevice device(LinkOptions{}, {u"\\Windows\\rom.tsk"}, {u"Storage Card"});
    Connected link;
    ASSERT_TRUE(CeCreateDirectory(W("\\Windows\\Sub.tsk").c_str(), nullptr));
    ASSERT_TRUE(WriteWhole("\\Windows\\b.TSK", "b"));
    CE_FIND_DATA data{};
    HANDLE find = CeFindFirstFile(W("\\Windows\\*.*").c_str(), &data);
    ASSERT_NE(find, InvalidHandle());
    std::vector<std::string> names;
    do {
        std::u16string name;
        for (size_t i = 0; data.cFileName[i]; ++i) name.push_back(static_cast<char16_t>(data.cFileName[i]));
        names.push_back(mrw::text::Utf16ToUtf8(name));
    } while (CeFindNextFile(find, &data));
    EXPECT_EQ(CeGetLastError(), kErrorNoMoreFiles);
    EXPECT_TRUE(CeFindClose(find));
    EXPECT_EQ(names, (std::vector<std::string>{"b.TSK", "rom.tsk", "Sub.tsk", "unload.exe", "wceload.exe"}));

    DWORD count = 0;
    CE_FIND_DATA* all = nullptr;
    ASSERT_TRUE(CeFindAllFiles(W("\\*.*").c_str(), FAF_FOLDERS_ONLY | FAF_NAME | FAF_ATTRIBUTES, &count, &all));
    ASSERT_EQ(count, 5u);  // My Documents, Program Files, Storage Card, Temp, Windows
    EXPECT_EQ(all[2].dwFileAttributes & CE_FILE_ATTRIBUTE_TEMPORARY, CE_FILE_ATTRIBUTE_TEMPORARY);
    EXPECT_EQ(CeRapiFreeBuffer(all), kSOk);
    EXPECT_EQ(CeRapiFreeBuffer(all), kEFail);  // not ours any more
    ASSERT_TRUE(CeFindAllFiles(W("\\Windows\\*.tsk").c_str(), FAF_NO_HIDDEN_SYS_ROMMODULES | FAF_NAME, &count, &all));
    EXPECT_EQ(count, 2u);  // b.TSK and the folder Sub.tsk, not the ROM file
    EXPECT_EQ(CeRapiFreeBuffer(all), kSOk);
    ASSERT_TRUE(CeFindAllFiles(W("\\Temp\\*").c_str(), FAF_NAME, &count, &all));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(all, nullptr);
    EXPECT_EQ(CeRapiFreeBuffer(nullptr), kSOk);
    EXPECT_FALSE(CeFindAllFiles(W("\\Missing\\*").c_str(), FAF_NAME, &count, &all));
    EXPECT_EQ(CeGetLastError(), kErrorPathNotFound);
}

TEST(RapiFiles, RomReadOnlyLockedFullAndPathsLeadingOut) {
    LinkDevice device(LinkOptions{{"capacity", "3000"}, {"locked", "\\Windows\\locked.tsk"}},
                      {u"\\Windows\\rom.tsk"});
    ASSERT_TRUE(mrw::files::WriteAll(device.Host("Windows/locked.tsk"), "", 0));
    ASSERT_TRUE(mrw::files::SetReadOnly(device.Host("Windows/locked.tsk"), true));
    Connected link;
    const auto rom = W("\\Windows\\rom.tsk");
    EXPECT_FALSE(CeDeleteFile(rom.c_str()));
    EXPECT_EQ(CeGetLastError(), kErrorAccessDenied);
    EXPECT_FALSE(CeSetFileAttributes(rom.c_str(), CE_FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_FALSE(CeMoveFile(rom.c_str(), W("\\Windows\\x.tsk").c_str()));
    EXPECT_EQ(Create("\\Windows\\rom.tsk", kGenericWrite, kOpenExisting), InvalidHandle());
    EXPECT_EQ(CeGetLastError(), kErrorAccessDenied);

    const auto locked = W("\\Windows\\locked.tsk");
    EXPECT_FALSE(CeDeleteFile(locked.c_str()));
    EXPECT_EQ(CeGetLastError(), kErrorAccessDenied);
    EXPECT_FALSE(CeSetFileAttributes(locked.c_str(), CE_FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(CeGetLastError(), kErrorAccessDenied);

    ASSERT_TRUE(WriteWhole("\\Temp\\ro.tsk", "r"));
    ASSERT_TRUE(CeSetFileAttributes(W("\\Temp\\ro.tsk").c_str(), CE_FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(CeDeleteFile(W("\\Temp\\ro.tsk").c_str()));  // the host's write bit, even for root
    EXPECT_EQ(CeGetLastError(), kErrorAccessDenied);
    ASSERT_TRUE(CeSetFileAttributes(W("\\Temp\\ro.tsk").c_str(), CE_FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_TRUE(CeDeleteFile(W("\\Temp\\ro.tsk").c_str()));

    // 3000 bytes in all: the second write of 2000 does not fit.
    HANDLE h = Create("\\Temp\\big", kGenericWrite, kCreateAlways);
    ASSERT_NE(h, InvalidHandle());
    std::string block(2000, 'z');
    DWORD written = 0;
    EXPECT_TRUE(CeWriteFile(h, block.data(), 2000, &written, nullptr));
    EXPECT_FALSE(CeWriteFile(h, block.data(), 2000, &written, nullptr));
    EXPECT_EQ(CeGetLastError(), kErrorDiskFull);
    EXPECT_EQ(written, 0u);
    CeCloseHandle(h);
    EXPECT_EQ(mrw::files::SizeOf(device.Host("Temp/big")), 2000);

    for (const char* out : {"\\..\\escape", "\\Windows\\..\\..\\escape", "\\a/../../escape"}) {
        EXPECT_EQ(Create(out, kGenericWrite, kCreateAlways), InvalidHandle()) << out;
        EXPECT_FALSE(CeCreateDirectory(W(out).c_str(), nullptr)) << out;
    }
    EXPECT_FALSE(mrw::files::Exists(device.tmp / "escape"));
    EXPECT_FALSE(mrw::files::Exists(device.dir + "/escape"));
}

TEST(RapiSystem, VersionRegistryAndMissingProgram) {
    LinkDevice device;
    Connected link;
    CEOSVERSIONINFO info{};
    info.dwOSVersionInfoSize = sizeof info - 1;
    EXPECT_FALSE(CeGetVersionEx(&info));
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(CeGetVersionEx(&info));
    EXPECT_EQ(info.dwMajorVersion, 3u);
    EXPECT_EQ(info.dwPlatformId, kVerPlatformWin32Ce);

    EXPECT_FALSE(CeCreateProcess(W("\\Windows\\nothing").c_str(), W("").c_str(), nullptr, nullptr, kFalse, 0,
                                 nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(CeGetLastError(), kErrorFileNotFound);

    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(CeRegCreateKeyEx(RootKey(kHkeyLocalMachine), W("Software\\Link").c_str(), 0, nullptr, 0, 0, nullptr,
                               &key, &disposition),
              0);
    EXPECT_EQ(disposition, kRegCreatedNewKey);
    const DWORD value = 7;
    ASSERT_EQ(CeRegSetValueEx(key, W("n").c_str(), 0, kRegDword, reinterpret_cast<const BYTE*>(&value), 4), 0);
    EXPECT_EQ(CeRegCloseKey(key), 0);
    ASSERT_EQ(CeRegOpenKeyEx(RootKey(kHkeyLocalMachine), W("software\\LINK").c_str(), 0, 0, &key), 0);
    DWORD type = 0, size = 2, read = 0;
    EXPECT_EQ(CeRegQueryValueEx(key, W("N").c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&read), &size),
              static_cast<LONG>(kErrorMoreData));
    EXPECT_EQ(size, 4u);
    ASSERT_EQ(CeRegQueryValueEx(key, W("N").c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&read), &size), 0);
    EXPECT_EQ(read, 7u);
    EXPECT_EQ(CeRegDeleteValue(key, W("n").c_str()), 0);
    EXPECT_EQ(CeRegQueryValueEx(key, W("n").c_str(), nullptr, &type, nullptr, &size),
              static_cast<LONG>(kErrorFileNotFound));
    EXPECT_EQ(CeRegCloseKey(key), 0);
    EXPECT_EQ(CeRegOpenKeyEx(RootKey(kHkeyLocalMachine), W("Software\\None").c_str(), 0, 0, &key),
              static_cast<LONG>(kErrorFileNotFound));
}

TEST(RapiSystem, CreateProcessRunsTheImageOnTheDeviceWithoutWaiting) {
    LinkDevice device;
    {
        Connected link;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CeCreateProcess(W("\\Windows\\unload").c_str(), W("\"a b\" c").c_str(), nullptr, nullptr,
                                    kFalse, 0, nullptr, nullptr, nullptr, &info));
        EXPECT_TRUE(CeCloseHandle(info.hProcess));
        EXPECT_TRUE(CeCloseHandle(info.hThread));
    }
    // The helper boots the device once the call has let go of it.
    std::string image, commandLine;
    bool exited = false;
    for (int i = 0; i < 200 && !exited; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::string error;
        auto dev = mrw::device::Device::Open(device.dir, error);
        if (!dev) continue;
        for (const auto& e : dev->Events()) {
            exited = exited || e.event.kind == "exit";
            if (e.event.kind != "start") continue;
            for (const auto& f : e.event.fields) {
                if (f.name == "image") image = f.text;
                if (f.name == "commandLine") commandLine = f.text;
            }
        }
    }
    EXPECT_EQ(image, "\\Windows\\unload.exe");
    EXPECT_EQ(commandLine, "\"a b\" c");
}

}  // namespace
