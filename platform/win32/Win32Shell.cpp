#include "platform/AnsiConversion.h"
#include "platform/win32/Win32Handles.h"
#include "platform/win32/Win32Platform.h"

namespace platform {

namespace {
// The shell's item list for a special folder, freed with the shell's allocator.
class ShellItemList {
public:
    ShellItemList() = default;
    ~ShellItemList() {
        IMalloc* allocator = nullptr;
        if (list_ != nullptr && SUCCEEDED(::SHGetMalloc(&allocator))) {
            allocator->Free(list_);
            allocator->Release();
        }
    }
    ShellItemList(const ShellItemList&) = delete;
    ShellItemList& operator=(const ShellItemList&) = delete;

    LPITEMIDLIST* Out() { return &list_; }
    LPCITEMIDLIST Get() const { return list_; }

private:
    LPITEMIDLIST list_ = nullptr;
};
}  // namespace

bool Win32Platform::GetPersonalFolderPath(char (&buffer)[260]) {
    ShellItemList list;
    const HRESULT found = ::SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, list.Out());
    win32::RecordLastError(static_cast<std::uint32_t>(found));
    if (FAILED(found) || list.Get() == nullptr) return false;
    // Asked in UTF-16 and converted here: the ANSI call would put '?' for a
    // character the code page lacks, naming a folder that is not the user's.
    wchar_t wide[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(list.Get(), wide)) {
        win32::RecordLastError();
        return false;
    }
    AnsiCodePage codePage;
    if (!GetAnsiCodePage(&codePage)) return false;
    const AnsiNameConversion conversion = AnsiNameConversionFor(codePage);
    bool usedDefault = false;
    if (WideCharToAnsi(reinterpret_cast<const char16_t*>(wide), conversion.flags, buffer, sizeof buffer,
                       conversion.reportsStandIns ? &usedDefault : nullptr) == 0) {
        return false;
    }
    if (usedDefault) {
        win32::RecordLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    win32::RecordLastError(ERROR_SUCCESS);
    return true;
}

}  // namespace platform
