#include "platform/win32/Win32Taskbar.h"

#include "platform/win32/Win32SystemLibrary.h"

namespace platform::win32 {

namespace {
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

const ComFunctions& SystemComFunctions() {
    static const ComFunctions functions{
        SystemFunction<decltype(::CoInitializeEx)>("ole32.dll", "CoInitializeEx"),
        SystemFunction<decltype(::CoCreateInstance)>("ole32.dll", "CoCreateInstance"),
        SystemFunction<decltype(::CoUninitialize)>("ole32.dll", "CoUninitialize"),
    };
    return functions;
}

TaskbarProgressMirror::TaskbarProgressMirror(const ComFunctions& com)
    : com_(com), buttonCreated_(::RegisterWindowMessageW(L"TaskbarButtonCreated")) {}

TaskbarProgressMirror::~TaskbarProgressMirror() {
    // The object belongs to the apartment and goes before it.
    taskbar_.reset();
    if (apartmentEntered_) com_.uninitialize();
}

bool TaskbarProgressMirror::EnterApartment() {
    if (!apartmentEntered_ && com_.Available()) {
        apartmentEntered_ = SUCCEEDED(com_.initialize(nullptr, COINIT_APARTMENTTHREADED));
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
        FAILED(com_.createInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
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
    if (state_ != TaskbarProgress::kNone)
        taskbar_->SetProgressValue(dialog_, NonNegative(completed_), NonNegative(total_));
    taskbar_->SetProgressState(dialog_, ToFlag(state_));
}

}  // namespace platform::win32
