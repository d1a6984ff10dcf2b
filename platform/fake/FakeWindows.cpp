// Top-level windows of other programs, and named mutexes.
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

namespace platform::fake {

namespace {
constexpr int kSwHide = 0;
constexpr int kSwShowMinimized = 2;
constexpr int kSwMinimize = 6;
constexpr int kSwShowMinNoActive = 7;
constexpr int kSwForceMinimize = 11;

bool Minimises(int command) {
    return command == kSwShowMinimized || command == kSwMinimize || command == kSwShowMinNoActive ||
           command == kSwForceMinimize;
}
}  // namespace

bool detail::FakeState::IsDialogControl(Window window) const {
    return dialog.running && dialog.controls.count(window) != 0;
}

bool detail::FakeState::IsLiveWindow(Window window) const {
    if (window == 0) return false;
    if (windows.count(window) != 0) return true;
    return dialog.running && (window == dialog.window || IsDialogControl(window));
}

Window FakePlatform::AddWindow(const std::string& className, bool minimised) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const Window window = state_->NewHandle();
    WindowState& info = state_->windows[window];
    info.className = className;
    info.minimised = minimised;
    return window;
}

void FakePlatform::SetLastActivePopupOf(Window owner, Window popup) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto found = state_->windows.find(owner);
    if (found != state_->windows.end()) found->second.lastActivePopup = popup;
}

WindowState FakePlatform::WindowInfo(Window window) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto found = state_->windows.find(window);
    return found == state_->windows.end() ? WindowState() : found->second;
}

Window FakePlatform::ForegroundWindow() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->foreground;
}

Window FakePlatform::FindWindow(const char* className) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::FindWindow)) return 0;
    const std::string wanted = detail::FoldCase(className == nullptr ? std::string() : className);
    for (const auto& window : state_->windows) {
        if (detail::FoldCase(window.second.className) == wanted) return window.first;
    }
    if (state_->dialog.running && wanted == "#32770") return state_->dialog.window;
    state_->SetError(win::kErrorFileNotFound);
    return 0;
}

bool FakePlatform::IsIconic(Window window) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::IsIconic)) return false;
    const auto found = state_->windows.find(window);
    if (found != state_->windows.end()) return found->second.minimised;
    return state_->dialog.running && window == state_->dialog.window && state_->dialogMinimised;
}

bool FakePlatform::ShowWindow(Window window, int command) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::ShowWindow)) return false;
    if (state_->dialog.running && window == state_->dialog.window) {
        if (command == win::kSwRestore) state_->dialogMinimised = false;
        if (Minimises(command)) state_->dialogMinimised = true;
        return true;
    }
    const auto found = state_->windows.find(window);
    if (found == state_->windows.end()) {
        state_->SetError(detail::kErrorInvalidWindowHandle);
        return false;
    }
    WindowState& info = found->second;
    const bool wasVisible = info.visible;
    if (command == win::kSwRestore) info.minimised = false;
    if (Minimises(command)) info.minimised = true;
    info.visible = command != kSwHide;
    return wasVisible;
}

Window FakePlatform::GetLastActivePopup(Window window) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetLastActivePopup)) return 0;
    const auto found = state_->windows.find(window);
    if (found == state_->windows.end()) return state_->IsLiveWindow(window) ? window : 0;
    const Window popup = found->second.lastActivePopup;
    return popup != 0 && state_->IsLiveWindow(popup) ? popup : window;
}

bool FakePlatform::SetForegroundWindow(Window window) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::SetForegroundWindow)) return false;
    if (!state_->IsLiveWindow(window)) return false;
    for (auto& other : state_->windows) other.second.foreground = other.first == window;
    state_->foreground = window;
    return true;
}

bool FakePlatform::IsWindow(Window window) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::IsWindow)) return false;
    return state_->IsLiveWindow(window);
}

// ---- named mutexes: names are case-sensitive, as kernel object names are ----

void FakePlatform::HoldMutexElsewhere(const std::string& name) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->mutexNames[name].heldElsewhere = true;
}

void FakePlatform::HoldMutexWithHigherRights(const std::string& name) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    detail::MutexName& entry = state_->mutexNames[name];
    entry.heldElsewhere = true;
    entry.openableHere = false;
}

bool FakePlatform::MutexExists(const std::string& name) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->mutexNames.count(name) != 0;
}

MutexHandle FakePlatform::CreateMutex(const char* name) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::CreateMutex)) return 0;
    const std::string key = name == nullptr ? std::string() : std::string(name);
    const auto taken = state_->mutexNames.find(key);
    if (!key.empty() && taken != state_->mutexNames.end() && !taken->second.openableHere) {
        // The object's security lets this user neither open nor create it.
        state_->SetError(win::kErrorAccessDenied);
        return 0;
    }
    const MutexHandle handle = state_->NewHandle();
    state_->mutexHandles[handle] = key;
    if (key.empty()) {
        state_->SetError(0);
        return handle;
    }
    detail::MutexName& entry = state_->mutexNames[key];
    const bool existed = entry.heldElsewhere || entry.handlesHere > 0;
    ++entry.handlesHere;
    state_->SetError(existed ? win::kErrorAlreadyExists : 0);
    return handle;
}

bool FakePlatform::ReleaseMutex(MutexHandle mutex) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::ReleaseMutex)) return false;
    // The program never waits on its mutex, so it never owns it.
    state_->SetError(state_->mutexHandles.count(mutex) != 0 ? detail::kErrorNotOwner : win::kErrorInvalidHandle);
    return false;
}

bool FakePlatform::CloseMutex(MutexHandle mutex) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::CloseMutex)) return false;
    const auto found = state_->mutexHandles.find(mutex);
    if (found == state_->mutexHandles.end()) {
        state_->SetError(win::kErrorInvalidHandle);
        return false;
    }
    const std::string name = found->second;
    state_->mutexHandles.erase(found);
    const auto named = state_->mutexNames.find(name);
    if (!name.empty() && named != state_->mutexNames.end()) {
        if (--named->second.handlesHere <= 0 && !named->second.heldElsewhere) state_->mutexNames.erase(named);
    }
    return true;
}

}  // namespace platform::fake
