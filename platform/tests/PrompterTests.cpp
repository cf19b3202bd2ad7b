#include <gtest/gtest.h>

#include "platform/Prompter.h"
#include "platform/ResourceText.h"

namespace mrw {
namespace {

TEST(ResourceTextFormat, ReplacesOneArgumentAndEscapedPercent) {
    EXPECT_EQ(FormatResourceText("Delete %s?", "Blue"), "Delete Blue?");
    EXPECT_EQ(FormatResourceText("100%% of %s", "x"), "100% of x");
    EXPECT_EQ(FormatResourceText("no argument", "x"), "no argument");
    // Only the first "%s" takes the argument; a trailing '%' stays.
    EXPECT_EQ(FormatResourceText("%s and %s %", "a"), "a and %s %");
    // An argument that itself holds format characters is inserted verbatim.
    EXPECT_EQ(FormatResourceText("[%s]", "%s%%"), "[%s%%]");
}

TEST(Prompter, ScriptedPrompterRecordsFormattedResourceTexts) {
    ScriptedPrompter scripted;
    ScopedPrompter scope(scripted);
    scripted.answers.push_back(kIdNo);
    const std::string pattern = LoadResourceString(155);
    ASSERT_NE(pattern.find("%s"), std::string::npos);
    EXPECT_EQ(ShowMessage(155, "Blue", kMbYesNo | kMbIconQuestion), kIdNo);
    // With the queue empty, questions take their first answer.
    EXPECT_EQ(ShowMessage(168, kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(ShowText("fixed", kMbOk), kIdOk);
    ASSERT_EQ(scripted.shown.size(), 3u);
    EXPECT_EQ(scripted.shown[0].text, FormatResourceText(pattern, "Blue"));
    EXPECT_NE(scripted.shown[0].text.find("Blue"), std::string::npos);
    EXPECT_EQ(scripted.shown[0].style, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(scripted.shown[1].text, LoadResourceString(168));
    EXPECT_EQ(scripted.shown[2].text, "fixed");
    // Shown without its argument, a text keeps no "%s".
    ShowMessage(155, kMbOk);
    ASSERT_EQ(scripted.shown.size(), 4u);
    EXPECT_EQ(scripted.shown[3].text.find("%s"), std::string::npos);
    EXPECT_EQ(scripted.shown[3].text, FormatResourceText(pattern, ""));
}

TEST(Prompter, ScopedPrompterRestoresThePreviousOne) {
    ScriptedPrompter outer, inner;
    {
        ScopedPrompter a(outer);
        {
            ScopedPrompter b(inner);
            ShowText("inner", kMbOk);
        }
        ShowText("outer", kMbOk);
    }
    ASSERT_EQ(inner.shown.size(), 1u);
    ASSERT_EQ(outer.shown.size(), 1u);
    EXPECT_EQ(outer.shown[0].text, "outer");
    EXPECT_NE(&CurrentPrompter(), &outer);
}

TEST(Prompter, StderrPrompterAnswersWithTheFirstButtonOrTheForcedAnswer) {
    StderrPrompter plain;
    StderrPrompter forced(kIdNo);
    testing::internal::CaptureStderr();
    EXPECT_EQ(plain.Show("question", kMbYesNoCancel), kIdYes);
    EXPECT_EQ(plain.Show("note", kMbOkCancel), kIdOk);
    EXPECT_EQ(forced.Show("other", kMbYesNo), kIdNo);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "question\nnote\nother\n");
}

// Console programs (this test, the command-line tool) answer on stderr.
TEST(Prompter, DefaultPrompterOfAConsoleProgramWritesToStderr) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowText("to stderr", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "to stderr\n");
}

}  // namespace
}  // namespace mrw
