#include "platform/framework/CProgressCtrl.h"

#include <cstdint>

namespace platform {

void CProgressCtrl::SetRange(int low, int high) {
    const auto packed = (static_cast<std::uint32_t>(high & 0xFFFF) << 16) | static_cast<std::uint32_t>(low & 0xFFFF);
    Os().SendMessage(window_, win::kPbmSetRange, 0, static_cast<std::intptr_t>(packed));
}

int CProgressCtrl::SetPos(int pos) {
    return static_cast<int>(Os().SendMessage(window_, win::kPbmSetPos, static_cast<std::uintptr_t>(pos), 0));
}

int CProgressCtrl::DeltaPos(int delta) {
    return static_cast<int>(Os().SendMessage(window_, win::kPbmDeltaPos, static_cast<std::uintptr_t>(delta), 0));
}

int CProgressCtrl::GetPos() const { return static_cast<int>(Os().SendMessage(window_, win::kPbmGetPos, 0, 0)); }

}  // namespace platform
