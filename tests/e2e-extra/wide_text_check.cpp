// Reads what the installer shows, as the characters a player sees, whatever
// the system's code page: the progress dialog's status line and the two
// failure boxes of an installation that finds no game. Presses OK on each box.
// Prints one line per check and exits 0 only when every text is right.
//
//   wide_text_check.exe [--hold-first-box-until PATH] [SECONDS_TO_PAUSE_AT_EACH_BOX]
//
// With a pause, each box is first moved below the dialog, so that a screen
// capture taken meanwhile shows both. With a path, the first box is left
// standing until that file exists (at most two minutes), so that the
// installer is surely still running while a script does something beside it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const wchar_t kCaption[] = L"\u78A7\u6F6E\u7D00\u884C - \u4E0B\u8F09\u6B66\u5C07\u7684\u5B89\u88DD";
const wchar_t kStatus[] = L"\u6B63\u5728\u5B89\u88DD addonwarlord1...";
const wchar_t* const kBoxes[] = {
    L"\u5C1A\u672A\u5B89\u88DD\u300C\u78A7\u6F6E\u7D00\u884C\u300D",
    L"addonwarlord1 \u7684\u5B89\u88DD\u5931\u6557(101)",
};
constexpr int kStatusId = 1001;
constexpr int kProgressId = 1000;
constexpr int kBoxTextId = 0xFFFF;

std::wstring TextOf(HWND window) {
    wchar_t buffer[512] = {};
    GetWindowTextW(window, buffer, 512);
    return buffer;
}

struct Search {
    bool wantBox;
    HWND found;
};

BOOL CALLBACK Match(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window) || TextOf(window) != kCaption) return TRUE;
    const bool isBox = GetDlgItem(window, kBoxTextId) != nullptr && GetDlgItem(window, IDOK) != nullptr;
    const bool isDialog = GetDlgItem(window, kStatusId) != nullptr && GetDlgItem(window, kProgressId) != nullptr;
    if (search->wantBox ? isBox : isDialog) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitFor(bool box, HWND notThis) {
    for (int tries = 0; tries < 300; ++tries) {
        Search search{box, nullptr};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr && search.found != notThis) return search.found;
        Sleep(100);
    }
    return nullptr;
}

void PrintHex(const char* label, const std::wstring& text) {
    std::printf("%s", label);
    for (wchar_t c : text) std::printf(" %04X", static_cast<unsigned>(c));
    std::printf("\n");
}

bool Check(const char* what, const std::wstring& got, const wchar_t* wanted) {
    const bool ok = got == wanted;
    std::printf("%s %s\n", what, ok ? "ok" : "WRONG");
    if (!ok) {
        PrintHex("  got:   ", got);
        PrintHex("  wanted:", wanted);
    }
    return ok;
}

// Waits until the file at path exists; false after two minutes.
bool WaitForFile(const char* path) {
    for (int tries = 0; tries < 1200; ++tries) {
        if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return true;
        Sleep(100);
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    // Each line must reach a script that watches for it while we wait.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    int next = 1;
    const char* holdUntil = nullptr;
    if (argc > next + 1 && std::strcmp(argv[next], "--hold-first-box-until") == 0) {
        holdUntil = argv[next + 1];
        next += 2;
    }
    const int pauseSeconds = argc > next ? std::atoi(argv[next]) : 0;
    std::printf("acp %u\n", GetACP());

    const HWND dialog = WaitFor(false, nullptr);
    if (dialog == nullptr) {
        std::printf("dialog not found\n");
        return 1;
    }
    bool allOk = Check("caption", TextOf(dialog), kCaption);
    allOk = Check("status", TextOf(GetDlgItem(dialog, kStatusId)), kStatus) && allOk;

    HWND previous = nullptr;
    int index = 0;
    for (const wchar_t* wanted : kBoxes) {
        const HWND box = WaitFor(true, previous);
        if (box == nullptr) {
            std::printf("box %d not found\n", index);
            return 1;
        }
        char what[16];
        std::snprintf(what, sizeof what, "box%d", index++);
        allOk = Check(what, TextOf(GetDlgItem(box, kBoxTextId)), wanted) && allOk;
        if (pauseSeconds > 0) {
            RECT frame{};
            GetWindowRect(dialog, &frame);
            SetWindowPos(box, nullptr, frame.left, frame.bottom + 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Sleep(static_cast<DWORD>(pauseSeconds) * 1000);
        }
        if (holdUntil && index == 1 && !WaitForFile(holdUntil)) {
            std::printf("held the first box for two minutes, %s never came\n", holdUntil);
            return 1;
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        previous = box;
    }
    return allOk ? 0 : 1;
}
