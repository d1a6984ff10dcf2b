#include "ProcessCommands.h"

#include "DialogCommands.h"
#include "InstallerWindows.h"
#include "Report.h"

#include <windows.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>

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
            texts_.push_back(DialogItemText(box, 0xFFFF));
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
            HexLine(("box" + std::to_string(i + 1) + "_text_hex").c_str(), texts_[i]);
        }
    }

private:
    std::map<HWND, ULONGLONG> pressedAt_;
    std::vector<std::string> texts_;
};

// The installer's process, once it has shown up.
UniqueHandle WaitForProcess(const std::string& exeName, double timeoutSeconds, DWORD& id) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutSeconds * 1000);
    for (;;) {
        const std::set<DWORD> ids = ProcessesNamed(exeName);
        if (!ids.empty()) {
            id = *ids.begin();
            HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
            if (process != nullptr) return UniqueHandle(process);
        }
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(kPollMs);
    }
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

int HoldFileShared(const char* path, long long holdMs, const std::string& pressOkOf, double timeoutSeconds) {
    HANDLE opened = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        Line("ready", 0);
        Line("error", static_cast<long long>(GetLastError()));
        return 2;
    }
    UniqueHandle file(opened);
    Line("ready", 1);
    if (!pressOkOf.empty() && PressOk(pressOkOf, timeoutSeconds) != 0) return 2;
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

int RunUnattended(const std::string& exeName, const UnattendedOptions& options) {
    DWORD id = 0;
    const UniqueHandle process = WaitForProcess(exeName, options.timeoutSeconds, id);
    if (!process) {
        Line("outcome", "not-started");
        return 2;
    }
    const std::set<DWORD> installer{id};
    const ULONGLONG start = GetTickCount64();
    const ULONGLONG deadline = start + static_cast<ULONGLONG>(options.timeoutSeconds * 1000);
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
            outcome = "killed";
            break;
        }
        if (now >= deadline) break;
        if (now - lastScan >= kWindowScanMs) {
            lastScan = now;
            answerer.Answer(FindMessageBox(installer), now);
            poker.MaybePoke(FindProgressDialog(installer), now);
        }
        Sleep(kPollMs);
    }
    const bool ended = HasEnded(process.get(), static_cast<DWORD>(options.timeoutSeconds * 1000));
    DWORD exitCode = 0;
    GetExitCodeProcess(process.get(), &exitCode);
    // Ending on its own just before the termination keeps the program's own code.
    if (std::string(outcome) == "killed" && exitCode != kKilledExitCode) outcome = "ended";
    Line("outcome", ended ? outcome : "timeout");
    Line("exit_code", static_cast<long long>(exitCode));
    Line("elapsed_ms", static_cast<long long>(GetTickCount64() - start));
    answerer.Report();
    poker.Report();
    return ended ? 0 : 2;
}

}  // namespace driver
