// Package tasks.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "editor/packages/PackageTask.h"
#include "editor/tasks/WaitingTaskRunner.h"

namespace mrw {
namespace {

class RecordingTask : public PackageTask {
public:
    int DoWork() override {
        workerId = std::this_thread::get_id();
        SetStep(1);  // maxStep still 0: not shown
        SetCaption(157);
        maxStep = 6;
        for (int i = 0; i <= 6; i += 3) SetStep(i);
        if (throwInWork) throw std::runtime_error("boom");
        return result;
    }
    int result = 0;
    bool throwInWork = false;
    std::thread::id workerId;
};

TEST(PackageTask, ErrorStringIdCoversTheBuildStatuses) {
    EXPECT_EQ(PackageTask::ErrorStringId(0), 125);
    EXPECT_EQ(PackageTask::ErrorStringId(1), 126);
    EXPECT_EQ(PackageTask::ErrorStringId(7), 132);
    EXPECT_EQ(PackageTask::ErrorStringId(8), 125);
    EXPECT_EQ(PackageTask::ErrorStringId(-1), 125);
}

TEST(PackageTask, WorkRunsOnAWorkerThreadAndItsResultIsTheStatus) {
    WaitingTaskRunner runner;
    RecordingTask ok;
    EXPECT_TRUE(ok.Run(runner));
    EXPECT_EQ(ok.status, 0);
    EXPECT_NE(ok.workerId, std::this_thread::get_id());

    RecordingTask failing;
    failing.result = 6;
    EXPECT_FALSE(failing.Run(runner));
    EXPECT_EQ(failing.status, 6);
}

TEST(PackageTask, AnErrorInTheWorkStaysOnTheWorkerThread) {
    WaitingTaskRunner runner;
    RecordingTask task;
    task.throwInWork = true;
    EXPECT_FALSE(task.Run(runner));
    EXPECT_EQ(task.status, kTaskStatusUnexpected);
}

TEST(PackageTask, StepsAreShownAsPercentagesOnceTheStepCountIsSet) {
    struct Display : WaitingTaskRunner {
        std::vector<int> captions;
        std::vector<int> percents;
        void OnCaption(int id) override { captions.push_back(id); }
        void OnStep(int step, int count) override { percents.push_back(step * 100 / count); }
    } display;
    RecordingTask task;
    EXPECT_TRUE(task.Run(display));
    EXPECT_EQ(display.captions, (std::vector<int>{157}));
    EXPECT_EQ(display.percents, (std::vector<int>{0, 50, 100}));
}

}  // namespace
}  // namespace mrw
