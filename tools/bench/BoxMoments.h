// The moments at which a program calls its two message boxes, on the
// performance counter (the same clock in every process): the information
// box, which the worker's thread shows, and the completion box, which the
// dialog shows on the program's main thread. The benchmark times a program
// to its completion box's call against the counter that its runner read just
// before creating it, as it times the durable floor to its work done: each
// program's own clock at its last act, so that no watcher's lag in seeing it
// counts on either side.
#pragma once

#include "CallRecorder.h"

#include <windows.h>

namespace bench {

class BoxMoments final : public CallRecorder {
public:
    // On the program's main thread.
    BoxMoments();
    // Notes the first box called on the main thread and the first on any
    // other; every other call passes at the cost of one comparison.
    std::uint32_t Begin(const char* name) override;
    void End(std::uint32_t /*token*/) override {}
    // After the worker has been joined: information_box_called_at_ms and
    // completion_box_called_at_ms, each when it was called, to the starter.
    void Tell() const;

    // For programs that call their boxes themselves.
    void BoxCalled();

private:
    DWORD mainThread_;
    double informationBoxMs_ = -1;
    double completionBoxMs_ = -1;
};

}  // namespace bench
