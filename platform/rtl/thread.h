#pragma once

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// A worker thread that meets the main thread the runtime's way: OnTerminate and
// Synchronize run on the main thread's loop, and WaitFor on the main thread
// keeps that loop running so neither can deadlock against the other.
//
// A subclass whose Execute uses the subclass's own members ends the thread in its
// own destructor (Terminate(); WaitFor();), since by the time this base destructor
// runs those members are gone.
class TThread {
public:
    using TNotifyEvent = std::function<void(TThread* Sender)>;

    // Not suspended: the thread starts at the next turn of the main loop (or at Start,
    // or at WaitFor), once the subclass is fully built.
    explicit TThread(bool createSuspended);
    // A thread still running is told to terminate and waited for.
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // EThread when it was started already.
    void Start();
    void Resume() { Start(); }
    void Terminate() { m_terminated = true; }
    bool Terminated() const { return m_terminated; }
    // Waits for the end of Execute and of OnTerminate; the Execute's ReturnValue.
    // EThread for a thread never started, or waiting for itself.
    int WaitFor();
    bool Finished() const;
    int ReturnValue() const;

    // What escaped Execute, if anything; the thread ended normally all the same.
    std::exception_ptr FatalException() const { return m_fatalException; }
    std::string FatalMessage() const;

    // Runs call on the main thread and waits for it; at once when called there.
    // An exception from call comes back to the caller.
    static void Synchronize(const std::function<void()>& call);
    // Runs call on the main thread later, without waiting; exceptions go to the
    // application's handler.
    static void Queue(std::function<void()> call);
    static bool IsMainThread();
    // At the program's end: frees the threads left to free themselves that are still
    // alive (running, or finished with their freeing still queued), each ended first.
    static void FreeAbandoned();
    // True while a thread left to free itself is alive (running, or its freeing queued).
    static bool AbandonedAlive();

    // Read on the main thread once Execute has returned.
    bool FreeOnTerminate { false };
    TNotifyEvent OnTerminate;

protected:
    virtual void Execute() = 0;
    void SetReturnValue(int value) { m_returnValue = value; }

private:
    struct State;

    void run();
    static void finish(const std::shared_ptr<State>& state);
    static void launch(const std::shared_ptr<State>& state, TThread* owner);

    std::shared_ptr<State> m_state;
    std::thread m_thread;
    std::atomic<bool> m_terminated { false };
    int m_returnValue { 0 };
    std::exception_ptr m_fatalException;
};
