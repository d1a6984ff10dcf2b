// A worker thread started by AfxBeginThread. The object owns the thread:
// Join waits for it to end and releases it, and an object that still owns a
// thread joins it when destroyed, so no thread outlives what it may use.
#pragma once

#include "platform/Platform.h"

namespace platform {

class CWinThread {
public:
    CWinThread() = default;
    explicit CWinThread(ThreadHandle handle) : handle_(handle) {}
    ~CWinThread() { Join(); }
    CWinThread(CWinThread&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
    CWinThread& operator=(CWinThread&& other) noexcept;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // True while the object owns a thread (started and not yet joined),
    // whether or not that thread is still running.
    bool IsJoinable() const { return handle_ != 0; }
    // True once the owned thread has ended (and so has made every call it
    // was going to make); false while it runs or when the object owns none.
    bool HasEnded() const;
    void Join();

private:
    ThreadHandle handle_ = 0;
};

// Starts `proc(param)` at normal priority with the default stack.
CWinThread AfxBeginThread(ThreadProc proc, void* param);

}  // namespace platform
