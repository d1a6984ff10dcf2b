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
        {"deleting, beside a reader that shares reading and writing", read, kFileShareRead | kFileShareWrite, kDelete,
         kShareAll, false},
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

struct CopyHolderCase {
    const char* what;
    const char* held;  // "source.bin" or "target.bin"
    std::uint32_t holderAccess, holderShare;
    std::uint32_t error;  // 0: the copy is made
};

// CopyFile opens its source for reading and its target for writing, sharing
// reading and writing; a holder of either that does not fit that open
// refuses the copy with a sharing violation, and nothing is copied.
TEST_F(HeldFilesContract, ACopyMeetsTheHoldersOfItsSourceAndTargetAsItsOpensWould) {
    const std::uint32_t read = kGenericRead;
    const std::uint32_t readWrite = kGenericRead | kGenericWrite;
    const CopyHolderCase cases[] = {
        {"source read by someone who shares reading", "source.bin", read, kFileShareRead, 0},
        {"source read by someone who shares nothing", "source.bin", read, 0, kErrorSharingViolation},
        {"target read by someone who shares everything", "target.bin", read, kShareAll, 0},
        {"target read by someone who shares reading and writing", "target.bin", read, kFileShareRead | kFileShareWrite,
         0},
        {"target read by someone who shares reading only", "target.bin", read, kFileShareRead, kErrorSharingViolation},
        {"target written by someone who shares reading only", "target.bin", readWrite, kFileShareRead,
         kErrorSharingViolation},
        {"target read by someone who shares nothing", "target.bin", read, 0, kErrorSharingViolation},
    };
    const Bytes old = {'o', 'l', 'd'};
    for (const CopyHolderCase& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(MakeFile("source.bin", kSix));
        ASSERT_TRUE(MakeFile("target.bin", old));
        {
            auto holder = Open(c.held, c.holderAccess, c.holderShare);
            ASSERT_TRUE(holder->IsOpen());
            const bool copied = os().CopyFile(Path("source.bin").c_str(), Path("target.bin").c_str(), false);
            EXPECT_EQ(c.error == 0, copied);
            if (!copied) {
                EXPECT_EQ(c.error, os().LastError());
            }
        }
        EXPECT_EQ(c.error == 0 ? kSix : old, Content("target.bin"));
    }
}

// Refused for good, whoever holds it: the attribute, not the holder, stops it.
TEST_F(HeldFilesContract, AReadOnlyTargetRefusesTheCopyWithAccessDeniedBesideAHolderToo) {
    ASSERT_TRUE(MakeFile("source.bin", kSix));
    ASSERT_TRUE(MakeReadOnlyFile("target.bin", {'o'}));
    auto holder = Open("target.bin", kGenericRead, kShareAll);
    ASSERT_TRUE(holder->IsOpen());
    EXPECT_FALSE(os().CopyFile(Path("source.bin").c_str(), Path("target.bin").c_str(), false));
    EXPECT_EQ(kErrorAccessDenied, os().LastError());
}

TEST_F(HeldFilesContract, ASourceThatSomeoneWritesIsNotCopied) {
    if (env().UnderWine()) {
        GTEST_SKIP() << "Wine's CopyFile shares writing on its source; Windows (and the double) refuse with 32";
    }
    ASSERT_TRUE(MakeFile("source.bin", kSix));
    auto writer = Open("source.bin", kGenericRead | kGenericWrite, kShareAll);
    ASSERT_TRUE(writer->IsOpen());
    EXPECT_FALSE(os().CopyFile(Path("source.bin").c_str(), Path("copy.bin").c_str(), false));
    EXPECT_EQ(kErrorSharingViolation, os().LastError());
    EXPECT_FALSE(os().PathFileExists(Path("copy.bin").c_str()));
}

// A program that maps a file into memory (an indexer, a sync client) keeps
// it from being cut short until it lets go: whatever would truncate it
// fails with ERROR_USER_MAPPED_FILE, which the installer waits out as a
// brief hold; replacing it by a move fails with access denied. Reading and
// copying from it work. (Opens sharing less than everything are left out:
// Wine counts the mapping as an open handle there, Windows does not.)
TEST_F(HeldFilesContract, AFileMappedIntoMemoryIsNotTruncatedOrReplacedUntilItIsLetGo) {
    ASSERT_TRUE(MakeFile("mapped.bin", kSix));
    ASSERT_TRUE(MakeFile("new.tmp", {'n', 'e', 'w'}));
    const std::string mapped = Path("mapped.bin");
    const auto truncates = [&](std::uint32_t disposition) {
        ScopedFile file(os(),
                        os().CreateFile(mapped.c_str(), kGenericWrite, kShareAll, disposition, kFileAttributeNormal));
        return file.IsOpen();
    };
    {
        std::unique_ptr<Mapping> mapping = env().MapIntoMemory(mapped);
        ASSERT_NE(mapping, nullptr);
        EXPECT_FALSE(truncates(kCreateAlways));
        EXPECT_EQ(os().LastError(), kErrorUserMappedFile);
        EXPECT_FALSE(truncates(kTruncateExisting));
        EXPECT_EQ(os().LastError(), kErrorUserMappedFile);
        EXPECT_FALSE(os().CopyFile(Path("new.tmp").c_str(), mapped.c_str(), false));
        EXPECT_EQ(os().LastError(), kErrorUserMappedFile);
        EXPECT_FALSE(os().MoveFileEx(Path("new.tmp").c_str(), mapped.c_str(), kMoveFileReplaceExisting));
        EXPECT_EQ(os().LastError(), kErrorAccessDenied);
        EXPECT_TRUE(os().CopyFile(mapped.c_str(), Path("copy.bin").c_str(), false)) << "error " << os().LastError();
    }
    EXPECT_EQ(Content("copy.bin"), kSix);
    EXPECT_EQ(Content("mapped.bin"), kSix);
    EXPECT_TRUE(truncates(kCreateAlways)) << "once let go: error " << os().LastError();
}

}  // namespace
}  // namespace contract
