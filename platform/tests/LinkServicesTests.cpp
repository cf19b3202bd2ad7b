// Dynamic libraries, events, file times and desktop text: the services the
// handheld link is built on.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/DesktopText.h"
#include "platform/DynamicLibrary.h"
#include "platform/Events.h"
#include "platform/FileTimes.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace mrw {
namespace {

#if defined(_WIN32)
const char* const kSystemLibrary = "kernel32.dll";
const char* const kSystemFunction = "GetTickCount";
#else
const char* const kSystemLibrary = "libc.so.6";
const char* const kSystemFunction = "strlen";
#endif

TEST(DynamicLibraryTest, LoadsByNameFindsSymbolsAndUnloads) {
    dynlib::DynamicLibrary library;
    ASSERT_TRUE(library.Load(kSystemLibrary)) << library.Error();
    EXPECT_NE(library.Symbol(kSystemFunction), nullptr);
    EXPECT_EQ(library.Symbol("NoSuchFunctionAnywhere"), nullptr);
    dynlib::DynamicLibrary moved(std::move(library));
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_TRUE(moved.IsLoaded());
    moved.Unload();
    EXPECT_FALSE(moved.IsLoaded());
    EXPECT_EQ(moved.Symbol(kSystemFunction), nullptr);

    EXPECT_FALSE(moved.Load("no-such-library-here.so"));
    EXPECT_FALSE(moved.Error().empty());
    EXPECT_FALSE(moved.Load(""));
}

TEST(EventsTest, ManualResetStaysSetAndWaitReportsWhichOne) {
    events::ManualResetEvent first, second;
    ASSERT_TRUE(first.IsValid() && second.IsValid());
    events::WaitHandle both[] = {first.Handle(), second.Handle()};
    EXPECT_EQ(events::WaitAny(both, 2, 0), events::kWaitTimeout);

    ASSERT_TRUE(second.Set());
    EXPECT_EQ(events::WaitAny(both, 2, 0), 1);
    EXPECT_EQ(events::WaitAny(both, 2, 0), 1);  // manual reset: still set
    ASSERT_TRUE(second.Set());                   // setting twice is one set
    ASSERT_TRUE(second.Reset());
    EXPECT_EQ(events::WaitAny(both, 2, 0), events::kWaitTimeout);
    EXPECT_TRUE(second.Reset());  // resetting a clear event is harmless

    EXPECT_EQ(events::WaitAny(both, 0, 0), events::kWaitFailed);
}

TEST(EventsTest, WaitEndsWhenAnotherThreadSetsAndTimesOutOtherwise) {
    events::ManualResetEvent event;
    events::WaitHandle handle = event.Handle();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(events::WaitAny(&handle, 1, 60), events::kWaitTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(55));

    std::thread setter([&event] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        event.Set();
    });
    EXPECT_EQ(events::WaitAny(&handle, 1, events::kInfinite), 0);
    setter.join();
}

TEST(FileTimesTest, ReadsAndSetsTimesAsFileTimeValues) {
    std::string path = paths::Join(files::TempFolder(), "mrw-file-times.bin");
    ASSERT_TRUE(files::WriteAll(path, "x", 1));
    files::FileTimes times;
    ASSERT_TRUE(files::GetTimes(path, times));
    // Written just now: after 2020-01-01, and created no later than written.
    const uint64_t year2020 = files::FileTimeFromUnix(1577836800, 0);
    EXPECT_GT(times.lastWrite, year2020);
    EXPECT_GT(times.creation, year2020);
    EXPECT_LE(times.creation, times.lastWrite + files::kFileTimeTicksPerSecond);

    const uint64_t written = files::FileTimeFromUnix(1600000000, 123456700);
    ASSERT_TRUE(files::SetTimes(path, nullptr, nullptr, &written));
    files::FileTimes after;
    ASSERT_TRUE(files::GetTimes(path, after));
    EXPECT_EQ(after.lastWrite, written);
    EXPECT_EQ(after.lastAccess, times.lastAccess);  // null leaves it alone

    EXPECT_FALSE(files::GetTimes(path + ".missing", times));
    EXPECT_FALSE(files::SetTimes(path + ".missing", nullptr, nullptr, &written));
    files::Delete(path);

    EXPECT_EQ(files::FileTimeFromUnix(0, 0), files::kFileTimeUnixEpochSeconds * files::kFileTimeTicksPerSecond);
}

TEST(DesktopTextTest, RoundTripsThroughUtf16) {
    EXPECT_EQ(desktoptext::ToUtf16("\\My Documents\\Themes\\"), u"\\My Documents\\Themes\\");
    EXPECT_EQ(desktoptext::FromUtf16(u"Blue.tsk"), "Blue.tsk");
    const char16_t buffer[8] = {u'a', u'b', 0, u'c'};
    EXPECT_EQ(desktoptext::FromUtf16(buffer, 8), "ab");
    EXPECT_EQ(desktoptext::FromUtf16(buffer, 1), "a");  // never reads past the buffer
#if !defined(_WIN32)
    EXPECT_EQ(desktoptext::ToUtf16("Caf\xC3\xA9"), u"Caf\u00E9");
    EXPECT_EQ(desktoptext::FromUtf16(u"Caf\u00E9"), "Caf\xC3\xA9");
#endif
}

}  // namespace
}  // namespace mrw
