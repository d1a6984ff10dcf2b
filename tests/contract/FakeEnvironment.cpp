// The contract tests' environment over the platform double.
#include "platform/fake/FakePlatform.h"
#include "tests/contract/ContractEnvironment.h"

namespace contract {
namespace {

constexpr int kTaipeiOffsetMinutes = 8 * 60;

class FakeMapping final : public Mapping {
public:
    FakeMapping(platform::fake::FakePlatform& fake, std::string path) : fake_(fake), path_(std::move(path)) {
        fake_.MapIntoMemory(path_);
    }
    ~FakeMapping() override { fake_.Unmap(path_); }

private:
    platform::fake::FakePlatform& fake_;
    std::string path_;
};

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

    std::optional<std::string> FolderRefusingWrites() override {
        const std::string folder = folder_ + "refusing\\";
        fake_.AddFile(folder + "kept.bin", {'k', 'e', 'p', 't', '\n'});
        fake_.RefuseWritesUnder(folder);
        return folder;
    }
    std::unique_ptr<Mapping> MapIntoMemory(const std::string& path) override {
        if (!fake_.Exists(path)) return nullptr;
        return std::make_unique<FakeMapping>(fake_, path);
    }
    bool MakeOnlineOnly(const std::string& path) override {
        fake_.MakeOnlineOnly(path);
        return fake_.IsOnlineOnly(path);
    }
    bool SetSyncClientRunning(bool running) override {
        using Provider = platform::fake::FakePlatform::CloudProvider;
        fake_.SetCloudProvider(running ? Provider::kRunning : Provider::kNotRunning);
        return true;
    }
    bool ElevateAsAnotherUser() override {
        fake_.SetProcessUser(platform::fake::FakePlatform::AccountSid(500), true);
        return true;
    }

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
