#include "platform/framework/CWinThread.h"

namespace platform {

CWinThread& CWinThread::operator=(CWinThread&& other) noexcept {
    if (this != &other) {
        Join();
        handle_ = other.handle_;
        other.handle_ = 0;
    }
    return *this;
}

bool CWinThread::HasEnded() const { return handle_ != 0 && Os().HasThreadEnded(handle_); }

void CWinThread::Join() {
    if (handle_ == 0) return;
    const ThreadHandle handle = handle_;
    handle_ = 0;
    Os().JoinThread(handle);
}

CWinThread AfxBeginThread(ThreadProc proc, void* param) { return CWinThread(Os().StartThread(proc, param)); }

}  // namespace platform
