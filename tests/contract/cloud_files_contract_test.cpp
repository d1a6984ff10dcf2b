// Online-only files of a cloud sync client (Files On-Demand): the name,
// size and attributes are on the device, the data is fetched when it is
// first read, which only a running client can do.
//
// Wine has no cloud files filter and cannot make a placeholder, so these
// rules run against the double alone; they follow Windows' documentation of
// the cloud files platform and its error codes.
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using namespace platform::win;

using CloudFilesContract = PlatformContract;

const Bytes kFaces = {'f', 'a', 'c', 'e', 's'};

class OnlineOnlyFile : public CloudFilesContract {
protected:
    void SetUp() override {
        CloudFilesContract::SetUp();
        ASSERT_TRUE(MakeFile("online.bin", kFaces));
        if (!env().MakeOnlineOnly(Path("online.bin"))) {
            GTEST_SKIP() << "no cloud files here (Wine has no cloud files filter): the double alone shows this rule";
        }
    }

    std::uint32_t Attributes() { return os().GetFileAttributes(Path("online.bin").c_str()); }
};

TEST_F(OnlineOnlyFile, ItsDataIsNotHereUntilARunningSyncClientFetchesIt) {
    ASSERT_TRUE(env().SetSyncClientRunning(true));
    EXPECT_NE(Attributes() & kFileAttributeRecallOnDataAccess, 0u);

    EXPECT_TRUE(os().CopyFile(Path("online.bin").c_str(), Path("copy.bin").c_str(), false))
        << "error " << os().LastError();

    EXPECT_EQ(Content("copy.bin"), kFaces);
    EXPECT_EQ(Attributes() & kFileAttributeRecallOnDataAccess, 0u) << "fetched, it stays on the device";
    EXPECT_EQ(os().GetFileAttributes(Path("copy.bin").c_str()) & kFileAttributeRecallOnDataAccess, 0u);
}

TEST_F(OnlineOnlyFile, WithoutItsSyncClientItOpensAndRenamesButItsDataCannotBeRead) {
    ASSERT_TRUE(env().SetSyncClientRunning(false));

    EXPECT_FALSE(os().CopyFile(Path("online.bin").c_str(), Path("copy.bin").c_str(), false));
    EXPECT_EQ(os().LastError(), kErrorCloudFileProviderNotRunning);
    EXPECT_FALSE(os().PathFileExists(Path("copy.bin").c_str()));

    {
        auto file = Open("online.bin", kGenericRead | kGenericWrite, 0);
        ASSERT_TRUE(file->IsOpen()) << "error " << os().LastError();
        std::uint64_t size = 0;
        EXPECT_TRUE(os().GetFileSizeEx(file->Get(), &size));
        EXPECT_EQ(size, kFaces.size());
        std::uint8_t byte = 0;
        std::uint32_t read = 0;
        EXPECT_FALSE(os().ReadFile(file->Get(), &byte, 1, &read));
        EXPECT_EQ(os().LastError(), kErrorCloudFileProviderNotRunning);
        std::uint32_t written = 0;
        EXPECT_FALSE(os().WriteFile(file->Get(), &byte, 1, &written));
        EXPECT_EQ(os().LastError(), kErrorCloudFileProviderNotRunning);
    }
    EXPECT_TRUE(os().MoveFileEx(Path("online.bin").c_str(), Path("renamed.bin").c_str(), 0))
        << "error " << os().LastError();
    EXPECT_NE(os().GetFileAttributes(Path("renamed.bin").c_str()) & kFileAttributeRecallOnDataAccess, 0u);

    ASSERT_TRUE(env().SetSyncClientRunning(true));
    EXPECT_EQ(Content("renamed.bin"), kFaces);
}

}  // namespace
}  // namespace contract
