#include "BoxMoments.h"

#include "ToStarter.h"
#include "WinHandle.h"

#include <cstring>

namespace bench {

BoxMoments::BoxMoments() : mainThread_(GetCurrentThreadId()) {}

std::uint32_t BoxMoments::Begin(const char* name) {
    if (std::strcmp(name, "MessageBox") == 0) BoxCalled();
    return 0;
}

// Each moment is written by one thread only, and read after that thread has
// been joined.
void BoxMoments::BoxCalled() {
    const double now = NowMs();
    double& moment = GetCurrentThreadId() == mainThread_ ? completionBoxMs_ : informationBoxMs_;
    if (moment < 0) moment = now;
}

void BoxMoments::Tell() const {
    if (informationBoxMs_ >= 0) TellStarter("information_box_called_at_ms", informationBoxMs_);
    if (completionBoxMs_ >= 0) TellStarter("completion_box_called_at_ms", completionBoxMs_);
}

}  // namespace bench
