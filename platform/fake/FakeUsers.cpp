// Who the process runs as, and who is signed in to its desktop.
#include "platform/fake/FakeState.h"

namespace platform::fake {

std::vector<std::uint8_t> FakePlatform::AccountSid(std::uint32_t relativeId) {
    // Revision 1, five sub-authorities, the NT authority (5): S-1-5-21-a-b-c-id,
    // the sub-authorities little-endian as Windows stores them.
    std::vector<std::uint8_t> sid = {1, 5, 0, 0, 0, 0, 0, 5};
    for (const std::uint32_t part : {21u, 3141592653u, 2718281828u, 1414213562u, relativeId}) {
        for (int shift = 0; shift < 32; shift += 8) sid.push_back(static_cast<std::uint8_t>(part >> shift));
    }
    return sid;
}

void FakePlatform::SetProcessUser(std::vector<std::uint8_t> sid, bool elevated) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->processUser = std::move(sid);
    state_->processElevated = elevated;
}

void FakePlatform::SetDesktopUser(std::optional<std::vector<std::uint8_t>> sid) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->desktopUser = std::move(sid);
}

bool FakePlatform::GetProcessElevation(bool* elevated) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetProcessElevation)) return false;
    *elevated = state_->processElevated;
    state_->SetError(0);
    return true;
}

bool FakePlatform::GetProcessUser(std::vector<std::uint8_t>* sid) {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetProcessUser)) return false;
    *sid = state_->processUser;
    state_->SetError(0);
    return true;
}

bool FakePlatform::GetDesktopUser(std::vector<std::uint8_t>* sid) {
    constexpr std::uint32_t kErrorNoSuchLogonSession = 1312;
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->Enter(Op::GetDesktopUser)) return false;
    if (!state_->desktopUser) {
        state_->SetError(kErrorNoSuchLogonSession);
        return false;
    }
    *sid = *state_->desktopUser;
    state_->SetError(0);
    return true;
}

}  // namespace platform::fake
