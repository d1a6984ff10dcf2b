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
    const BOOL converted = ::SHGetPathFromIDListA(list.Get(), buffer);
    win32::RecordLastError();
    return converted != FALSE;
}

}  // namespace platform
