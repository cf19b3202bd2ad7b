// The main of every test program. It installs what a program installs at
// start: the editor's resource texts (with its resource library on Windows)
// and a quiet prompter; and it gives each test an empty settings store in
// memory, so that no test reads or writes the user's settings or sees what
// another test wrote.
#include <gtest/gtest.h>

#include <memory>

#include "editor/resources/EditorTexts.h"
#include "platform/Prompter.h"
#include "platform/Settings.h"

namespace {

class ProgramServices : public ::testing::Environment {
public:
    void SetUp() override {
        texts_ = std::make_unique<mrw::ScopedResourceTable>(mrw::EditorResourceTable(), mrw::kEditorResourceLibrary);
        prompter_ = std::make_unique<mrw::ScopedPrompter>(quiet_);
    }
    void TearDown() override {
        prompter_.reset();
        texts_.reset();
    }

private:
    mrw::QuietPrompter quiet_{"test"};
    std::unique_ptr<mrw::ScopedResourceTable> texts_;
    std::unique_ptr<mrw::ScopedPrompter> prompter_;
};

class FreshSettingsPerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        store_ = mrw::NewMemorySettings();
        previous_ = mrw::SetSettings(store_.get());
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        mrw::SetSettings(previous_);
        store_.reset();
    }

private:
    std::unique_ptr<mrw::SettingsStore> store_;
    mrw::SettingsStore* previous_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new ProgramServices);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettingsPerTest);
    return RUN_ALL_TESTS();
}
