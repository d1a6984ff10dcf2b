#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Text.h"

#include <map>
#include <string>

namespace platform {

using win32::FromHwnd;
using win32::RecordLastError;
using win32::ToHwnd;

namespace {
// Painting happens on the thread that owns the window, one window at a time
// per thread, between BeginPaint and EndPaint.
thread_local std::map<HWND, PAINTSTRUCT> t_painting;

HMODULE ProgramModule() { return ::GetModuleHandleA(nullptr); }
}  // namespace

Window Win32Platform::FindWindow(const char* className) {
    const HWND found = ::FindWindowA(className, nullptr);
    RecordLastError();
    return FromHwnd(found);
}

bool Win32Platform::IsIconic(Window window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

bool Win32Platform::ShowWindow(Window window, int command) { return ::ShowWindow(ToHwnd(window), command) != FALSE; }

Window Win32Platform::GetLastActivePopup(Window window) { return FromHwnd(::GetLastActivePopup(ToHwnd(window))); }

bool Win32Platform::SetForegroundWindow(Window window) { return ::SetForegroundWindow(ToHwnd(window)) != FALSE; }

bool Win32Platform::IsWindow(Window window) { return ::IsWindow(ToHwnd(window)) != FALSE; }

MutexHandle Win32Platform::CreateMutex(const char* name) {
    const HANDLE mutex = ::CreateMutexA(nullptr, FALSE, name);
    RecordLastError();
    return win32::FromHandle(mutex);
}

bool Win32Platform::ReleaseMutex(MutexHandle mutex) {
    const BOOL ok = ::ReleaseMutex(win32::ToHandle(mutex));
    RecordLastError();
    return ok != FALSE;
}

bool Win32Platform::CloseMutex(MutexHandle mutex) {
    const BOOL ok = ::CloseHandle(win32::ToHandle(mutex));
    RecordLastError();
    return ok != FALSE;
}

bool Win32Platform::PostMessage(Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    const BOOL ok = ::PostMessageA(ToHwnd(window), message, wParam, lParam);
    RecordLastError();
    return ok != FALSE;
}

std::intptr_t Win32Platform::SendMessage(Window window, std::uint32_t message, std::uintptr_t wParam,
                                         std::intptr_t lParam) {
    return ::SendMessageA(ToHwnd(window), message, wParam, lParam);
}

Window Win32Platform::GetDlgItem(Window dialog, int controlId) {
    return FromHwnd(::GetDlgItem(ToHwnd(dialog), controlId));
}

bool Win32Platform::SetWindowText(Window window, const char* text) {
    const std::wstring wide = win32::WideFromCodePage950(text);
    const BOOL ok = ::SetWindowTextW(ToHwnd(window), wide.c_str());
    RecordLastError();
    return ok != FALSE;
}

int Win32Platform::MessageBox(Window owner, const char* text, const char* caption, std::uint32_t style) {
    const std::wstring wideText = win32::WideFromCodePage950(text);
    const std::wstring wideCaption = win32::WideFromCodePage950(caption);
    return ::MessageBoxW(ToHwnd(owner), wideText.c_str(), wideCaption.c_str(), style);
}

void Win32Platform::CenterWindowOnScreen(Window window) {
    RECT workArea{};
    RECT frame{};
    if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0)) return;
    if (!::GetWindowRect(ToHwnd(window), &frame)) return;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int x = workArea.left + (workArea.right - workArea.left - width) / 2;
    const int y = workArea.top + (workArea.bottom - workArea.top - height) / 2;
    ::SetWindowPos(ToHwnd(window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32Platform::SetTimer(Window window, std::uintptr_t id, std::uint32_t milliseconds) {
    const UINT_PTR set = ::SetTimer(ToHwnd(window), id, milliseconds, nullptr);
    RecordLastError();
    return set != 0;
}

bool Win32Platform::KillTimer(Window window, std::uintptr_t id) {
    const BOOL ok = ::KillTimer(ToHwnd(window), id);
    RecordLastError();
    return ok != FALSE;
}

IconHandle Win32Platform::LoadIcon(int resourceId) {
    const HICON icon = ::LoadIconA(ProgramModule(), MAKEINTRESOURCEA(resourceId));
    RecordLastError();
    return reinterpret_cast<IconHandle>(icon);
}

int Win32Platform::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

bool Win32Platform::GetClientRect(Window window, Rect* rect) {
    RECT client{};
    if (!::GetClientRect(ToHwnd(window), &client)) return false;
    rect->left = client.left;
    rect->top = client.top;
    rect->right = client.right;
    rect->bottom = client.bottom;
    return true;
}

std::uintptr_t Win32Platform::BeginPaint(Window window) {
    PAINTSTRUCT& paint = t_painting[ToHwnd(window)];
    const HDC deviceContext = ::BeginPaint(ToHwnd(window), &paint);
    if (deviceContext == nullptr) t_painting.erase(ToHwnd(window));
    return reinterpret_cast<std::uintptr_t>(deviceContext);
}

bool Win32Platform::DrawIcon(std::uintptr_t deviceContext, int x, int y, IconHandle icon) {
    return ::DrawIcon(reinterpret_cast<HDC>(deviceContext), x, y, reinterpret_cast<HICON>(icon)) != FALSE;
}

void Win32Platform::EndPaint(Window window) {
    const auto painting = t_painting.find(ToHwnd(window));
    if (painting == t_painting.end()) return;
    ::EndPaint(ToHwnd(window), &painting->second);
    t_painting.erase(painting);
}

ResourceHandle Win32Platform::FindResource(int id, const char* typeName) {
    const HRSRC resource = ::FindResourceA(ProgramModule(), MAKEINTRESOURCEA(id), typeName);
    RecordLastError();
    return reinterpret_cast<ResourceHandle>(resource);
}

const void* Win32Platform::LoadResource(ResourceHandle resource) {
    const HGLOBAL loaded = ::LoadResource(ProgramModule(), reinterpret_cast<HRSRC>(resource));
    RecordLastError();
    return loaded == nullptr ? nullptr : ::LockResource(loaded);
}

std::uint32_t Win32Platform::SizeofResource(ResourceHandle resource) {
    const DWORD size = ::SizeofResource(ProgramModule(), reinterpret_cast<HRSRC>(resource));
    RecordLastError();
    return size;
}

}  // namespace platform
