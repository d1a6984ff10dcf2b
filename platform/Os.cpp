#include "platform/Platform.h"

#include <atomic>
#include <cstdlib>

namespace platform {
namespace {
std::atomic<Platform*> g_os{nullptr};
}

Platform& Os() {
    Platform* os = g_os.load(std::memory_order_acquire);
    if (os == nullptr) std::abort();  // a program that runs without a platform is a programming error
    return *os;
}

void SetOs(Platform* platform) { g_os.store(platform, std::memory_order_release); }

}  // namespace platform
