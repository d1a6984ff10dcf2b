// The contract tests' environment over the platform double.
#include "platform/fake/FakePlatform.h"
#include "tests/contract/ContractEnvironment.h"

namespace contract {
namespace {

constexpr int kTaipeiOffsetMinutes = 8 * 60;

class FakeEnvironment final : public Environment {
public:
    explicit FakeEnvironment(const std::string& testName)
        : folder_("C:\\Temp\\InstallerContractTests\\" + testName + "\\"),
          key_("Software\\InstallerContractTests\\" + testName) {
        fake_.AddFolder(folder_);
        fake_.CreateRegistryKey(key_);
        fake_.SetUtcOffsetMinutes(kTaipeiOffsetMinutes);
    }

    platform::Platform& Os() override { return fake_; }
    std::string ScratchFolder() override { return folder_; }
    std::string ScratchKey() override { return key_; }
    void SetRegistryValue(const std::string& subKey, const std::string& name, std::uint32_t type,
                          const std::vector<std::uint8_t>& bytes) override {
        fake_.SetRegistryValue(subKey.empty() ? key_ : key_ + "\\" + subKey, name, bytes, type);
    }
    std::optional<int> UtcOffsetMinutes() override { return kTaipeiOffsetMinutes; }
    bool UseAnsiCodePage(std::uint32_t number) override {
        fake_.SetAnsiCodePage(number);
        platform::AnsiCodePage codePage;
        return fake_.GetAnsiCodePage(&codePage) && codePage.number == number;
    }
    bool UnderWine() override { return false; }

private:
    platform::fake::FakePlatform fake_;
    std::string folder_;
    std::string key_;
};

}  // namespace

std::unique_ptr<Environment> MakeEnvironment(const std::string& testName) {
    return std::make_unique<FakeEnvironment>(testName);
}

}  // namespace contract
