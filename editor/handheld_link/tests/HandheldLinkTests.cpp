// The binding to the remote-access library and the direct operations over it.
// The stand-in libraries export every name and do nothing; each test replaces
// the entries it exercises with the fakes below.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "editor/handheld_link/DirectOperations.h"
#include "editor/handheld_link/RapiBinding.h"
#include "handheld/device/Device.h"
#include "platform/Files.h"
#include "platform/DesktopText.h"
#include "platform/Events.h"
#include "platform/Settings.h"
#include "testing/TestSupport.h"

namespace mrw::handheld_link {
namespace {

void SetEnvironment(const char* name, const std::string& value) {
#if defined(_WIN32)
    _putenv_s(name, value.c_str());
#else
    if (value.empty()) {
        unsetenv(name);
    } else {
        setenv(name, value.c_str(), 1);
    }
#endif
}

// Points the binding at one of the stand-in libraries, at our RAPI library
// ("ours") or at none.
void UseLibrary(const std::string& variant) {
    std::string folder =
        variant == "ours" ? std::string(MRW_RAPI_DIR) : std::string(MRW_TEST_DIR) + "/fake_rapi_" + variant;
#if defined(_WIN32)
    // LoadLibraryA("RAPI.DLL") searches PATH after the program's folder.
    static const std::string original = std::getenv("PATH") ? std::getenv("PATH") : "";
    _putenv_s("PATH", (folder + ";" + original).c_str());
#else
    SetEnvironment("MRW_RAPI_LIBRARY", folder + "/librapi.so");
#endif
}

// What the fake handheld does and what it was asked.
struct FakeHandheld {
    enum class Answer { kConnect, kRefuse, kFailLater, kNever } answer = Answer::kConnect;
    std::unique_ptr<events::ManualResetEvent> event;
    int inits = 0;
    int uninits = 0;
    rapi::DWORD initSize = 0;
    std::set<std::string> paths;  // existing files and folders
    std::vector<std::string> searched;
    std::vector<std::string> created;
    int findCloses = 0;
    rapi::DWORD createError = rapi::kErrorAlreadyExists;
    rapi::DWORD lastError = 0;
    bool versionFails = false;
    rapi::DWORD major = 3;
    rapi::DWORD versionSize = 0;
};
FakeHandheld* fake = nullptr;

std::string Narrow(rapi::LPCWSTR text) {
    return desktoptext::FromUtf16(reinterpret_cast<const char16_t*>(text), rapi::kMaxPath);
}

rapi::HRESULT MRW_RAPI_CALL FakeInitEx(rapi::RAPIINIT* init) {
    ++fake->inits;
    fake->initSize = init->cbSize;
    if (fake->answer == FakeHandheld::Answer::kRefuse) return rapi::kEFail;
    fake->event = std::make_unique<events::ManualResetEvent>();
    init->heRapiInit = fake->event->Handle();
    init->hrRapiInit = fake->answer == FakeHandheld::Answer::kConnect ? rapi::kSOk : rapi::kEFail;
    if (fake->answer != FakeHandheld::Answer::kNever) fake->event->Set();
    return rapi::kSOk;
}
rapi::HRESULT MRW_RAPI_CALL FakeUninit() {
    ++fake->uninits;
    return rapi::kSOk;
}
rapi::HANDLE MRW_RAPI_CALL FakeFindFirst(rapi::LPCWSTR pattern, rapi::CE_FIND_DATA*) {
    fake->searched.push_back(Narrow(pattern));
    return fake->paths.count(fake->searched.back()) ? reinterpret_cast<rapi::HANDLE>(8) : rapi::InvalidHandle();
}
rapi::BOOL MRW_RAPI_CALL FakeFindClose(rapi::HANDLE) {
    ++fake->findCloses;
    return rapi::kTrue;
}
rapi::BOOL MRW_RAPI_CALL FakeCreateDirectory(rapi::LPCWSTR path, void*) {
    fake->created.push_back(Narrow(path));
    if (!fake->paths.insert(fake->created.back()).second || fake->createError != rapi::kErrorAlreadyExists) {
        fake->lastError = fake->createError;
        return rapi::kFalse;
    }
    return rapi::kTrue;
}
rapi::HRESULT MRW_RAPI_CALL FakeRapiGetError() { return rapi::kSOk; }
rapi::DWORD MRW_RAPI_CALL FakeGetLastError() { return fake->lastError; }
rapi::BOOL MRW_RAPI_CALL FakeGetVersionEx(rapi::CEOSVERSIONINFO* info) {
    fake->versionSize = info->dwOSVersionInfoSize;
    if (fake->versionFails) return rapi::kFalse;
    info->dwMajorVersion = fake->major;
    return rapi::kTrue;
}

class HandheldLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake = &handheld_;
        UseLibrary("complete");
        ASSERT_TRUE(Bind());
        RapiEntryPoints& rapi = Rapi();
        rapi.CeRapiInitEx = FakeInitEx;
        rapi.CeRapiUninit = FakeUninit;
        rapi.CeFindFirstFile = FakeFindFirst;
        rapi.CeFindClose = FakeFindClose;
        rapi.CeCreateDirectory = FakeCreateDirectory;
        rapi.CeRapiGetError = FakeRapiGetError;
        rapi.CeGetLastError = FakeGetLastError;
        rapi.CeGetVersionEx = FakeGetVersionEx;
    }
    void TearDown() override {
        Unbind();
        fake = nullptr;
    }

    FakeHandheld handheld_;
    std::unique_ptr<SettingsStore> store_ = NewMemorySettings();
    ScopedSettings settings_{*store_};
};

TEST(RapiBindingTest, BindsOnceUnbindsAtTheFirstUnbindAndRefusesIncompleteLibraries) {
    UseLibrary("complete");
    ASSERT_TRUE(Bind());
    EXPECT_TRUE(IsBound());
    EXPECT_NE(Rapi().CeRapiInitEx, nullptr);
    EXPECT_NE(Rapi().CeMoveFile, nullptr);
    auto replaced = Rapi().CeRapiInitEx = FakeInitEx;
    EXPECT_TRUE(Bind());  // nested: the same load, entries kept
    EXPECT_EQ(Rapi().CeRapiInitEx, replaced);
    Unbind();
    EXPECT_FALSE(IsBound());
    EXPECT_EQ(Rapi().CeRapiInitEx, nullptr);
    Unbind();  // harmless when not bound

    UseLibrary("incomplete");  // lacks CeMoveFile
    EXPECT_FALSE(Bind());
    EXPECT_FALSE(IsBound());
    EXPECT_EQ(Rapi().CeRapiInitEx, nullptr);

    UseLibrary("missing");
    EXPECT_FALSE(Bind());
    EXPECT_FALSE(IsBound());
}

TEST_F(HandheldLinkTest, ProbeEndsEveryStartedAttemptAndNeverWaitsOnARefusal) {
    {
        ScopedProbe probe;
        EXPECT_TRUE(probe.Connected());
        EXPECT_EQ(handheld_.initSize, sizeof(rapi::RAPIINIT));
        EXPECT_EQ(handheld_.uninits, 0);
    }
    EXPECT_EQ(handheld_.uninits, 1);

    for (auto answer : {FakeHandheld::Answer::kFailLater, FakeHandheld::Answer::kNever}) {
        handheld_.answer = answer;
        ScopedProbe probe;
        EXPECT_FALSE(probe.Connected());
    }
    EXPECT_EQ(handheld_.inits, 3);
    EXPECT_EQ(handheld_.uninits, 3);

    handheld_.answer = FakeHandheld::Answer::kRefuse;
    bool started = true;
    rapi::RAPIINIT record{};
    EXPECT_FALSE(ProbeConnection(record, started));
    EXPECT_FALSE(started);
    { ScopedProbe probe; }
    EXPECT_EQ(handheld_.uninits, 3);  // nothing started, nothing to end
}

TEST_F(HandheldLinkTest, PathExistsSearchesWithoutTheFinalBackslash) {
    handheld_.paths = {"\\My Documents\\Themes"};
    EXPECT_TRUE(HandheldPathExists(""));
    EXPECT_TRUE(HandheldPathExists("\\"));
    EXPECT_TRUE(handheld_.searched.empty());  // the root needs no search
    EXPECT_TRUE(HandheldPathExists("\\My Documents\\Themes\\"));
    EXPECT_TRUE(HandheldPathExists("\\My Documents\\Themes"));
    EXPECT_FALSE(HandheldPathExists("\\My Documents\\Other\\"));
    EXPECT_EQ(handheld_.searched,
              (std::vector<std::string>{"\\My Documents\\Themes", "\\My Documents\\Themes", "\\My Documents\\Other"}));
    EXPECT_EQ(handheld_.findCloses, 2);
}

TEST_F(HandheldLinkTest, CreateFolderAcceptsAnExistingFolderOnly) {
    EXPECT_TRUE(CreateHandheldFolder("\\New"));
    EXPECT_TRUE(CreateHandheldFolder("\\New"));  // 183: exists already
    handheld_.createError = rapi::kErrorPathNotFound;
    EXPECT_FALSE(CreateHandheldFolder("\\Missing\\Child"));
}

TEST_F(HandheldLinkTest, ThemeFolderIsResetOnlyWhenTheHandheldLacksIt) {
    handheld_.paths = {"\\Themes"};
    std::string folder = "\\Themes\\";
    EXPECT_FALSE(EnsureHandheldThemeFolder(folder));
    EXPECT_EQ(folder, "\\Themes\\");
    EXPECT_EQ(store_->GetString("Settings", "PPCTSKPath", "unset"), "unset");

    folder = "\\Gone\\";
    EXPECT_TRUE(EnsureHandheldThemeFolder(folder));
    EXPECT_EQ(folder, "\\My Documents\\Themes\\");
    EXPECT_EQ(handheld_.created, std::vector<std::string>{"\\My Documents\\Themes"});
    EXPECT_EQ(store_->GetString("Settings", "PPCTSKPath", ""), "\\My Documents\\Themes\\");
}

TEST_F(HandheldLinkTest, DetectOsReadsTheMajorVersionAndUnbinds) {
    handheld_.major = 4;
    EXPECT_EQ(DetectHandheldOs(), 1);
    EXPECT_EQ(store_->GetInt("preview", "system", -1), 1);
    EXPECT_EQ(handheld_.versionSize, sizeof(rapi::CEOSVERSIONINFO));
    EXPECT_FALSE(IsBound());
    EXPECT_EQ(handheld_.inits, 1);
    EXPECT_EQ(handheld_.uninits, 1);

    SetUp();
    handheld_.major = 3;
    EXPECT_EQ(DetectHandheldOs(), 0);
    EXPECT_EQ(store_->GetInt("preview", "system", -1), 0);
}

TEST_F(HandheldLinkTest, DetectOsGivesTwoWithoutAnAnswerAndLeavesTheSettingAlone) {
    ASSERT_TRUE(store_->WriteInt("preview", "system", 0));
    handheld_.versionFails = true;
    EXPECT_EQ(DetectHandheldOs(), 2);

    SetUp();
    handheld_.answer = FakeHandheld::Answer::kNever;  // a handheld too slow for the probe
    EXPECT_EQ(DetectHandheldOs(), 2);

    SetUp();
    handheld_.answer = FakeHandheld::Answer::kRefuse;
    EXPECT_EQ(DetectHandheldOs(), 2);
    EXPECT_EQ(handheld_.inits, 3);
    EXPECT_EQ(handheld_.uninits, 2);  // the refused attempt started nothing

    SetUp();
    ASSERT_TRUE(store_->WriteInt("preview", "AutoDetectOS", 0));
    EXPECT_EQ(DetectHandheldOs(), 2);
    EXPECT_EQ(handheld_.inits, 3);  // detection off: no connection at all

    Unbind();
    ASSERT_TRUE(store_->WriteInt("preview", "AutoDetectOS", 1));
    UseLibrary("incomplete");
    EXPECT_EQ(DetectHandheldOs(), 2);
    EXPECT_EQ(store_->GetInt("preview", "system", -1), 0);
}

// A virtual handheld in MRW_DEVICE for the test's lifetime, served by our library.
struct VirtualHandheld {
    test::TempFolder tmp;
    std::string dir;
    explicit VirtualHandheld(uint32_t osMajor, device::Settings settings = {}) {
        dir = tmp / "device";
        device::InitOptions options;
        options.settings = std::move(settings);
        options.settings.osMajor = osMajor;
        std::string error;
        EXPECT_TRUE(device::Device::Create(dir, options, error)) << error;
        SetEnvironment("MRW_DEVICE", dir);
        UseLibrary("ours");
    }
    ~VirtualHandheld() { SetEnvironment("MRW_DEVICE", ""); }
};

class OurLibraryTest : public ::testing::Test {
protected:
    std::unique_ptr<SettingsStore> store_ = NewMemorySettings();
    ScopedSettings settings_{*store_};
};

TEST_F(OurLibraryTest, DetectOsPerSystemAndForSlowOrMissingHandhelds) {
    {
        VirtualHandheld handheld(3);
        EXPECT_EQ(DetectHandheldOs(), 0);
        EXPECT_EQ(store_->GetInt("preview", "system", -1), 0);
    }
    {
        VirtualHandheld handheld(4);
        EXPECT_EQ(DetectHandheldOs(), 1);
        EXPECT_EQ(store_->GetInt("preview", "system", -1), 1);
        EXPECT_FALSE(IsBound());
    }
    {
        device::Settings slow;
        slow.otherSettings = {{"connect-delay", "300"}};
        VirtualHandheld handheld(3, slow);
        EXPECT_EQ(DetectHandheldOs(), 2);  // the 50 ms probe gives up
        EXPECT_EQ(store_->GetInt("preview", "system", -1), 1);
    }
    UseLibrary("ours");  // no handheld at all
    EXPECT_EQ(DetectHandheldOs(), 2);
}

TEST_F(OurLibraryTest, PathsAndTheThemeFolderOnAVirtualHandheld) {
    VirtualHandheld handheld(3);
    ASSERT_TRUE(Bind());
    {
        ScopedProbe probe;
        ASSERT_TRUE(probe.Connected());
        EXPECT_TRUE(HandheldPathExists("\\My Documents\\"));
        EXPECT_TRUE(HandheldPathExists("\\"));
        EXPECT_FALSE(HandheldPathExists("\\My Documents\\Themes\\"));
        std::string folder = "\\My Documents\\Themes\\";
        EXPECT_TRUE(EnsureHandheldThemeFolder(folder));
        EXPECT_EQ(folder, "\\My Documents\\Themes\\");
        EXPECT_TRUE(files::IsDirectory(handheld.dir + "/files/My Documents/Themes"));
        EXPECT_TRUE(HandheldPathExists(folder));
        EXPECT_TRUE(CreateHandheldFolder("\\My Documents\\Themes"));  // exists: still fine
        EXPECT_FALSE(CreateHandheldFolder("\\Missing\\Child"));
    }
    Unbind();
}

}  // namespace
}  // namespace mrw::handheld_link
