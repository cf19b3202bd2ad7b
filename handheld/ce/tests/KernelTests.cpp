// The CE layer's kernel: processes, waits, cross-process sends, Sleep in
// device time, libraries and dialogs, on a device folder made per test.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include "base/TextEncoding.h"
#include "handheld/ce/Boot.h"
#include "handheld/ce/Inspect.h"
#include "handheld/ce/Kernel.h"
#include "handheld/device/Device.h"
#include "platform/Files.h"
#include "platform/ScratchFolder.h"

using namespace mrw::ce;

namespace {

constexpr UINT kAsk = WM_USER + 1;
constexpr UINT kAnswer = WM_USER + 2;

std::atomic<int> destroyedWindows{0};

LRESULT AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAnswer) return 41;
    if (message == WM_DESTROY) ++destroyedWindows;
    return DefWindowProcW(window, message, wParam, lParam);
}

// B's window: asked by A, it asks A's window back while A waits for it.
LRESULT AskBackProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAsk) return SendMessageW(FindWindowW(u"AWin", nullptr), kAnswer, 0, 0) + 1;
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(const char16_t* className, WNDPROC proc, HINSTANCE instance) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowW(className, className, WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, instance, nullptr);
}

int RunLoop() {
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0)) DispatchMessageW(&m);
    return static_cast<int>(m.wParam);
}

int ProcBMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    MakeWindow(u"BWin", AskBackProc, instance);
    return RunLoop();
}

int ProcAMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    MakeWindow(u"AWin", AnswerProc, instance);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(u"\\Windows\\procb", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi)) {
        return -1;
    }
    HWND b = nullptr;
    while (!(b = FindWindowW(u"BWin", nullptr))) Sleep(10);
    auto result = static_cast<int>(SendMessageW(b, kAsk, 0, 0));
    SendMessageW(b, WM_CLOSE, 0, 0);
    WaitForSingleObject(pi.hProcess, INFINITE);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return result;
}

int SleeperMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    DWORD start = GetTickCount();
    for (int i = 0; i < 5; ++i) Sleep(2000);
    return static_cast<int>(GetTickCount() - start >= 10000);
}

int WindowOwnerMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    HWND w = MakeWindow(u"Owned", AnswerProc, instance);
    CreateWindowW(u"Static", u"child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, w, nullptr, instance, nullptr);
    return 3;
}

int CommandLineMain(HINSTANCE, HINSTANCE, LPWSTR commandLine, int) {
    return commandLine && std::u16string(commandLine) == u"a b" ? 5 : 6;
}

int ExitingMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    ExitProcess(77);
    return 1;
}

const char16_t* const kDeviceLibrary = u"\\Windows\\testlib.dll";

int DialogMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    HMODULE lib = LoadLibraryW(kDeviceLibrary);
    if (!lib) return -1;
    auto proc = reinterpret_cast<DLGPROC>(reinterpret_cast<void*>(GetProcAddressW(lib, u"TestOptionsProc")));
    int result = proc ? DialogBoxParamW(lib, MAKEINTRESOURCEW(500), nullptr, proc, 0) : -2;
    FreeLibrary(lib);
    return result;
}

struct Registered {
    Registered() {
        RegisterProgram(u"proca", ProcAMain);
        RegisterProgram(u"procb", ProcBMain);
        RegisterProgram(u"sleeper", SleeperMain);
        RegisterProgram(u"owner", WindowOwnerMain);
        RegisterProgram(u"cmdline", CommandLineMain);
        RegisterProgram(u"exiting", ExitingMain);
        RegisterProgram(u"dialog", DialogMain);
    }
} registered;

class KernelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.path().empty());
        dir_ = scratch_.path() + "device";
        mrw::device::InitOptions options;
        options.settings.todayScreen = false;
        std::string error;
        ASSERT_TRUE(mrw::device::Device::Create(dir_, options, error)) << error;
        files_ = dir_ + "/files";
        ASSERT_TRUE(mrw::files::CreateFolders(files_ + "/Windows/Sub"));
        for (const char* name : {"proca.exe", "procb.exe", "sleeper.exe", "Owner.EXE", "cmdline.exe", "exiting.exe",
                                 "dialog.exe", "pfaceTSKLoad.exe", "notes.txt"}) {
            ASSERT_TRUE(mrw::files::WriteAll(files_ + "/Windows/" + name, "", 0));
        }
        Prepare();
        boot_ = Boot::Start(dir_, error);
        ASSERT_TRUE(boot_) << error;
    }
    virtual void Prepare() {}
    void TearDown() override {
        if (!boot_) return;
        std::string error;
        EXPECT_TRUE(boot_->Shutdown(error)) << error;
        boot_.reset();
    }

    // Runs an image from outside and waits for it and all it started.
    DWORD Run(const char16_t* image, const char16_t* commandLine = nullptr) {
        DWORD code = 0;
        std::string error;
        EXPECT_TRUE(boot_->Run(image, commandLine ? commandLine : u"", code, error)) << error;
        return code;
    }

    std::vector<mrw::device::Event> Events() {
        std::vector<mrw::device::Event> events;
        for (auto& e : boot_->GetDevice().Events()) events.push_back(e.event);
        return events;
    }

    std::string Field(const mrw::device::Event& e, const char* name) {
        for (auto& f : e.fields) {
            if (f.name == name) return f.text;
        }
        return "<none>";
    }

    mrw::ScratchFolder scratch_{"ce-kernel-"};
    std::string dir_;
    std::string files_;
    std::unique_ptr<Boot> boot_;
};

TEST_F(KernelTest, SendBackToTheWaitingSenderDoesNotDeadlock) {
    EXPECT_EQ(42u, Run(u"\\Windows\\proca"));
    auto events = Events();
    // A's send to B and B's send back are both logged, each from its sender.
    int messages = 0;
    for (auto& e : events) {
        if (e.kind != "message") continue;
        ++messages;
        if (Field(e, "toClass") == "BWin" && Field(e, "message") == std::to_string(kAsk)) {
            EXPECT_EQ("\\Windows\\proca.exe", Field(e, "from"));
        }
        if (Field(e, "toClass") == "AWin") {
            EXPECT_EQ("\\Windows\\procb.exe", Field(e, "from"));
        }
    }
    EXPECT_EQ(3, messages);  // ask, answer, close
}

TEST_F(KernelTest, SleepCostsNoRealTime) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(1u, Run(u"\\Windows\\sleeper.exe"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST_F(KernelTest, ProcessWindowsDieWithTheProcess) {
    destroyedWindows = 0;
    EXPECT_EQ(3u, Run(u"\\Windows\\owner"));
    EXPECT_EQ(nullptr, FindWindowW(u"Owned", nullptr));
    EXPECT_EQ(1, destroyedWindows.load());
    auto events = Events();
    // The image is named as the file is stored; the start event says who started it.
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ("start", events[0].kind);
    EXPECT_EQ("\\Windows\\Owner.EXE", Field(events[0], "image"));
    EXPECT_EQ("", Field(events[0], "process"));
    EXPECT_EQ("exit", events.back().kind);
    EXPECT_EQ("3", Field(events.back(), "exitCode"));
}

TEST_F(KernelTest, CommandLineAndExitProcess) {
    EXPECT_EQ(5u, Run(u"\\Windows\\cmdline.exe", u"a b"));
    EXPECT_EQ(77u, Run(u"\\Windows\\exiting.exe"));
}

TEST_F(KernelTest, SendToADestroyedWindowGivesZero) {
    HWND w = MakeWindow(u"Outside", AnswerProc, nullptr);
    EXPECT_EQ(41, SendMessageW(w, kAnswer, 0, 0));
    DestroyWindow(w);
    EXPECT_EQ(0, SendMessageW(w, kAnswer, 0, 0));
    EXPECT_EQ(ERROR_INVALID_WINDOW_HANDLE, GetLastError());
}

TEST_F(KernelTest, CreateProcessErrors) {
    PROCESS_INFORMATION pi{};
    EXPECT_FALSE(CreateProcessW(u"\\Windows\\missing.exe", nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, &pi));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_FALSE(CreateProcessW(nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, &pi));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_FALSE(CreateProcessW(u"\\Windows\\Sub.x", nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, &pi));
    EXPECT_FALSE(CreateProcessW(u"\\Windows\\..\\..\\proca.exe", nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr,
                                nullptr, &pi));
    EXPECT_NE(0u, GetLastError());
    EXPECT_TRUE(Events().empty());

    // Any other file is an outside program: logged, ended at once with 0.
    EXPECT_EQ(0u, Run(u"\\Windows\\pfaceTSKLoad"));
    EXPECT_EQ(0u, Run(u"\\Windows\\notes.txt"));
    auto events = Events();
    ASSERT_EQ(4u, events.size());
    EXPECT_EQ("\\Windows\\pfaceTSKLoad.exe", Field(events[0], "image"));
    EXPECT_EQ("exit", events[1].kind);
}

class LibraryTest : public KernelTest {
protected:
    void Prepare() override {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(mrw::files::ReadAll(MRW_CE_TEST_LIBRARY, bytes));
        ASSERT_TRUE(mrw::files::WriteAll(files_ + "/Windows/testlib.dll", bytes.data(), bytes.size()));
        ASSERT_TRUE(mrw::files::ReadAll(MRW_CE_NO_ENTRY_LIBRARY, bytes));
        ASSERT_TRUE(mrw::files::WriteAll(files_ + "/Windows/noentry.dll", bytes.data(), bytes.size()));
        ASSERT_TRUE(mrw::files::WriteAll(files_ + "/Windows/text.dll", "MZ not really", 13));
    }
};

TEST_F(LibraryTest, OrdinalNamesPathResourcesAndInUse) {
    HMODULE lib = LoadLibraryW(u"\\windows\\TESTLIB.DLL");
    ASSERT_NE(nullptr, lib);
    EXPECT_FALSE(DeleteFileW(kDeviceLibrary));
    EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
    EXPECT_FALSE(MoveFileW(kDeviceLibrary, u"\\Windows\\moved.dll"));
    EXPECT_EQ(ERROR_SHARING_VIOLATION, GetLastError());
    using Add = int (*)(int, int);
    auto add = reinterpret_cast<Add>(reinterpret_cast<void*>(GetProcAddressW(lib, MAKEINTRESOURCEW(ORDINAL_INITIALIZEITEM))));
    ASSERT_NE(nullptr, add);
    EXPECT_EQ(5, add(2, 3));
    EXPECT_EQ(nullptr, GetProcAddressW(lib, MAKEINTRESOURCEW(ORDINAL_OPTIONSDIALOGPROC)));
    EXPECT_EQ(ERROR_PROC_NOT_FOUND, GetLastError());
    auto count = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddressW(lib, u"TestAttachCount")));
    ASSERT_NE(nullptr, count);
    EXPECT_EQ(1, count());

    WCHAR path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(lib, path, MAX_PATH), 0u);
    EXPECT_EQ(std::u16string(kDeviceLibrary), path);

    WCHAR text[64];
    EXPECT_EQ(15, LoadStringW(lib, 101, text, 64));
    EXPECT_EQ(std::u16string(u"Hello, \"device\""), text);
    EXPECT_EQ(0, LoadStringW(lib, 999, text, 64));
    HICON icon = LoadIconW(lib, MAKEINTRESOURCEW(102));
    ASSERT_NE(nullptr, icon);
    EXPECT_TRUE(DestroyIcon(icon));

    // A second load shares the module; the file stays in use until the last free.
    EXPECT_EQ(lib, LoadLibraryW(kDeviceLibrary));
    EXPECT_TRUE(FreeLibrary(lib));
    EXPECT_FALSE(DeleteFileW(kDeviceLibrary));
    EXPECT_TRUE(FreeLibrary(lib));
    EXPECT_FALSE(FreeLibrary(lib));
    EXPECT_TRUE(DeleteFileW(kDeviceLibrary));
}

TEST_F(LibraryTest, FilesThatAreNoHandheldLibraryFailCleanly) {
    EXPECT_EQ(nullptr, LoadLibraryW(u"\\Windows\\text.dll"));
    EXPECT_EQ(ERROR_BAD_FORMAT, GetLastError());
    EXPECT_EQ(nullptr, LoadLibraryW(u"\\Windows\\missing.dll"));
    EXPECT_EQ(ERROR_MOD_NOT_FOUND, GetLastError());
#if !defined(_WIN32)
    EXPECT_EQ(nullptr, LoadLibraryW(u"\\Windows\\noentry.dll"));
    EXPECT_EQ(ERROR_BAD_FORMAT, GetLastError());
#endif
    EXPECT_TRUE(DeleteFileW(u"\\Windows\\text.dll"));
}

TEST_F(LibraryTest, DialogDrivenFromOutside) {
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(u"\\Windows\\dialog", nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, &pi));
    ASSERT_TRUE(WaitUntilIdle());
    HWND dialog = FindDialog(u"Test Options");
    ASSERT_NE(nullptr, dialog);
    DWORD flags = 0;
    EXPECT_TRUE(ShInitDialogFlags(dialog, flags));
    EXPECT_EQ(SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN, flags);
    EXPECT_EQ(u"hello", ControlText(dialog, 1002));
    EXPECT_EQ(u"7", ControlText(dialog, 1001));
    EXPECT_TRUE(TypeText(dialog, 1001, u"12a3"));  // a number field takes digits only
    EXPECT_EQ(u"123", ControlText(dialog, 1001));
    EXPECT_TRUE(PressButton(dialog, 1003));
    EXPECT_TRUE(PressButton(dialog, IDOK));
    kernel::WaitForTree(pi.dwProcessId);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(1231u, code);
    EXPECT_EQ(nullptr, FindDialog(u""));
    EXPECT_TRUE(DeleteFileW(kDeviceLibrary));  // freed when the process ended
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

}  // namespace
