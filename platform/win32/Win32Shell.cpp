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

bool Win32Platform::GetPersonalFolderPath(char16_t (&buffer)[260]) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wide characters are UTF-16 code units");
    static_assert(sizeof buffer / sizeof buffer[0] == MAX_PATH, "the shell writes MAX_PATH characters");
    ShellItemList list;
    const HRESULT found = ::SHGetSpecialFolderLocation(nullptr, CSIDL_PERSONAL, list.Out());
    win32::RecordLastError(static_cast<std::uint32_t>(found));
    if (FAILED(found) || list.Get() == nullptr) return false;
    // Asked in UTF-16: the ANSI call would put '?' for a character the code
    // page lacks, naming a folder that is not the user's.
    if (!::SHGetPathFromIDListW(list.Get(), reinterpret_cast<wchar_t*>(buffer))) {
        win32::RecordLastError();
        return false;
    }
    win32::RecordLastError(ERROR_SUCCESS);
    return true;
}

}  // namespace platform
