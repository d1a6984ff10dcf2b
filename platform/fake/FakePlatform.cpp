// Construction, the per-thread last error, call counts and injected faults.
#include "platform/fake/FakePlatform.h"

#include "platform/fake/FakeCalendar.h"
#include "platform/fake/FakePath.h"
#include "platform/fake/FakeState.h"

#include <atomic>

namespace platform::fake {

namespace {
const char* const kOpNames[] = {
    "RegOpenKeyEx",
    "RegQueryValueEx",
    "RegCloseKey",
    "GetPersonalFolderPath",
    "GetAnsiCodePage",
    "WideCharToAnsi",
    "GetProcessElevation",
    "GetProcessUser",
    "GetDesktopUser",
    "PathFileExists",
    "GetFileAttributes",
    "SetFileAttributes",
    "CreateDirectory",
    "CopyFile",
    "MoveFileEx",
    "DeleteFile",
    "CreateFile",
    "ReadFile",
    "WriteFile",
    "SetFilePointerEx",
    "GetFileSizeEx",
    "GetFileTime",
    "FlushFileBuffers",
    "CloseFile",
    "FileTimeToLocalCalendar",
    "FindWindow",
    "IsIconic",
    "ShowWindow",
    "GetLastActivePopup",
    "SetForegroundWindow",
    "IsWindow",
    "CreateMutex",
    "ReleaseMutex",
    "CloseMutex",
    "PostMessage",
    "SendMessage",
    "GetDlgItem",
    "SetWindowText",
    "MessageBox",
    "RunModalDialog",
    "EndDialog",
    "CenterWindowOnScreen",
    "SetTimer",
    "KillTimer",
    "SetTaskbarProgress",
    "LoadIcon",
    "GetSystemMetrics",
    "GetClientRect",
    "BeginPaint",
    "DrawIcon",
    "EndPaint",
    "StartThread",
    "JoinThread",
    "HasThreadEnded",
    "Sleep",
    "FindResource",
    "LoadResource",
    "SizeofResource",
    "OutputDebugString",
};
static_assert(sizeof(kOpNames) / sizeof(kOpNames[0]) == static_cast<std::size_t>(Op::Count_),
              "every operation needs a name");

std::size_t Index(Op op) { return static_cast<std::size_t>(op); }
}  // namespace

const char* OpName(Op op) { return op < Op::Count_ ? kOpNames[Index(op)] : "?"; }

FakePlatform::FakePlatform() : state_(std::make_unique<detail::FakeState>()) {
    state_->clockTicks = detail::CalendarToTicks(2021, 6, 1, 9, 0, 0);
    state_->codePage = *detail::KnownCodePage(950);
    AddDrive('C');
    const std::string documents = "C:\\Users\\Player\\Documents";
    AddFolder(documents);
    state_->personalFolder = u"C:\\Users\\Player\\Documents";
    state_->processUser = AccountSid(kPlayerAccount);
    state_->desktopUser = state_->processUser;
}

FakePlatform::~FakePlatform() {
    std::map<ThreadHandle, std::thread> threads;
    {
        std::lock_guard<std::mutex> lock(state_->mutex);
        threads.swap(state_->threads);
    }
    for (auto& thread : threads) {
        if (thread.second.joinable()) thread.second.join();
    }
}

std::uint32_t FakePlatform::LastError() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    const auto found = state_->lastErrors.find(std::this_thread::get_id());
    return found == state_->lastErrors.end() ? 0 : found->second;
}

std::optional<std::uint32_t> detail::FakeState::Enter(Op op) {
    ++calls[Index(op)];
    const std::uint64_t ordinal = ++callOrdinals[Index(op)];
    for (const detail::ArmedFault& armed : faults) {
        if (armed.fault.op != op) continue;
        const std::uint64_t nthSinceArmed = ordinal - armed.armedAt;
        if (nthSinceArmed == armed.fault.nth || (armed.fault.persistent && nthSinceArmed > armed.fault.nth)) {
            SetError(armed.fault.error);
            return armed.fault.error;
        }
    }
    return std::nullopt;
}

std::optional<std::uint32_t> detail::FakeState::ShortTransferLimit(Op op) {
    const std::uint64_t ordinal = callOrdinals[Index(op)];
    for (const detail::ArmedShortTransfer& armed : shortTransfers) {
        if (armed.op == op && ordinal - armed.armedAt == armed.nth) return armed.bytes;
    }
    return std::nullopt;
}

FileTime detail::FakeState::Tick() {
    clockTicks += detail::kTicksPerSecond;
    return FileTime{clockTicks};
}

void FakePlatform::InjectFault(const Fault& fault) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (fault.op >= Op::Count_) return;
    state_->faults.push_back({fault, state_->callOrdinals[Index(fault.op)]});
}

void FakePlatform::ShortRead(std::uint64_t nth, std::uint32_t bytes) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->shortTransfers.push_back({Op::ReadFile, nth, bytes, state_->callOrdinals[Index(Op::ReadFile)]});
}

void FakePlatform::ShortWrite(std::uint64_t nth, std::uint32_t bytes) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->shortTransfers.push_back({Op::WriteFile, nth, bytes, state_->callOrdinals[Index(Op::WriteFile)]});
}

void FakePlatform::ClearFaults() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->faults.clear();
    state_->shortTransfers.clear();
}

std::uint64_t FakePlatform::Calls(Op op) const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return op < Op::Count_ ? state_->calls[Index(op)] : 0;
}

std::uint64_t FakePlatform::TotalCalls() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    std::uint64_t total = 0;
    for (const std::uint64_t count : state_->calls) total += count;
    return total;
}

void FakePlatform::ResetCounts() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->calls.fill(0);
}

namespace {
// Platform.h offers no way to read the installed platform without aborting when
// there is none, so the scopes remember their own nesting.
std::atomic<Platform*> g_scopedOs{nullptr};
}  // namespace

ScopedFakeOs::ScopedFakeOs() : previous_(g_scopedOs.exchange(&fake_)) { SetOs(&fake_); }

ScopedFakeOs::~ScopedFakeOs() {
    g_scopedOs.store(previous_);
    SetOs(previous_);
}

}  // namespace platform::fake
