// The task framework: threads, start signal, cancellation, events.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "editor/tasks/WaitingTaskRunner.h"

namespace mrw {
namespace {

constexpr int kCancelled = 2;
constexpr int kUnexpected = 9;

// Reports a caption and ten steps, polling for a cancel before each.
class CountingTask : public Task {
public:
    CountingTask() : Task(kCancelled, kUnexpected) {}
    int DoWork() override {
        ran = true;
        workerId = std::this_thread::get_id();
        Report({TaskEvent::kCaption, 157, 0});
        for (int i = 0; i <= 10; ++i) {
            if (CancelRequested()) return kCancelled;
            Report({TaskEvent::kStep, i, 10});
            if (i == throwAt) throw std::runtime_error("boom");
            if (waitAt == i) {
                EXPECT_TRUE(WaitForCancel(60000));  // woken by the display
            }
        }
        return 0;
    }
    bool ran = false;
    int throwAt = -1;
    int waitAt = -1;
    std::thread::id workerId;
};

// Records what it is shown, and on which thread; cancels at a step.
class RecordingRunner : public WaitingTaskRunner {
public:
    std::vector<int> steps;
    int caption = 0;
    int cancelAt = -1;
    bool otherThread = false;
    Task* task = nullptr;

protected:
    void OnCaption(int id) override {
        Check();
        caption = id;
    }
    void OnStep(int step, int count) override {
        Check();
        steps.push_back(step * 100 / count);
        if (step == cancelAt) task->RequestCancel();
    }
    void OnIdle(Task& t) override { task = &t; }
    void Check() { otherThread = otherThread || std::this_thread::get_id() != caller; }
    std::thread::id caller = std::this_thread::get_id();
};

TEST(Task, WorkRunsOnAWorkerAndItsEventsReachTheCallingThreadInOrder) {
    CountingTask task;
    RecordingRunner runner;
    EXPECT_TRUE(task.Run(runner));
    EXPECT_NE(task.workerId, std::this_thread::get_id());
    EXPECT_FALSE(runner.otherThread);
    EXPECT_EQ(runner.caption, 157);
    ASSERT_EQ(runner.steps.size(), 11u);
    EXPECT_EQ(runner.steps.front(), 0);
    EXPECT_EQ(runner.steps.back(), 100);

    task.throwAt = 4;
    EXPECT_FALSE(task.Run(runner));
    EXPECT_EQ(task.status, kUnexpected);
}

TEST(Task, ACancelFromTheDisplayStopsTheWorkAndIsClearedForTheNextRun) {
    CountingTask task;
    task.waitAt = 3;  // the work waits at step 3 until the display has cancelled
    RecordingRunner runner;
    runner.cancelAt = 3;
    EXPECT_FALSE(task.Run(runner));
    EXPECT_TRUE(task.Cancelled());
    EXPECT_EQ(runner.steps.size(), 4u);

    task.waitAt = -1;
    runner.cancelAt = -1;
    EXPECT_TRUE(task.Run(runner));
    EXPECT_FALSE(task.Cancelled());
}

TEST(Task, AWorkerNeverStartedEndsWithoutItsWork) {
    CountingTask task;
    TaskEventQueue queue;
    {
        TaskWorker worker;
        ASSERT_TRUE(worker.Launch(task, queue));
    }
    EXPECT_FALSE(task.ran);
    EXPECT_EQ(task.status, kUnexpected);
    TaskEvent done;
    ASSERT_TRUE(queue.Pop(done, 0));
    EXPECT_EQ(done.kind, TaskEvent::kDone);
    EXPECT_EQ(done.value, kUnexpected);
}

}  // namespace
}  // namespace mrw
