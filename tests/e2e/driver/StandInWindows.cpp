#include "StandInWindows.h"

#include "InstallerWindows.h"
#include "Report.h"

namespace driver {
namespace {

constexpr char kBystanderClass[] = "E2E_DRIVER_BYSTANDER";
constexpr char kPopupClass[] = "E2E_DRIVER_POPUP";

bool RegisterPlainClass(const char* name) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

HWND CreatePlain(const char* className, DWORD style, HWND owner, int x) {
    return CreateWindowExA(0, className, className, style, x, 100, 300, 200, owner, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

const char* RoleOf(HWND window, HWND main) {
    if (!window) return "none";
    if (window == main) return "main";
    if (GetWindow(window, GW_OWNER) == main) return "popup";
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    return lstrcmpA(className, kBystanderClass) == 0 ? "bystander" : "other";
}

}  // namespace

int MakeWindow(const std::string& windowClass, bool minimised, bool withPopup) {
    if (!RegisterPlainClass(windowClass.c_str()) || !RegisterPlainClass(kBystanderClass) ||
        !RegisterPlainClass(kPopupClass)) {
        Line("ready", "register-failed");
        return 2;
    }
    HWND main = CreatePlain(windowClass.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 50);
    if (!main) {
        Line("ready", "create-failed");
        return 2;
    }
    if (withPopup) {
        HWND popup = CreatePlain(kPopupClass, WS_POPUP | WS_CAPTION | WS_VISIBLE, main, 150);
        SetActiveWindow(popup);
        SetForegroundWindow(popup);
    }
    if (minimised) ShowWindow(main, SW_MINIMIZE);
    HWND bystander = CreatePlain(kBystanderClass, WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 400);
    SetForegroundWindow(bystander);
    WindowLine("main", main);
    Line("ready", "1");

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int WindowState(const std::string& windowClass, double timeoutSeconds, const std::string& untilIconic,
                const std::string& untilForeground) {
    HWND main = WaitFor([&] { return FindWindowA(windowClass.c_str(), nullptr); }, timeoutSeconds);
    if (!main) {
        Line("window", "timeout");
        Line("waited_for", "a window of the class " + windowClass);
        Line("waited_s", static_cast<long long>(timeoutSeconds));
        return 2;
    }
    // Another process's ShowWindow and SetForegroundWindow reach this
    // window's thread as posted requests: wait until they have been handled.
    auto iconic = [&] { return std::string(IsIconic(main) ? "1" : "0"); };
    auto foreground = [&] { return std::string(RoleOf(GetForegroundWindow(), main)); };
    const bool settled = WaitFor(
                             [&] {
                                 const bool now = (untilIconic.empty() || iconic() == untilIconic) &&
                                                  (untilForeground.empty() || foreground() == untilForeground);
                                 return now ? main : nullptr;
                             },
                             timeoutSeconds) != nullptr;
    Line("window", settled ? "found" : "unsettled");
    if (!settled) {
        Line("waited_for",
             "the window " + windowClass + " to become iconic=" + untilIconic + " foreground=" + untilForeground);
        Line("waited_s", static_cast<long long>(timeoutSeconds));
    }
    Line("iconic", iconic());
    Line("foreground", foreground());
    Line("last_active_popup", RoleOf(GetLastActivePopup(main), main));
    return settled ? 0 : 2;
}

}  // namespace driver
