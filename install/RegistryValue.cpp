#include "install/RegistryValue.h"

#include "platform/Platform.h"

namespace {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_ != 0) platform::Os().RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    long Open(platform::RegKey parent, const char* name) {
        platform::RegKey opened = 0;
        // Nothing is written: a key the user may read but not write is as good.
        const long status = platform::Os().RegOpenKeyEx(parent, name, 0, platform::win::kKeyRead, &opened);
        if (status == 0) key_ = opened;
        return status;
    }
    platform::RegKey Get() const { return key_; }

private:
    platform::RegKey key_ = 0;
};

constexpr int kChainLength = 4;

}  // namespace

long QueryProductValue(const char* productKey, const char* leafKey, const char* valueName, std::uint8_t* data,
                       std::uint32_t* size) {
    const char* const names[kChainLength] = {"software", "ZAVO", productKey, leafKey};
    // Array elements are destroyed last to first: the innermost key closes first.
    RegistryKey keys[kChainLength];
    platform::RegKey parent = platform::kHkeyCurrentUser;
    for (int level = 0; level < kChainLength; ++level) {
        const long status = keys[level].Open(parent, names[level]);
        if (status != 0) return status;
        parent = keys[level].Get();
    }
    return platform::Os().RegQueryValueEx(parent, valueName, nullptr, data, size);
}
