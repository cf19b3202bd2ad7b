// Starting programs: the command-line rules and the exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/Process.h"
#include "testing/TestSupport.h"

namespace mrw {
namespace {

namespace fs = std::filesystem;

TEST(Process, CommandLinesSplitByTheRuntimeRules) {
    using V = std::vector<std::string>;
    EXPECT_EQ(process::SplitCommandLine("cabwiz \"C:\\a b\\Today.INF\" /CPU POCKETPC2002"),
              (V{"cabwiz", "C:\\a b\\Today.INF", "/CPU", "POCKETPC2002"}));
    EXPECT_EQ(process::SplitCommandLine("  a\\\\\"b c\"  d\\e  "), (V{"a\\b c", "d\\e"}));
    EXPECT_EQ(process::SplitCommandLine("a\\\"b \"\""), (V{"a\"b", ""}));
    EXPECT_EQ(process::SplitCommandLine("\"say \"\"hi\"\"\""), (V{"say \"hi\""}));
    EXPECT_TRUE(process::SplitCommandLine("   ").empty());
    // Quoted arguments come back unchanged: folders ending in "\", quotes, blanks.
    const V args{"Z:\\dev\\", "say \"hi\"", "a\\\"b", "", "\\My Documents\\x.tsk"};
    std::string line;
    for (const auto& a : args) line += process::QuoteArgument(a) + " ";
    EXPECT_EQ(process::SplitCommandLine(line), args);
}

TEST(Process, AMissingProgramDoesNotStartAndARealOneIsWaitedFor) {
    test::TempFolder dir;
    process::StartOptions options;
    EXPECT_FALSE(process::Start(dir / process::ExecutableName("nothing"), "nothing", options));
    // The cabinet builder without a script reports a usage error (exit status 2).
    std::error_code ec;
    fs::copy_file(fs::u8path(test::CabWizProgram()), fs::u8path(dir / process::ExecutableName("CabWiz")), ec);
    ASSERT_FALSE(ec) << ec.message();
    int exitCode = -5;
    options.folder = dir.path();
    EXPECT_TRUE(process::Start(dir / process::ExecutableName("CabWiz"), "cabwiz", options, &exitCode));
    EXPECT_EQ(exitCode, 2);
}

}  // namespace
}  // namespace mrw
