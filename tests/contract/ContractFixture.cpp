#include "tests/contract/ContractFixture.h"

namespace contract {

using namespace platform::win;

void PlatformContract::SetUp() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "_" + test->name();
    for (char& c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!plain) c = '_';
    }
    env_ = MakeEnvironment(name);
    folder_ = env_->ScratchFolder();
}

bool PlatformContract::MakeFile(const std::string& relative, const Bytes& bytes) {
    ScopedFile file(os(),
                    os().CreateFile(Path(relative).c_str(), kGenericWrite, 0, kCreateAlways, kFileAttributeNormal));
    if (!file.IsOpen()) {
        ADD_FAILURE() << "cannot create " << relative << ": error " << os().LastError();
        return false;
    }
    std::uint32_t written = 0;
    const bool wrote =
        bytes.empty() || os().WriteFile(file.Get(), bytes.data(), static_cast<std::uint32_t>(bytes.size()), &written);
    if (!wrote || (!bytes.empty() && written != bytes.size())) {
        ADD_FAILURE() << "cannot write " << relative << ": error " << os().LastError();
        return false;
    }
    return file.Close();
}

bool PlatformContract::MakeReadOnlyFile(const std::string& relative, const Bytes& bytes) {
    if (!MakeFile(relative, bytes)) return false;
    if (os().SetFileAttributes(Path(relative).c_str(), kFileAttributeReadOnly)) return true;
    ADD_FAILURE() << "cannot make " << relative << " read-only: error " << os().LastError();
    return false;
}

Bytes PlatformContract::Content(const std::string& relative) {
    ScopedFile file(os(), os().CreateFile(Path(relative).c_str(), kGenericRead, kFileShareRead, kOpenExisting,
                                          kFileAttributeNormal));
    Bytes content;
    if (!file.IsOpen()) return content;
    std::uint8_t chunk[4096];
    std::uint32_t read = 0;
    while (os().ReadFile(file.Get(), chunk, sizeof chunk, &read) && read > 0) {
        content.insert(content.end(), chunk, chunk + read);
    }
    return content;
}

std::unique_ptr<ScopedFile> PlatformContract::Open(const std::string& relative, std::uint32_t access,
                                                   std::uint32_t share) {
    return std::make_unique<ScopedFile>(
        os(), os().CreateFile(Path(relative).c_str(), access, share, kOpenExisting, kFileAttributeNormal));
}

bool PlatformContract::IsReadOnly(const std::string& relative) {
    const std::uint32_t attributes = os().GetFileAttributes(Path(relative).c_str());
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeReadOnly) != 0;
}

}  // namespace contract
