// Reading the registry as the installer does: one level at a time, raw bytes.
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using namespace platform::win;
using platform::RegKey;

// Closes the key it holds when it goes out of scope.
class ScopedKey {
public:
    explicit ScopedKey(platform::Platform& os) : os_(os) {}
    ~ScopedKey() {
        if (key_ != 0) os_.RegCloseKey(key_);
    }
    ScopedKey(const ScopedKey&) = delete;
    ScopedKey& operator=(const ScopedKey&) = delete;
    RegKey* Out() { return &key_; }
    RegKey Get() const { return key_; }
    RegKey Release() {
        const RegKey key = key_;
        key_ = 0;
        return key;
    }

private:
    platform::Platform& os_;
    RegKey key_ = 0;
};

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : path + "\\") {
        if (c != '\\') {
            name += c;
        } else if (!name.empty()) {
            names.push_back(name);
            name.clear();
        }
    }
    return names;
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

class RegistryContract : public PlatformContract {
protected:
    // Opens the scratch key (and `subKey` below it) one level at a time, in
    // lower case, for reading, as the installer opens the game's keys.
    long OpenScratch(ScopedKey& result, const std::string& subKey = "") {
        RegKey parent = platform::kHkeyCurrentUser;
        std::vector<std::unique_ptr<ScopedKey>> chain;
        for (const std::string& name : Split(env().ScratchKey() + "\\" + subKey)) {
            chain.push_back(std::make_unique<ScopedKey>(os()));
            const long status = os().RegOpenKeyEx(parent, Lower(name).c_str(), 0, kKeyRead, chain.back()->Out());
            if (status != 0) {
                *chain.back()->Out() = 0;  // not every system clears it on failure
                return status;
            }
            parent = chain.back()->Get();
        }
        *result.Out() = chain.back()->Release();
        return 0;
    }
};

TEST_F(RegistryContract, QueryHandsOutTheStoredBytesAndSizeOnlyWhenTheyFit) {
    const Bytes stored = {1, 2, 3, 4, 5, 6, 7, 8};
    env().SetRegistryValue("", "Blob", kRegBinary, stored);
    ScopedKey key(os());
    ASSERT_EQ(0, OpenScratch(key));

    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(0, os().RegQueryValueEx(key.Get(), "blob", &type, nullptr, &size)) << "no buffer: size only";
    EXPECT_EQ(8u, size);
    EXPECT_EQ(kRegBinary, type);

    std::uint8_t small[4] = {0xCC, 0xCC, 0xCC, 0xCC};
    size = sizeof small;
    EXPECT_EQ(static_cast<long>(kErrorMoreData), os().RegQueryValueEx(key.Get(), "Blob", nullptr, small, &size));
    EXPECT_EQ(8u, size) << "the size needed";
    EXPECT_EQ(Bytes(4, 0xCC), Bytes(small, small + 4)) << "a buffer too small is left untouched";

    std::uint8_t large[12];
    std::fill(std::begin(large), std::end(large), 0xCC);
    size = sizeof large;
    EXPECT_EQ(0, os().RegQueryValueEx(key.Get(), "BLOB", nullptr, large, &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(stored, Bytes(large, large + 8));
    EXPECT_EQ(Bytes(4, 0xCC), Bytes(large + 8, large + 12)) << "nothing beyond the value is written";
}

TEST_F(RegistryContract, StringAndNumberValuesAreTheirRawBytes) {
    env().SetRegistryValue("", "1", kRegSz, {'2', 0});
    env().SetRegistryValue("", "Level", kRegDword, {0x02, 0x01, 0x00, 0x00});
    ScopedKey key(os());
    ASSERT_EQ(0, OpenScratch(key));

    std::uint8_t buffer[8] = {};
    std::uint32_t size = sizeof buffer;
    std::uint32_t type = 0;
    ASSERT_EQ(0, os().RegQueryValueEx(key.Get(), "1", &type, buffer, &size));
    EXPECT_EQ(kRegSz, type);
    EXPECT_EQ((Bytes{0x32, 0x00}), Bytes(buffer, buffer + size)) << "\"2\" is its character and a zero";

    size = sizeof buffer;
    ASSERT_EQ(0, os().RegQueryValueEx(key.Get(), "level", &type, buffer, &size));
    EXPECT_EQ(kRegDword, type);
    EXPECT_EQ((Bytes{0x02, 0x01, 0x00, 0x00}), Bytes(buffer, buffer + size));
}

TEST_F(RegistryContract, MissingKeysAndValuesAreNotFound) {
    env().SetRegistryValue("Present", "Value", kRegBinary, {1});
    ScopedKey missing(os());
    EXPECT_EQ(static_cast<long>(kErrorFileNotFound), OpenScratch(missing, "Absent"));
    EXPECT_EQ(0u, missing.Get());

    ScopedKey present(os());
    ASSERT_EQ(0, OpenScratch(present, "Present"));
    std::uint8_t buffer[4];
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(static_cast<long>(kErrorFileNotFound),
              os().RegQueryValueEx(present.Get(), "Other", nullptr, buffer, &size));
}

TEST_F(RegistryContract, AClosedKeyIsAnInvalidHandle) {
    env().SetRegistryValue("", "Value", kRegBinary, {1});
    ScopedKey key(os());
    ASSERT_EQ(0, OpenScratch(key));
    const RegKey closed = key.Release();
    ASSERT_EQ(0, os().RegCloseKey(closed));

    std::uint8_t buffer[4];
    std::uint32_t size = sizeof buffer;
    EXPECT_EQ(static_cast<long>(kErrorInvalidHandle), os().RegQueryValueEx(closed, "Value", nullptr, buffer, &size));
}

}  // namespace
}  // namespace contract
