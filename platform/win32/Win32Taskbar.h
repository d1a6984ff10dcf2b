// Progress on the taskbar button of the dialog being run.
//
// The shell tells a window that its button exists with the registered
// message "TaskbarButtonCreated" (again whenever the shell restarts); only
// then does the button take progress. Requests made before are kept and
// applied then. Systems without taskbar progress never send the message or
// lack the taskbar object: then requests are kept and nothing is shown.
//
// One object lives for one modal run, on the dialog's thread. It enters a COM
// apartment only when the button exists, so that a system without one (and
// every dialog before the shell has answered) pays nothing for COM.
#pragma once

#include "platform/Platform.h"
#include "platform/win32/WindowsApi.h"

#include <shobjidl.h>

#include <memory>

namespace platform::win32 {

// The COM calls that the taskbar progress needs. COM serves only this extra,
// so ole32 is not imported: a system (or a Wine prefix) that cannot give it
// loses the progress on the button, not the installation.
struct ComFunctions {
    decltype(::CoInitializeEx)* initialize = nullptr;
    decltype(::CoCreateInstance)* createInstance = nullptr;
    decltype(::CoUninitialize)* uninitialize = nullptr;

    bool Available() const { return initialize != nullptr && createInstance != nullptr && uninitialize != nullptr; }
};

// ole32's own, from the system folder, looked up once; null members where it
// cannot be had.
const ComFunctions& SystemComFunctions();

class TaskbarProgressMirror {
public:
    explicit TaskbarProgressMirror(const ComFunctions& com = SystemComFunctions());
    ~TaskbarProgressMirror();
    TaskbarProgressMirror(const TaskbarProgressMirror&) = delete;
    TaskbarProgressMirror& operator=(const TaskbarProgressMirror&) = delete;

    // Lets the shell's message through to `dialog` when the program runs
    // elevated, where messages from less privileged processes are dropped.
    void AcceptButtonMessage(HWND dialog) const;
    bool IsButtonCreated(UINT message) const { return buttonCreated_ != 0 && message == buttonCreated_; }
    void OnButtonCreated(HWND dialog);
    void Request(HWND dialog, TaskbarProgress state, int completed, int total);

private:
    struct Release {
        void operator()(IUnknown* object) const { object->Release(); }
    };

    void Apply();
    bool EnterApartment();

    const ComFunctions& com_;
    UINT buttonCreated_;
    bool apartmentEntered_ = false;
    std::unique_ptr<ITaskbarList3, Release> taskbar_;
    HWND dialog_ = nullptr;
    bool requested_ = false;
    TaskbarProgress state_ = TaskbarProgress::kNone;
    int completed_ = 0;
    int total_ = 0;
};

}  // namespace platform::win32
