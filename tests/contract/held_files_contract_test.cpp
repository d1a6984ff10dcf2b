// Files that another program holds open while ours works on them, as virus
// scanners, indexers and sync clients do: which opens, moves and deletions
// the holder's access and share mode let through.
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using namespace platform::win;

using HeldFilesContract = PlatformContract;

const Bytes kSix = {'h', 'e', 'l', 'd', '!', '\n'};
constexpr std::uint32_t kDelete = 0x10000;
constexpr std::uint32_t kShareAll = kFileShareRead | kFileShareWrite | kFileShareDelete;

struct OpenCase {
    const char* what;
    std::uint32_t holderAccess, holderShare, access, share;
    bool opens;
};

// Every open is checked against every handle already open, both ways: the
// new open's share mode against the holder's access, and the holder's share
// mode against the new open's access.
TEST_F(HeldFilesContract, ANewOpenMustFitEveryHandleAlreadyOpenBothWays) {
    ASSERT_TRUE(MakeFile("held.bin", kSix));
    const std::uint32_t read = kGenericRead;
    const std::uint32_t readWrite = kGenericRead | kGenericWrite;
    const OpenCase cases[] = {
        // A reader that shares everything, as a scanner.
        {"sharing nothing, beside a reader that shares everything", read, kShareAll, read, 0, false},
        {"writing and sharing nothing, beside that reader", read, kShareAll, readWrite, 0, false},
        {"reading and sharing reading, beside that reader", read, kShareAll, read, kFileShareRead, true},
        {"writing and sharing reading, beside that reader", read, kShareAll, readWrite, kFileShareRead, true},
        {"writing and sharing everything, beside that reader", read, kShareAll, readWrite, kShareAll, true},
        {"deleting and sharing reading, beside that reader", read, kShareAll, kDelete, kFileShareRead, true},
        // A reader that shares reading only.
        {"reading, beside a reader that shares reading", read, kFileShareRead, read, kShareAll, true},
        {"writing, beside a reader that shares reading", read, kFileShareRead, readWrite, kShareAll, false},
        {"deleting, beside a reader that shares reading and writing", read, kFileShareRead | kFileShareWrite,
         kDelete, kShareAll, false},
        // A writer that shares everything.
        {"reading and sharing reading, beside a writer", readWrite, kShareAll, read, kFileShareRead, false},
        {"reading and sharing reading and writing, beside a writer", readWrite, kShareAll, read,
         kFileShareRead | kFileShareWrite, true},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto holder = Open("held.bin", c.holderAccess, c.holderShare);
        ASSERT_TRUE(holder->IsOpen());
        auto second = Open("held.bin", c.access, c.share);
        EXPECT_EQ(c.opens, second->IsOpen());
        if (!c.opens) {
            EXPECT_EQ(kErrorSharingViolation, os().LastError());
        }
    }
    EXPECT_EQ(kSix, Content("held.bin"));
}

TEST_F(HeldFilesContract, AFileHeldBySomeoneWhoSharesDeletionCanBeRenamed) {
    ASSERT_TRUE(MakeFile("scanned.tmp", kSix));
    {
        auto holder = Open("scanned.tmp", kGenericRead, kShareAll);
        ASSERT_TRUE(holder->IsOpen());
        EXPECT_TRUE(os().MoveFileEx(Path("scanned.tmp").c_str(), Path("renamed.bin").c_str(), 0))
            << "error " << os().LastError();
    }
    EXPECT_EQ(kSix, Content("renamed.bin"));

    auto holder = Open("renamed.bin", kGenericRead, kFileShareRead | kFileShareWrite);
    ASSERT_TRUE(holder->IsOpen());
    EXPECT_FALSE(os().MoveFileEx(Path("renamed.bin").c_str(), Path("again.bin").c_str(), 0));
    EXPECT_EQ(kErrorSharingViolation, os().LastError());
    EXPECT_EQ(kSix, Content("renamed.bin"));
}

TEST_F(HeldFilesContract, AFileHeldOpenIsNotReplacedWhateverItsHolderShares) {
    ASSERT_TRUE(MakeFile("target.bin", kSix));
    ASSERT_TRUE(MakeFile("new.tmp", {'n', 'e', 'w'}));
    for (const std::uint32_t share : {kFileShareRead, kShareAll}) {
        SCOPED_TRACE(share);
        auto holder = Open("target.bin", kGenericRead, share);
        ASSERT_TRUE(holder->IsOpen());
        EXPECT_FALSE(os().MoveFileEx(Path("new.tmp").c_str(), Path("target.bin").c_str(), kMoveFileReplaceExisting));
        EXPECT_EQ(kErrorAccessDenied, os().LastError());
    }
    EXPECT_EQ(kSix, Content("target.bin"));
    EXPECT_TRUE(os().MoveFileEx(Path("new.tmp").c_str(), Path("target.bin").c_str(), kMoveFileReplaceExisting))
        << "once let go";
}

TEST_F(HeldFilesContract, AFileHeldBySomeoneWhoSharesAllButDeletionIsNotDeleted) {
    ASSERT_TRUE(MakeFile("kept.bin", kSix));
    auto holder = Open("kept.bin", kGenericRead, kFileShareRead | kFileShareWrite);
    ASSERT_TRUE(holder->IsOpen());
    EXPECT_FALSE(os().DeleteFile(Path("kept.bin").c_str()));
    EXPECT_EQ(kErrorSharingViolation, os().LastError());
    EXPECT_EQ(kSix, Content("kept.bin"));
}

TEST_F(HeldFilesContract, AFileReadWithFullSharingCanBeCopiedAndItsTimeRead) {
    ASSERT_TRUE(MakeFile("source.bin", kSix));
    auto holder = Open("source.bin", kGenericRead, kShareAll);
    ASSERT_TRUE(holder->IsOpen());
    EXPECT_TRUE(os().CopyFile(Path("source.bin").c_str(), Path("copy.bin").c_str(), false))
        << "error " << os().LastError();
    EXPECT_EQ(kSix, Content("copy.bin"));
    auto reader = Open("source.bin", kGenericRead, kShareAll);
    ASSERT_TRUE(reader->IsOpen());
    platform::FileTime time;
    EXPECT_TRUE(os().GetFileTime(reader->Get(), &time));
    EXPECT_NE(0u, time.ticks);
}

}  // namespace
}  // namespace contract
