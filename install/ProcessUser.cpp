#include "install/ProcessUser.h"

#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"
#include "platform/Platform.h"

#include <cstdint>
#include <vector>

namespace {

bool ElevatedAsAnotherUser() {
    platform::Platform& os = platform::Os();
    bool elevated = false;
    if (!os.GetProcessElevation(&elevated) || !elevated) return false;
    std::vector<std::uint8_t> processUser;
    std::vector<std::uint8_t> desktopUser;
    if (!os.GetProcessUser(&processUser) || !os.GetDesktopUser(&desktopUser)) return false;
    return processUser != desktopUser;
}

}  // namespace

int CheckProcessUserStep() {
    if (!ElevatedAsAnotherUser()) return 1;
    PostToProgressDialog(WM_INSTALL_ERROR, kErrorElevatedAsAnotherUser);
    return 0;
}
