#include "platform/rtl/thread.h"

#include "platform/rtl/exceptions.h"
#include "platform/win/messages.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

namespace {

constexpr int kSafetyNetMs = 20000;

bool onMainThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

// What a test thread did, kept outside the object so it can be checked after the object is gone.
struct Record {
    std::atomic<bool> executed { false };
    std::atomic<bool> sawTerminate { false };
    std::atomic<bool> destroyed { false };
    std::atomic<int> terminations { 0 };
    std::vector<bool> syncOnMain;
};

class WorkThread : public TThread {
public:
    enum class Mode { Return, Throw, Synchronize, LoopUntilTerminated };

    WorkThread(bool suspended, Mode mode, std::shared_ptr<Record> record)
        : TThread(suspended), m_mode(mode), m_record(std::move(record))
    {
    }
    ~WorkThread() override { m_record->destroyed = true; }

protected:
    void Execute() override
    {
        std::shared_ptr<Record> record = m_record;
        record->executed = true;
        switch (m_mode) {
        case Mode::Return:
            SetReturnValue(42);
            break;
        case Mode::Throw:
            throw EAbort("worker gave up");
        case Mode::Synchronize:
            for (int i = 0; i < 3; ++i)
                Synchronize([&] { record->syncOnMain.push_back(onMainThread()); });
            SetReturnValue(3);
            break;
        case Mode::LoopUntilTerminated:
            while (!Terminated())
                std::this_thread::yield();
            record->sawTerminate = true;
            break;
        }
    }

private:
    Mode m_mode;
    std::shared_ptr<Record> m_record;
};

}  // namespace

TEST(Thread, WaitForReturnsTheReturnValueAfterOnTerminateRanOnTheMainThread)
{
    auto record = std::make_shared<Record>();
    WorkThread thread(true, WorkThread::Mode::Return, record);
    bool terminateOnMain = false;
    thread.OnTerminate = [&](TThread* sender) {
        EXPECT_EQ(sender, &thread);
        terminateOnMain = onMainThread();
        ++record->terminations;
    };
    thread.Start();
    EXPECT_EQ(thread.WaitFor(), 42);
    EXPECT_TRUE(record->executed);
    EXPECT_TRUE(terminateOnMain);
    EXPECT_EQ(record->terminations, 1);
    EXPECT_TRUE(thread.Finished());
    Application::ProcessMessages();
    EXPECT_EQ(record->terminations, 1);
    EXPECT_EQ(thread.WaitFor(), 42);
}

TEST(Thread, FreeOnTerminateDeletesTheObjectAfterOnTerminate)
{
    auto record = std::make_shared<Record>();
    auto* thread = new WorkThread(true, WorkThread::Mode::Return, record);
    thread->FreeOnTerminate = true;
    bool destroyedBeforeTerminate = true;
    thread->OnTerminate = [record, &destroyedBeforeTerminate](TThread*) {
        destroyedBeforeTerminate = record->destroyed;
        ++record->terminations;
    };
    thread->Start();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return record->destroyed.load(); }, kSafetyNetMs));
    EXPECT_FALSE(destroyedBeforeTerminate);
    EXPECT_EQ(record->terminations, 1);
}

TEST(Thread, AtTheEndThreadsLeftToFreeThemselvesAreEndedAndFreed)
{
    // One still running, one never started: both outlive the loop's last turn.
    auto running = std::make_shared<Record>();
    auto* loop = new WorkThread(true, WorkThread::Mode::LoopUntilTerminated, running);
    loop->FreeOnTerminate = true;
    loop->Start();
    auto pending = std::make_shared<Record>();
    auto* late = new WorkThread(false, WorkThread::Mode::Return, pending);
    late->FreeOnTerminate = true;
    auto kept = std::make_shared<Record>();
    WorkThread owned(true, WorkThread::Mode::Return, kept);

    TThread::FreeAbandoned();

    EXPECT_TRUE(running->destroyed);
    EXPECT_TRUE(running->sawTerminate);
    EXPECT_TRUE(pending->destroyed);
    EXPECT_FALSE(kept->destroyed) << "a thread its owner frees is left to its owner";
}

TEST(Thread, SynchronizeFromTheWorkerRunsWhileTheMainThreadWaits)
{
    auto record = std::make_shared<Record>();
    WorkThread thread(true, WorkThread::Mode::Synchronize, record);
    thread.Start();
    EXPECT_EQ(thread.WaitFor(), 3);
    EXPECT_EQ(record->syncOnMain, (std::vector<bool> { true, true, true }));
}

TEST(Thread, SynchronizeOnTheMainThreadRunsAtOnce)
{
    bool ran = false;
    TThread::Synchronize([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(TThread::IsMainThread());
}

TEST(Thread, AnExceptionFromSynchronizeComesBackToTheWorker)
{
    std::string caught;
    class Thrower : public TThread {
    public:
        explicit Thrower(std::string& caught) : TThread(true), m_caught(caught) {}

    protected:
        void Execute() override
        {
            try {
                Synchronize([] { throw EConvertError("bad value"); });
            } catch (const EConvertError& e) {
                m_caught = e.Message();
            }
        }

    private:
        std::string& m_caught;
    } thread(caught);
    thread.Start();
    thread.WaitFor();
    EXPECT_EQ(caught, "bad value");
}

TEST(Thread, AnExceptionEscapingExecuteIsKeptAndTheThreadStillEnds)
{
    auto record = std::make_shared<Record>();
    WorkThread thread(true, WorkThread::Mode::Throw, record);
    thread.OnTerminate = [&](TThread*) { ++record->terminations; };
    thread.Start();
    EXPECT_EQ(thread.WaitFor(), 0);
    EXPECT_EQ(record->terminations, 1);
    ASSERT_TRUE(thread.FatalException());
    EXPECT_EQ(thread.FatalMessage(), "worker gave up");
    EXPECT_THROW(std::rethrow_exception(thread.FatalException()), EAbort);
}

TEST(Thread, ANonSuspendedThreadStartsOnItsOwn)
{
    auto record = std::make_shared<Record>();
    WorkThread thread(false, WorkThread::Mode::Return, record);
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return thread.Finished(); }, kSafetyNetMs));
    EXPECT_TRUE(record->executed);
    EXPECT_EQ(thread.ReturnValue(), 42);
    EXPECT_THROW(thread.Start(), EThread);
}

TEST(Thread, ASuspendedThreadWaitsForStart)
{
    auto record = std::make_shared<Record>();
    WorkThread thread(true, WorkThread::Mode::Return, record);
    Application::ProcessMessages();
    EXPECT_FALSE(record->executed);
    EXPECT_THROW(thread.WaitFor(), EThread);
    thread.Resume();
    EXPECT_THROW(thread.Start(), EThread);
    EXPECT_EQ(thread.WaitFor(), 42);
}

TEST(Thread, WaitForStartsAThreadWhoseStartIsStillPending)
{
    auto record = std::make_shared<Record>();
    WorkThread thread(false, WorkThread::Mode::Return, record);
    EXPECT_EQ(thread.WaitFor(), 42);
    Application::ProcessMessages();
    EXPECT_TRUE(record->executed);
}

TEST(Thread, DestroyingARunningThreadTerminatesAndWaits)
{
    auto record = std::make_shared<Record>();
    auto thread = std::make_unique<WorkThread>(true, WorkThread::Mode::LoopUntilTerminated, record);
    thread->OnTerminate = [&](TThread*) { ++record->terminations; };
    thread->Start();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return record->executed.load(); }, kSafetyNetMs));
    EXPECT_FALSE(thread->Terminated());
    thread.reset();
    EXPECT_TRUE(record->sawTerminate);
    EXPECT_EQ(record->terminations, 1);
    Application::ProcessMessages();
    EXPECT_EQ(record->terminations, 1);
}

TEST(Thread, DestroyingAThreadNeverStartedRunsNothing)
{
    auto record = std::make_shared<Record>();
    {
        WorkThread pending(false, WorkThread::Mode::Return, record);
        WorkThread suspended(true, WorkThread::Mode::Return, record);
    }
    Application::ProcessMessages();
    EXPECT_FALSE(record->executed);
}

TEST(Thread, QueuedCallsRunLaterOnTheMainThread)
{
    std::atomic<bool> ran { false };
    bool onMain = false;
    std::thread worker([&] { TThread::Queue([&] { onMain = onMainThread(); ran = true; }); });
    worker.join();
    EXPECT_TRUE(Application::ProcessMessagesUntil([&] { return ran.load(); }, kSafetyNetMs));
    EXPECT_TRUE(onMain);
}
