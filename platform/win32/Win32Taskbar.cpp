#include "platform/win32/Win32Taskbar.h"

#include "platform/win32/Win32SystemLibrary.h"

namespace platform::win32 {

namespace {
// COM serves only this extra, so ole32 is loaded when the shell announces
// the button instead of being imported: a system (or a Wine prefix) that
// cannot give it loses the progress on the button, not the installation.
struct Ole32 {
    decltype(::CoInitializeEx)* initialize = SystemFunction<decltype(::CoInitializeEx)>("ole32.dll", "CoInitializeEx");
    decltype(::CoCreateInstance)* createInstance =
        SystemFunction<decltype(::CoCreateInstance)>("ole32.dll", "CoCreateInstance");
    decltype(::CoUninitialize)* uninitialize = SystemFunction<decltype(::CoUninitialize)>("ole32.dll", "CoUninitialize");

    bool Available() const { return initialize != nullptr && createInstance != nullptr && uninitialize != nullptr; }
};

const Ole32& Com() {
    static const Ole32 functions;
    return functions;
}

TBPFLAG ToFlag(TaskbarProgress state) {
    switch (state) {
    case TaskbarProgress::kNormal:
        return TBPF_NORMAL;
    case TaskbarProgress::kError:
        return TBPF_ERROR;
    case TaskbarProgress::kNone:
        break;
    }
    return TBPF_NOPROGRESS;
}

ULONGLONG NonNegative(int value) { return value > 0 ? static_cast<ULONGLONG>(value) : 0; }
}  // namespace

TaskbarProgressMirror::TaskbarProgressMirror() : buttonCreated_(::RegisterWindowMessageW(L"TaskbarButtonCreated")) {}

TaskbarProgressMirror::~TaskbarProgressMirror() {
    // The object belongs to the apartment and goes before it.
    taskbar_.reset();
    if (apartmentEntered_) Com().uninitialize();
}

bool TaskbarProgressMirror::EnterApartment() {
    if (!apartmentEntered_ && Com().Available()) {
        apartmentEntered_ = SUCCEEDED(Com().initialize(nullptr, COINIT_APARTMENTTHREADED));
    }
    return apartmentEntered_;
}

void TaskbarProgressMirror::AcceptButtonMessage(HWND dialog) const {
    if (buttonCreated_ != 0) ::ChangeWindowMessageFilterEx(dialog, buttonCreated_, MSGFLT_ALLOW, nullptr);
}

void TaskbarProgressMirror::OnButtonCreated(HWND dialog) {
    dialog_ = dialog;
    // A restarted shell made a new button; the old object may serve it no more.
    taskbar_.reset();
    ITaskbarList3* created = nullptr;
    if (!EnterApartment() ||
        FAILED(Com().createInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                  reinterpret_cast<void**>(&created))) ||
        created == nullptr) {
        return;
    }
    taskbar_.reset(created);
    if (FAILED(taskbar_->HrInit())) {
        taskbar_.reset();
        return;
    }
    Apply();
}

void TaskbarProgressMirror::Request(HWND dialog, TaskbarProgress state, int completed, int total) {
    dialog_ = dialog;
    requested_ = true;
    state_ = state;
    completed_ = completed;
    total_ = total;
    Apply();
}

void TaskbarProgressMirror::Apply() {
    if (!taskbar_ || !requested_ || dialog_ == nullptr) return;
    // Setting a value turns the button's state to normal; the state set
    // after it is the one that stays.
    if (state_ != TaskbarProgress::kNone) taskbar_->SetProgressValue(dialog_, NonNegative(completed_), NonNegative(total_));
    taskbar_->SetProgressState(dialog_, ToFlag(state_));
}

}  // namespace platform::win32
