// The double's injected faults, short transfers, disk capacity and counts:
// the means by which other tests make the system fail on cue.
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace platform::win;
using platform::fake::Fault;
using platform::fake::FakePlatform;
using platform::fake::Op;
using Bytes = std::vector<std::uint8_t>;

class FakeFaults : public ::testing::Test {
protected:
    FakePlatform fake;

    platform::FileHandle OpenForWriting(const char* path) {
        return fake.CreateFile(path, kGenericRead | kGenericWrite, 0, kOpenAlways, kFileAttributeNormal);
    }
};

TEST_F(FakeFaults, ATransientFaultFailsOnlyTheNthCallAndChangesNothing) {
    for (const char* path : {"C:\\a", "C:\\b", "C:\\c"}) fake.AddFile(path, {1});
    fake.DeleteFile("C:\\a");  // before arming: not counted towards nth
    fake.InjectFault(Fault{Op::DeleteFile, 2, kErrorSharingViolation, false});

    EXPECT_TRUE(fake.DeleteFile("C:\\b"));
    EXPECT_FALSE(fake.DeleteFile("C:\\c"));
    EXPECT_EQ(kErrorSharingViolation, fake.LastError());
    EXPECT_TRUE(fake.Exists("C:\\c"));
    EXPECT_TRUE(fake.DeleteFile("C:\\c"));
}

TEST_F(FakeFaults, APersistentFaultFailsTheNthAndEveryLaterCall) {
    fake.InjectFault(Fault{Op::CreateDirectory, 2, kErrorAccessDenied, true});
    EXPECT_TRUE(fake.CreateDirectory("C:\\one"));
    EXPECT_FALSE(fake.CreateDirectory("C:\\two"));
    EXPECT_FALSE(fake.CreateDirectory("C:\\three"));
    EXPECT_EQ(kErrorAccessDenied, fake.LastError());
    EXPECT_FALSE(fake.Exists("C:\\two"));
    fake.ClearFaults();
    EXPECT_TRUE(fake.CreateDirectory("C:\\two"));
}

TEST_F(FakeFaults, FailedCallsGiveTheirFailureValues) {
    fake.AddFile("C:\\file", {1, 2, 3});
    const platform::FileHandle file = OpenForWriting("C:\\file");
    ASSERT_NE(platform::kInvalidFile, file);
    for (const Op op : {Op::CreateFile, Op::ReadFile, Op::WriteFile, Op::RegOpenKeyEx}) {
        fake.InjectFault(Fault{op, 1, kErrorDiskFull, false});
    }
    EXPECT_EQ(platform::kInvalidFile, OpenForWriting("C:\\new"));
    EXPECT_FALSE(fake.Exists("C:\\new"));
    std::uint8_t buffer[3] = {9, 9, 9};
    std::uint32_t count = 7;
    EXPECT_FALSE(fake.ReadFile(file, buffer, 3, &count));
    EXPECT_EQ(0u, count);
    count = 7;
    EXPECT_FALSE(fake.WriteFile(file, buffer, 3, &count));
    EXPECT_EQ(0u, count);
    EXPECT_EQ((Bytes{1, 2, 3}), fake.FileBytes("C:\\file"));
    platform::RegKey key = 1;
    EXPECT_EQ(static_cast<long>(kErrorDiskFull),
              fake.RegOpenKeyEx(platform::kHkeyCurrentUser, "software", 0, kKeyAllAccess, &key));
    EXPECT_TRUE(fake.CloseFile(file));
}

TEST_F(FakeFaults, AShortWriteWritesPartOfTheDataAndFailsAsAFullDiskDoes) {
    const platform::FileHandle file = OpenForWriting("C:\\file");
    const std::uint8_t data[6] = {1, 2, 3, 4, 5, 6};
    std::uint32_t written = 0;
    fake.ShortWrite(2, 4);
    ASSERT_TRUE(fake.WriteFile(file, data, 2, &written));
    EXPECT_FALSE(fake.WriteFile(file, data, 6, &written));
    EXPECT_EQ(kErrorDiskFull, fake.LastError());
    EXPECT_EQ(4u, written);
    EXPECT_EQ((Bytes{1, 2, 1, 2, 3, 4}), fake.FileBytes("C:\\file"));
    EXPECT_TRUE(fake.WriteFile(file, data, 1, &written)) << "only the nth call is short";
    fake.CloseFile(file);
}

TEST_F(FakeFaults, AShortReadSucceedsWithFewerBytes) {
    fake.AddFile("C:\\file", {1, 2, 3, 4, 5, 6});
    const platform::FileHandle file = OpenForWriting("C:\\file");
    std::uint8_t buffer[6] = {};
    std::uint32_t read = 0;
    fake.ShortRead(1, 2);
    ASSERT_TRUE(fake.ReadFile(file, buffer, 6, &read));
    EXPECT_EQ(2u, read);
    ASSERT_TRUE(fake.ReadFile(file, buffer, 6, &read));
    EXPECT_EQ(4u, read) << "the next read goes on from where the short one stopped";
    EXPECT_EQ(3, buffer[0]);
    fake.CloseFile(file);
}

TEST_F(FakeFaults, AFullDiskTakesWhatFitsAndRefusesCopiesThatDoNot) {
    fake.AddFile("C:\\big", Bytes(8, 7));
    fake.SetDiskCapacity(12);
    EXPECT_FALSE(fake.CopyFile("C:\\big", "C:\\copy", false));
    EXPECT_EQ(kErrorDiskFull, fake.LastError());
    EXPECT_FALSE(fake.Exists("C:\\copy"));

    const platform::FileHandle file = OpenForWriting("C:\\file");
    const Bytes data(6, 1);
    std::uint32_t written = 0;
    EXPECT_FALSE(fake.WriteFile(file, data.data(), 6, &written));
    EXPECT_EQ(kErrorDiskFull, fake.LastError());
    EXPECT_EQ(4u, written);
    EXPECT_EQ(Bytes(4, 1), fake.FileBytes("C:\\file"));

    std::uint64_t position = 0;
    ASSERT_TRUE(fake.SetFilePointerEx(file, 0, kFileBegin, &position));
    EXPECT_TRUE(fake.WriteFile(file, data.data(), 4, &written)) << "overwriting needs no room";
    fake.CloseFile(file);
}

TEST_F(FakeFaults, CallsAreCountedPerOperationUntilReset) {
    fake.PathFileExists("C:\\");
    fake.PathFileExists("C:\\x");
    fake.GetFileAttributes("C:\\");
    EXPECT_EQ(2u, fake.Calls(Op::PathFileExists));
    EXPECT_EQ(3u, fake.TotalCalls());
    fake.AddFile("C:\\scene", {});  // setting the scene is not a call of the program
    EXPECT_EQ(3u, fake.TotalCalls());
    fake.ResetCounts();
    EXPECT_EQ(0u, fake.TotalCalls());
    EXPECT_STREQ("PathFileExists", platform::fake::OpName(Op::PathFileExists));
}

TEST_F(FakeFaults, EachThreadHasItsOwnLastError) {
    EXPECT_FALSE(fake.DeleteFile("C:\\absent"));
    std::uint32_t otherThreadsError = 99;
    std::thread other([this, &otherThreadsError] {
        fake.CreateDirectory("C:\\");
        otherThreadsError = fake.LastError();
    });
    other.join();
    EXPECT_EQ(kErrorAccessDenied, otherThreadsError);
    EXPECT_EQ(kErrorFileNotFound, fake.LastError());
}

}  // namespace
