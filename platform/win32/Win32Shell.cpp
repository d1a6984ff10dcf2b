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
    BOOL usedDefault = FALSE;
    const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, buffer, 260, nullptr,
                                            &usedDefault);
    if (bytes == 0) {
        win32::RecordLastError();
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
