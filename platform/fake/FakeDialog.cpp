// The one modal dialog: its controls, its message queue and modal loop,
// message boxes and painting. Handlers run without the lock held, because
// they call back into the double.
#include "platform/fake/FakeState.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace platform::fake {

namespace {
constexpr int kProgressTemplate = 102;
constexpr int kProgressBarId = 1000;
constexpr int kStatusTextId = 1001;
constexpr std::uint32_t kWmGetText = 0x000D;
constexpr std::uint32_t kWmGetTextLength = 0x000E;
constexpr std::uint32_t kPbmSetRange32 = 0x0406;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
constexpr int kIconSize = 32;
constexpr IconHandle kFirstIcon = 0x40000000u;

std::intptr_t MakeLong(int low, int high) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(low) & 0xFFFF) |
                                      ((static_cast<std::uint32_t>(high) & 0xFFFF) << 16));
}

int Clamp(int value, const ProgressState& progress) {
    if (progress.low > progress.high) return value;
    return std::max(progress.low, std::min(progress.high, value));
}

std::intptr_t ProgressMessage(ProgressState& progress, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam) {
    const int previous = progress.pos;
    switch (message) {
    case win::kPbmSetRange:
    case kPbmSetRange32: {
        const std::intptr_t previousRange = MakeLong(progress.low, progress.high);
        if (message == win::kPbmSetRange) {
            progress.low = static_cast<int>(lParam & 0xFFFF);
            progress.high = static_cast<int>((lParam >> 16) & 0xFFFF);
        } else {
            progress.low = static_cast<int>(wParam);
            progress.high = static_cast<int>(lParam);
        }
        progress.pos = Clamp(progress.pos, progress);
        return previousRange;
    }
    case win::kPbmSetPos:
        progress.pos = Clamp(static_cast<int>(wParam), progress);
        return previous;
    case win::kPbmDeltaPos:
        progress.pos = Clamp(progress.pos + static_cast<int>(wParam), progress);
        return previous;
    case win::kPbmGetPos:
        return progress.pos;
    case win::kPbmGetRange:
        if (lParam != 0) {
            int* range = reinterpret_cast<int*>(lParam);
            range[0] = progress.low;
            range[1] = progress.high;
        }
        return wParam != 0 ? progress.low : progress.high;
    default:
        return 0;
    }
}

std::intptr_t TextMessage(std::string& text, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case win::kWmSetText:
        text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
        return 1;
    case kWmGetText: {
        if (wParam == 0 || lParam == 0) return 0;
        const std::size_t copied = std::min<std::size_t>(text.size(), wParam - 1);
        char* buffer = reinterpret_cast<char*>(lParam);
        std::memcpy(buffer, text.data(), copied);
        buffer[copied] = '\0';
        return static_cast<std::intptr_t>(copied);
    }
    case kWmGetTextLength:
        return static_cast<std::intptr_t>(text.size());
    default:
        return 0;
    }
}
}  // namespace

// ---- scene and inspection ------------------------------------------------------

std::vector<PostedMessage> FakePlatform::Posted() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->posted;
}

std::vector<MessageBoxRecord> FakePlatform::MessageBoxes() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->messageBoxes;
}

void FakePlatform::SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->messageBoxHandler = std::move(handler);
}

Window FakePlatform::DialogWindow() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->dialog.running ? state_->dialog.window : 0;
}

std::string FakePlatform::ControlText(int controlId) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto id = state_->dialog.controlIds.find(controlId);
    return id == state_->dialog.controlIds.end() ? std::string() : state_->dialog.controls.at(id->second).text;
}

ProgressState FakePlatform::Progress(int controlId) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto id = state_->dialog.controlIds.find(controlId);
    return id == state_->dialog.controlIds.end() ? ProgressState() : state_->dialog.controls.at(id->second).progress;
}

bool FakePlatform::DialogCentred() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->dialog.centred;
}

std::vector<std::pair<std::uint32_t, std::uintptr_t>> FakePlatform::SetIcons() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->dialog.icons;
}

bool FakePlatform::DialogOutlivedEndDialog() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->dialog.running && state_->dialog.endDialogCalled && !state_->dialog.endRequested;
}

std::optional<std::intptr_t> FakePlatform::DialogResult() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->dialog.result;
}

std::vector<FakePlatform::DrawnIcon> FakePlatform::DrawnIcons() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->drawnIcons;
}

void FakePlatform::SetDialogClientSize(int width, int height) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->dialogWidth = width;
    state_->dialogHeight = height;
}

void FakePlatform::SetDialogMinimised(bool minimised) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->dialogMinimised = minimised;
}

void FakePlatform::SetModalIdleLimitMs(int milliseconds) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->modalIdleLimitMs = milliseconds;
}

bool FakePlatform::ModalLoopTimedOut() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->modalLoopTimedOut;
}

std::vector<std::uintptr_t> FakePlatform::TimersLeft() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->timersLeft;
}

void FakePlatform::ForceEndModalLoop(std::intptr_t result) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (!state_->dialog.running || state_->dialog.endRequested) return;
    state_->dialog.endRequested = true;
    state_->dialog.endResult = result;
    state_->dialogWake.notify_all();
}

// ---- the modal loop --------------------------------------------------------------

namespace {
// What the system's dialog procedure does with a message the handler declined.
std::intptr_t DefaultDialogMessage(detail::FakeState& state, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
    std::lock_guard<std::mutex> lock(state.mutex);
    detail::Dialog& dialog = state.dialog;
    if (message == win::kWmSetIcon) {
        std::uintptr_t previous = 0;
        for (const auto& icon : dialog.icons) {
            if (icon.first == wParam) previous = icon.second;
        }
        dialog.icons.emplace_back(static_cast<std::uint32_t>(wParam), static_cast<std::uintptr_t>(lParam));
        return static_cast<std::intptr_t>(previous);
    }
    if (message == win::kWmSetText || message == kWmGetText || message == kWmGetTextLength) {
        return TextMessage(dialog.caption, message, wParam, lParam);
    }
    return 0;
}

std::intptr_t Dispatch(detail::FakeState& state, DialogHandler& handler, Window window, std::uint32_t message,
                       std::uintptr_t wParam, std::intptr_t lParam) {
    std::intptr_t result = 0;
    if (handler.HandleDialogMessage(window, message, wParam, lParam, &result)) return result;
    return DefaultDialogMessage(state, message, wParam, lParam);
}

void CreateControls(detail::FakeState& state, int templateId) {
    if (templateId != kProgressTemplate) return;
    const Window bar = state.NewHandle();
    state.dialog.controlIds[kProgressBarId] = bar;
    state.dialog.controls[bar].className = "msctls_progress32";
    const Window text = state.NewHandle();
    state.dialog.controlIds[kStatusTextId] = text;
    state.dialog.controls[text].className = "Static";
    state.dialog.controls[text].text = "Static";
}
}  // namespace

// The modal loop proper: posted messages first, in order; a due timer only
// while none waits; and an end by timeout when nothing but timers came for
// the idle limit.
void PumpUntilEnded(detail::FakeState& s, DialogHandler& handler, std::unique_lock<std::mutex>& lock) {
    using Clock = std::chrono::steady_clock;
    const Window window = s.dialog.window;
    const auto idleLimit = std::chrono::milliseconds(s.modalIdleLimitMs);
    Clock::time_point idleDeadline = Clock::now() + idleLimit;
    while (!s.dialog.endRequested) {
        if (!s.dialog.queue.empty()) {
            const PostedMessage next = s.dialog.queue.front();
            s.dialog.queue.pop_front();
            lock.unlock();
            Dispatch(s, handler, window, next.message, next.wParam, next.lParam);
            lock.lock();
            idleDeadline = Clock::now() + idleLimit;
            continue;
        }
        const auto firstDue =
            std::min_element(s.dialog.timers.begin(), s.dialog.timers.end(),
                             [](const auto& a, const auto& b) { return a.second.due < b.second.due; });
        const Clock::time_point wakeAt =
            firstDue == s.dialog.timers.end() ? idleDeadline : std::min(idleDeadline, firstDue->second.due);
        if (Clock::now() < wakeAt) {
            s.dialogWake.wait_until(lock, wakeAt);
            continue;
        }
        if (Clock::now() >= idleDeadline) {
            s.dialog.endRequested = true;
            s.dialog.endResult = -2;
            s.modalLoopTimedOut = true;
            break;
        }
        const std::uintptr_t id = firstDue->first;
        firstDue->second.due = Clock::now() + firstDue->second.interval;
        lock.unlock();
        Dispatch(s, handler, window, win::kWmTimer, id, 0);
        lock.lock();
    }
}

std::intptr_t FakePlatform::RunModalDialog(int templateId, DialogHandler& handler) {
    detail::FakeState& s = *state_;
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.Enter(Op::RunModalDialog)) return -1;
    if (s.dialog.running) {  // one dialog at a time is all the program shows
        s.SetError(detail::kErrorInvalidWindowHandle);
        return -1;
    }
    s.dialog = detail::Dialog();
    s.dialog.window = s.NewHandle();
    s.dialog.handler = &handler;
    s.dialog.running = true;
    CreateControls(s, templateId);
    const Window window = s.dialog.window;
    s.modalLoopTimedOut = false;

    lock.unlock();
    Dispatch(s, handler, window, win::kWmInitDialog, 0, 0);
    lock.lock();
    PumpUntilEnded(s, handler, lock);
    s.dialog.running = false;
    s.dialog.handler = nullptr;
    s.dialog.queue.clear();
    s.timersLeft.clear();
    for (const auto& timer : s.dialog.timers) s.timersLeft.push_back(timer.first);
    s.dialog.timers.clear();
    s.dialog.result = s.dialog.endResult;
    s.paintContexts.clear();
    return s.dialog.endResult;
}

bool FakePlatform::EndDialog(Window dialog, std::intptr_t result) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->dialog.running && dialog == state_->dialog.window) state_->dialog.endDialogCalled = true;
    if (state_->Enter(Op::EndDialog)) return false;
    if (!state_->dialog.running || dialog != state_->dialog.window) {
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return false;
    }
    if (!state_->dialog.endRequested) {
        state_->dialog.endRequested = true;
        state_->dialog.endResult = result;
    }
    state_->dialogWake.notify_all();
    return true;
}

bool FakePlatform::PostMessage(Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::PostMessage)) return false;
    const PostedMessage post{window, message, wParam, lParam};
    state_->posted.push_back(post);
    if (!state_->IsLiveWindow(window)) {
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return false;
    }
    if (window == state_->dialog.window) {
        state_->dialog.queue.push_back(post);
        state_->dialogWake.notify_all();
    }
    return true;
}

std::intptr_t FakePlatform::SendMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                                        std::intptr_t lParam) {
    detail::FakeState& s = *state_;
    std::unique_lock<std::mutex> lock(s.mutex);
    if (s.Enter(Op::SendMessage)) return 0;
    if (s.dialog.running && window == s.dialog.window) {
        DialogHandler* handler = s.dialog.handler;
        lock.unlock();
        return Dispatch(s, *handler, window, message, wParam, lParam);
    }
    if (!s.IsDialogControl(window)) {
        if (!s.IsLiveWindow(window)) s.SetError(detail::kErrorInvalidWindowHandle);
        return 0;
    }
    detail::Control& control = s.dialog.controls[window];
    if (message == win::kWmSetText || message == kWmGetText || message == kWmGetTextLength) {
        return TextMessage(control.text, message, wParam, lParam);
    }
    if (control.className == "msctls_progress32") return ProgressMessage(control.progress, message, wParam, lParam);
    return 0;
}

Window FakePlatform::GetDlgItem(Window dialog, int controlId) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetDlgItem)) return 0;
    if (!state_->dialog.running || dialog != state_->dialog.window) {
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return 0;
    }
    const auto found = state_->dialog.controlIds.find(controlId);
    if (found == state_->dialog.controlIds.end()) {
        state_->SetError(detail::kErrorControlIdNotFound);
        return 0;
    }
    return found->second;
}

bool FakePlatform::SetWindowText(Window window, const char* text) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::SetWindowText)) return false;
    const std::string value = text == nullptr ? std::string() : std::string(text);
    if (state_->dialog.running && window == state_->dialog.window) {
        state_->dialog.caption = value;
        return true;
    }
    if (state_->IsDialogControl(window)) {
        state_->dialog.controls[window].text = value;
        return true;
    }
    state_->SetError(detail::kErrorInvalidWindowHandle);
    return false;
}

int FakePlatform::MessageBox(Window owner, const char* text, const char* caption, std::uint32_t style) {
    std::unique_lock<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::MessageBox)) return 0;
    if (owner != 0 && !state_->IsLiveWindow(owner)) {  // Windows shows nothing for a destroyed owner
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return 0;
    }
    const MessageBoxRecord record{owner, text == nullptr ? "" : text, caption == nullptr ? "" : caption, style};
    state_->messageBoxes.push_back(record);
    const std::function<int(const MessageBoxRecord&)> handler = state_->messageBoxHandler;
    lock.unlock();
    return handler ? handler(record) : win::kIdOk;
}

void FakePlatform::CenterWindowOnScreen(Window window) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::CenterWindowOnScreen)) return;
    if (state_->dialog.running && window == state_->dialog.window) state_->dialog.centred = true;
}

bool FakePlatform::SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::SetTimer)) return false;
    if (!state_->dialog.running || window != state_->dialog.window) {
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return false;
    }
    // Windows raises intervals below USER_TIMER_MINIMUM to it.
    const auto interval = std::chrono::milliseconds(std::max<std::uint32_t>(milliseconds, 10));
    state_->dialog.timers[id] = detail::Timer{interval, std::chrono::steady_clock::now() + interval};
    state_->dialogWake.notify_all();
    return true;
}

bool FakePlatform::KillTimer(Window window, std::uintptr_t id) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::KillTimer)) return false;
    if (!state_->dialog.running || window != state_->dialog.window) {
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return false;
    }
    if (state_->dialog.timers.erase(id) == 0) {
        state_->SetError(win::kErrorInvalidParameter);
        return false;
    }
    return true;
}

std::vector<TaskbarRecord> FakePlatform::TaskbarUpdates() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->taskbarUpdates;
}

void FakePlatform::SetTaskbarProgress(Window window, TaskbarProgress state, int completed, int total) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::SetTaskbarProgress)) return;
    state_->taskbarUpdates.push_back(TaskbarRecord{window, state, completed, total});
}

// ---- painting the minimised dialog ------------------------------------------------

IconHandle FakePlatform::LoadIcon(int resourceId) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::LoadIcon)) return 0;
    return kFirstIcon + static_cast<IconHandle>(static_cast<std::uint16_t>(resourceId));
}

int FakePlatform::GetSystemMetrics(int index) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetSystemMetrics)) return 0;
    switch (index) {
    case win::kSmCxIcon:
    case win::kSmCyIcon:
        return kIconSize;
    case 0:
        return kScreenWidth;
    case 1:
        return kScreenHeight;
    default:
        return 0;
    }
}

bool FakePlatform::GetClientRect(Window window, Rect* rect) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetClientRect)) return false;
    if (!state_->IsLiveWindow(window) || rect == nullptr) {
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return false;
    }
    *rect = Rect();
    if (window == state_->dialog.window) {
        rect->right = state_->dialogWidth;
        rect->bottom = state_->dialogHeight;
    }
    return true;
}

std::uintptr_t FakePlatform::BeginPaint(Window window) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::BeginPaint)) return 0;
    if (!state_->IsLiveWindow(window)) {
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return 0;
    }
    const std::uintptr_t context = state_->NewHandle();
    state_->paintContexts[context] = window;
    return context;
}

bool FakePlatform::DrawIcon(std::uintptr_t deviceContext, int x, int y, IconHandle icon) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::DrawIcon)) return false;
    if (state_->paintContexts.count(deviceContext) == 0 || icon == 0) {
        state_->SetError(win::kErrorInvalidHandle);
        return false;
    }
    state_->drawnIcons.push_back(DrawnIcon{x, y, icon});
    return true;
}

void FakePlatform::EndPaint(Window window) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::EndPaint)) return;
    for (auto it = state_->paintContexts.begin(); it != state_->paintContexts.end();) {
        it = it->second == window ? state_->paintContexts.erase(it) : std::next(it);
    }
}

}  // namespace platform::fake
