#include "ProcessCommands.h"

#include "DialogCommands.h"
#include "InstallerWindows.h"
#include "Report.h"
#include "Waiting.h"
#include "WindowQueries.h"

#include <windows.h>

#include <map>
#include <optional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace driver {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

constexpr DWORD kPollMs = 1;
constexpr ULONGLONG kWindowScanMs = 10;
// A press posted to a box that has not gone after this long is posted again.
constexpr ULONGLONG kRepressMs = 500;
constexpr int kMaxPokeGapMs = 150;
constexpr UINT kKilledExitCode = 99;
constexpr double kTextReadSeconds = 5;

struct Poke {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// What a user (or the window manager) can do to a dialog without buttons.
const Poke kPokes[] = {
    {"keydown_return", WM_KEYDOWN, VK_RETURN, 0x001C0001},
    {"char_return", WM_CHAR, VK_RETURN, 0x001C0001},
    {"keydown_escape", WM_KEYDOWN, VK_ESCAPE, 0x00010001},
    {"char_escape", WM_CHAR, VK_ESCAPE, 0x00010001},
    {"command_ok", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0},
    {"command_cancel", WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0},
    {"close", WM_CLOSE, 0, 0},
    {"syscommand_close", WM_SYSCOMMAND, SC_CLOSE, 0},
};
constexpr int kPokeKinds = sizeof kPokes / sizeof kPokes[0];

class Poker {
public:
    explicit Poker(unsigned seed) : enabled_(seed != 0), random_(seed) {}

    void MaybePoke(HWND dialog, ULONGLONG now) {
        if (!enabled_ || dialog == nullptr || now < next_) return;
        const Poke& poke = kPokes[std::uniform_int_distribution<int>(0, kPokeKinds - 1)(random_)];
        if (PostMessageA(dialog, poke.message, poke.wParam, poke.lParam)) ++sent_[poke.name];
        next_ = now + std::uniform_int_distribution<int>(0, kMaxPokeGapMs)(random_);
    }

    void Report() const {
        long long total = 0;
        for (const auto& kind : sent_) total += kind.second;
        Line("pokes", total);
        for (const auto& kind : sent_) Line(("poke_" + kind.first).c_str(), kind.second);
    }

private:
    bool enabled_;
    std::mt19937 random_;
    ULONGLONG next_ = 0;
    std::map<std::string, long long> sent_;
};

class BoxAnswerer {
public:
    void Answer(HWND box, ULONGLONG now) {
        if (box == nullptr) return;
        auto pressed = pressedAt_.find(box);
        if (pressed == pressedAt_.end()) {
            texts_.push_back(ItemText(box, 0xFFFF, Deadline(kTextReadSeconds)));
            pressed = pressedAt_.emplace(box, 0).first;
        } else if (now - pressed->second < kRepressMs) {
            return;
        }
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        pressed->second = now;
    }

    void Report() const {
        Line("boxes", static_cast<long long>(texts_.size()));
        for (std::size_t i = 0; i < texts_.size(); ++i) {
            const std::string key = "box" + std::to_string(i + 1) + "_text_hex";
            if (texts_[i]) HexLine(key.c_str(), *texts_[i]);
            else Line(key.c_str(), "no-answer");
        }
    }

private:
    std::map<HWND, ULONGLONG> pressedAt_;
    std::vector<std::optional<std::string>> texts_;
};

constexpr DWORD kProcessRights = PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;

// The installer's process: the one the harness started, or the first of its
// name to show up.
UniqueHandle OpenInstaller(const Installer& installer, const Deadline& deadline, DWORD& id) {
    if (installer.watched.Watching()) {
        id = installer.watched.Id();
        return UniqueHandle(OpenProcess(kProcessRights, FALSE, id));
    }
    for (;;) {
        const std::set<DWORD> ids = ProcessesNamed(installer.exeName);
        if (!ids.empty()) {
            id = *ids.begin();
            if (HANDLE process = OpenProcess(kProcessRights, FALSE, id)) return UniqueHandle(process);
        }
        if (deadline.Passed()) return nullptr;
        Sleep(kPollMs);
    }
}

// When the process started, on the tick counter: kill moments and the
// elapsed time count from there, however late this driver came to watch it.
ULONGLONG StartTick(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    const ULONGLONG tick = GetTickCount64();
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return tick;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 10000;
    };
    const ULONGLONG age = ticks(now) > ticks(created) ? ticks(now) - ticks(created) : 0;
    return age < tick ? tick - age : tick;
}

bool HasEnded(HANDLE process, DWORD waitMs) { return WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0; }

}  // namespace

int HoldFile(const char* path, bool shareNothing) {
    const DWORD share = shareNothing ? 0 : FILE_SHARE_READ;
    HANDLE opened = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        Line("ready", 0);
        Line("error", static_cast<long long>(GetLastError()));
        return 2;
    }
    const UniqueHandle file(opened);
    Line("ready", 1);
    for (;;) Sleep(INFINITE);
}

int HoldFileShared(const char* path, long long holdMs, const Installer* pressOkOf, double timeoutSeconds) {
    HANDLE opened = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        Line("ready", 0);
        Line("error", static_cast<long long>(GetLastError()));
        return 2;
    }
    UniqueHandle file(opened);
    Line("ready", 1);
    if (pressOkOf && PressOk(*pressOkOf, timeoutSeconds) != 0) return 2;
    const ULONGLONG start = GetTickCount64();
    if (holdMs < 0) {
        for (;;) Sleep(INFINITE);
    }
    Sleep(static_cast<DWORD>(holdMs));
    file.reset();
    Line("released", 1);
    Line("held_ms", static_cast<long long>(GetTickCount64() - start));
    return 0;
}

int RunUnattended(const Installer& installer, const UnattendedOptions& options) {
    const Deadline deadline(options.timeoutSeconds);
    DWORD id = 0;
    const UniqueHandle process = OpenInstaller(installer, deadline, id);
    if (!process) {
        Line("outcome", installer.watched.Watching() ? "gone" : "not-started");
        installer.watched.Report();
        return 2;
    }
    const std::set<DWORD> processes{id};
    const ULONGLONG start = StartTick(process.get());
    const ULONGLONG watchedFrom = GetTickCount64();
    ULONGLONG killedAt = 0;
    BoxAnswerer answerer;
    Poker poker(options.pokeSeed);
    ULONGLONG lastScan = 0;
    const char* outcome = "timeout";
    for (;;) {
        if (HasEnded(process.get(), 0)) {
            outcome = "ended";
            break;
        }
        const ULONGLONG now = GetTickCount64();
        if (options.killAfterMs >= 0 && now - start >= static_cast<ULONGLONG>(options.killAfterMs)) {
            TerminateProcess(process.get(), kKilledExitCode);
            killedAt = now - start;
            outcome = "killed";
            break;
        }
        if (deadline.Passed()) break;
        if (now - lastScan >= kWindowScanMs) {
            lastScan = now;
            answerer.Answer(FindMessageBox(processes), now);
            poker.MaybePoke(FindProgressDialog(processes), now);
        }
        Sleep(kPollMs);
    }
    if (std::string(outcome) == "timeout") {
        // Still running at the limit: what it shows is the clue to where it stands.
        Line("outcome", "timeout");
        Line("waited_for", "the installer to end");
        Line("waited_s", static_cast<long long>(options.timeoutSeconds));
        Line("installer", "running");
        ReportWindowsSeen(processes);
        answerer.Report();
        poker.Report();
        return 2;
    }
    // A terminated process has ended once the system has torn it down.
    const bool ended = HasEnded(process.get(), static_cast<DWORD>(options.timeoutSeconds * 1000));
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    // Ending on its own just before the termination keeps the program's own code.
    if (std::string(outcome) == "killed" && exitCode != kKilledExitCode) outcome = "ended";
    Line("outcome", ended ? outcome : "timeout");
    if (std::string(outcome) == "killed") Line("killed_at_ms", static_cast<long long>(killedAt));
    Line("exit_code", static_cast<long long>(exitCode));
    Line("elapsed_ms", static_cast<long long>(GetTickCount64() - start));
    Line("watched_from_ms", static_cast<long long>(watchedFrom - start));
    answerer.Report();
    poker.Report();
    return ended ? 0 : 2;
}

}  // namespace driver
