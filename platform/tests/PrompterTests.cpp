#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

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
    scripted.SetAnswers({kIdNo});
    const std::string pattern = LoadResourceString(155);
    ASSERT_NE(pattern.find("%s"), std::string::npos);
    EXPECT_EQ(ShowMessage(155, "Blue", kMbYesNo | kMbIconQuestion), kIdNo);
    // With the queue empty, questions take their first answer.
    EXPECT_EQ(ShowMessage(168, kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(ShowText("fixed", kMbOk), kIdOk);
    ASSERT_EQ(scripted.Messages().size(), 3u);
    EXPECT_EQ(scripted.Messages()[0].text, FormatResourceText(pattern, "Blue"));
    EXPECT_NE(scripted.Messages()[0].text.find("Blue"), std::string::npos);
    EXPECT_EQ(scripted.Messages()[0].style, kMbYesNo | kMbIconQuestion);
    EXPECT_EQ(scripted.Messages()[1].text, LoadResourceString(168));
    EXPECT_EQ(scripted.Messages()[2].text, "fixed");
    // Shown without its argument, a text keeps no "%s".
    ShowMessage(155, kMbOk);
    ASSERT_EQ(scripted.Messages().size(), 4u);
    EXPECT_EQ(scripted.Messages()[3].text.find("%s"), std::string::npos);
    EXPECT_EQ(scripted.Messages()[3].text, FormatResourceText(pattern, ""));
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
    ASSERT_EQ(inner.Messages().size(), 1u);
    ASSERT_EQ(outer.Messages().size(), 1u);
    EXPECT_EQ(outer.Messages()[0].text, "outer");
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

// Without an installed prompter nothing is shown and nothing waits for an answer.
TEST(Prompter, WithoutAnInstalledOneQuestionsTakeTheirFirstAnswerSilently) {
    Prompter* installed = SetPrompter(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ShowText("unseen", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(ShowText("unseen", kMbOkCancel), kIdOk);
    CustomColours custom{};
    EXPECT_FALSE(CurrentPrompter().OpenFile({}));
    EXPECT_FALSE(CurrentPrompter().ChooseColour(0x123456, custom));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    SetPrompter(installed);
}

TEST(Prompter, ScriptedDialogsAnswerInOrderThenCancelAndAreRecorded) {
    ScriptedPrompter scripted("Morwen");
    ScopedPrompter scope(scripted);
    scripted.SetFileAnswers({std::string("a.tsk"), std::nullopt});
    scripted.SetColourAnswers({0x00FF8000u});
    FileDialogRequest save;
    save.filter = "Themes (*.tsk)|*.tsk||";
    save.initialFile = "Blue.tsk";
    save.defaultExtension = "tsk";
    EXPECT_EQ(CurrentPrompter().SaveFile(save), std::optional<std::string>("a.tsk"));
    EXPECT_EQ(CurrentPrompter().OpenFile({}), std::nullopt);
    EXPECT_EQ(CurrentPrompter().OpenFile({}), std::nullopt);  // queue empty: cancelled
    CustomColours custom{};
    custom[3] = 0x0000FFu;
    EXPECT_EQ(CurrentPrompter().ChooseColour(0x112233u, custom), std::optional<uint32_t>(0x00FF8000u));
    EXPECT_EQ(CurrentPrompter().ChooseColour(0x112233u, custom), std::nullopt);

    const auto files = scripted.FileDialogs();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_TRUE(files[0].save);
    EXPECT_EQ(files[0].request.initialFile, "Blue.tsk");
    EXPECT_EQ(files[0].request.filter, "Themes (*.tsk)|*.tsk||");
    EXPECT_FALSE(files[1].save);
    const auto colours = scripted.ColourDialogs();
    ASSERT_EQ(colours.size(), 2u);
    EXPECT_EQ(colours[0].initial, 0x112233u);
    EXPECT_EQ(colours[0].custom[3], 0x0000FFu);
    EXPECT_EQ(CurrentPrompter().Caption(), "Morwen");
}

// Worker threads show messages while the test thread reads the records.
TEST(Prompter, ScriptedPrompterTakesMessagesFromSeveralThreads) {
    constexpr int kThreads = 4, kEach = 250;
    ScriptedPrompter scripted;
    ScopedPrompter scope(scripted);
    scripted.SetAnswers(std::vector<int>(kThreads * kEach / 2, kIdNo));
    std::atomic<int> noes{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&noes] {
            for (int i = 0; i < kEach; ++i) {
                if (ShowText("question", kMbYesNo) == kIdNo) ++noes;
            }
        });
    }
    size_t seen = 0;
    for (int i = 0; i < 100; ++i) {
        const size_t now = scripted.Messages().size();
        EXPECT_GE(now, seen);
        seen = now;
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(noes.load(), kThreads * kEach / 2);  // every scripted answer given exactly once
    EXPECT_EQ(scripted.Messages().size(), size_t(kThreads * kEach));
}

TEST(ResourceText, AProgramsTableIsInstalledForItsScope) {
    class Table : public ResourceTable {
    public:
        std::optional<std::string> Text(int id) const override {
            if (id == 155) return std::string("own %s");
            return std::nullopt;
        }
    } own;
    const std::string editorText = LoadResourceString(155);
    {
        // A library that is not there leaves the compiled-in texts to answer.
        ScopedResourceTable scope(own, "NoSuchTexts.dll");
        EXPECT_EQ(LoadResourceString(155), "own %s");
        EXPECT_EQ(LoadResourceString(168), "");
    }
    EXPECT_EQ(LoadResourceString(155), editorText);
    EXPECT_NE(editorText, "own %s");
}

}  // namespace
}  // namespace mrw
