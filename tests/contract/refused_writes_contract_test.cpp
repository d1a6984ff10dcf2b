// A folder in which Windows refuses this user every change: Windows
// Security's Controlled folder access and antivirus ransomware shields do
// that to unknown programs under Documents, and so do a folder's own
// permissions. Every change fails with access denied, for good; reading does
// not. (Under Wine the folder's Unix permissions refuse, with the same error;
// a deletion there reports success and leaves the file, so deleting, whose
// failure the installer never acts on, is left out.)
#include "tests/contract/ContractFixture.h"

#include <functional>

namespace contract {
namespace {

using namespace platform::win;

using RefusedWritesContract = PlatformContract;

const Bytes kKept = {'k', 'e', 'p', 't', '\n'};

TEST_F(RefusedWritesContract, EveryChangeIsRefusedWithAccessDeniedAndReadingIsNot) {
    const std::optional<std::string> refusing = env().FolderRefusingWrites();
    if (!refusing) GTEST_SKIP() << "the test runner prepared no folder that refuses this user's writes";
    ASSERT_TRUE(MakeFile("source.bin", {'n', 'e', 'w'}));
    const std::string kept = *refusing + "kept.bin";
    const std::string made = *refusing + "made.bin";

    const auto opens = [&](const std::string& path, std::uint32_t access, std::uint32_t disposition) {
        ScopedFile file(os(), os().CreateFile(path.c_str(), access, 0, disposition, kFileAttributeNormal));
        return file.IsOpen();
    };
    struct Change {
        const char* what;
        std::function<bool()> make;
    };
    const Change changes[] = {
        {"making a folder", [&] { return os().CreateDirectory((*refusing + "made").c_str()); }},
        {"making a file", [&] { return opens(made, kGenericWrite, kCreateNew); }},
        {"opening a file for writing", [&] { return opens(kept, kGenericRead | kGenericWrite, kOpenExisting); }},
        {"copying a file into it", [&] { return os().CopyFile(Path("source.bin").c_str(), made.c_str(), false); }},
        {"copying over a file in it", [&] { return os().CopyFile(Path("source.bin").c_str(), kept.c_str(), false); }},
        {"moving a file into it", [&] { return os().MoveFileEx(Path("source.bin").c_str(), made.c_str(), 0); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        EXPECT_FALSE(change.make());
        EXPECT_EQ(os().LastError(), kErrorAccessDenied);
    }

    ScopedFile reader(os(),
                      os().CreateFile(kept.c_str(), kGenericRead, kFileShareRead, kOpenExisting, kFileAttributeNormal));
    ASSERT_TRUE(reader.IsOpen()) << "error " << os().LastError();
    std::uint8_t bytes[16] = {};
    std::uint32_t read = 0;
    EXPECT_TRUE(os().ReadFile(reader.Get(), bytes, sizeof bytes, &read));
    EXPECT_EQ(Bytes(bytes, bytes + read), kKept);
    EXPECT_FALSE(os().PathFileExists(made.c_str()));
    EXPECT_TRUE(os().CopyFile(kept.c_str(), Path("copy.bin").c_str(), false)) << "error " << os().LastError();
    EXPECT_EQ(Content("copy.bin"), kKept);
}

}  // namespace
}  // namespace contract
