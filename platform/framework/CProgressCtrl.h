// A progress bar control of a dialog, driven by its PBM_* messages.
#pragma once

#include "platform/Platform.h"

namespace platform {

class CProgressCtrl {
public:
    void Attach(Window window) { window_ = window; }
    Window GetSafeHwnd() const { return window_; }

    // The control keeps 16-bit bounds.
    void SetRange(int low, int high);
    // These return the previous position, as the control does.
    int SetPos(int pos);
    int DeltaPos(int delta);
    int GetPos() const;

private:
    Window window_ = 0;
};

}  // namespace platform
