// Open files: dispositions, the read-only rule, share modes, reading,
// writing, seeking and closing.
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using namespace platform::win;
using platform::kInvalidFile;

using OpenFilesContract = PlatformContract;

const Bytes kTen = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};

TEST_F(OpenFilesContract, DispositionsOnMissingAndExistingFiles) {
    ASSERT_TRUE(MakeFile("existing.bin", kTen));
    ASSERT_TRUE(os().CreateDirectory(Path("folder").c_str()));
    struct Case {
        const char* what;
        const char* path;
        std::uint32_t disposition;
        std::uint32_t error;
    };
    const Case refusals[] = {
        {"open a missing file", "absent.bin", kOpenExisting, kErrorFileNotFound},
        {"in a missing folder", "absent\\new.bin", kCreateAlways, kErrorPathNotFound},
        {"create new over a file", "existing.bin", kCreateNew, kErrorFileExists},
        {"open a folder", "folder", kOpenExisting, kErrorAccessDenied},
    };
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(kInvalidFile, os().CreateFile(Path(c.path).c_str(), kGenericRead | kGenericWrite, 0, c.disposition,
                                                kFileAttributeNormal));
        EXPECT_EQ(c.error, os().LastError());
    }
    EXPECT_EQ(kTen, Content("existing.bin"));
}

TEST_F(OpenFilesContract, CreateAlwaysTruncatesAndReportsThatTheFileExisted) {
    ASSERT_TRUE(MakeFile("existing.bin", kTen));
    {
        ScopedFile file(
            os(), os().CreateFile(Path("existing.bin").c_str(), kGenericWrite, 0, kCreateAlways, kFileAttributeNormal));
        ASSERT_TRUE(file.IsOpen());
        EXPECT_EQ(kErrorAlreadyExists, os().LastError());
        std::uint64_t size = 99;
        ASSERT_TRUE(os().GetFileSizeEx(file.Get(), &size));
        EXPECT_EQ(0u, size);
    }
    ScopedFile created(os(),
                       os().CreateFile(Path("new.bin").c_str(), kGenericWrite, 0, kOpenAlways, kFileAttributeNormal));
    ASSERT_TRUE(created.IsOpen());
    EXPECT_EQ(0u, os().LastError());
}

TEST_F(OpenFilesContract, AReadOnlyFileOpensForReadingOnly) {
    ASSERT_TRUE(MakeReadOnlyFile("readonly.bin", kTen));
    EXPECT_TRUE(Open("readonly.bin", kGenericRead, kFileShareRead)->IsOpen());
    EXPECT_FALSE(Open("readonly.bin", kGenericRead | kGenericWrite, 0)->IsOpen());
    EXPECT_EQ(kErrorAccessDenied, os().LastError());
    EXPECT_EQ(kInvalidFile,
              os().CreateFile(Path("readonly.bin").c_str(), kGenericWrite, 0, kCreateAlways, kFileAttributeNormal));
    EXPECT_EQ(kErrorAccessDenied, os().LastError());
    EXPECT_EQ(kTen, Content("readonly.bin"));
}

TEST_F(OpenFilesContract, ShareModesOfEveryOpenAreCheckedBothWays) {
    ASSERT_TRUE(MakeFile("shared.bin", kTen));
    const std::uint32_t read = kGenericRead;
    const std::uint32_t readWrite = kGenericRead | kGenericWrite;
    const std::uint32_t shareRead = kFileShareRead;
    const std::uint32_t shareBoth = kFileShareRead | kFileShareWrite;
    struct Case {
        const char* what;
        std::uint32_t firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    };
    const Case cases[] = {
        {"first shares nothing", read, 0, read, shareBoth, false},
        {"both read, both share reading", read, shareRead, read, shareRead, true},
        {"second writes, first shares reading only", read, shareRead, readWrite, shareBoth, false},
        {"first writes, second shares reading only", readWrite, shareBoth, read, shareRead, false},
        {"first writes, both share both", readWrite, shareBoth, readWrite, shareBoth, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto first = Open("shared.bin", c.firstAccess, c.firstShare);
        ASSERT_TRUE(first->IsOpen());
        auto second = Open("shared.bin", c.secondAccess, c.secondShare);
        EXPECT_EQ(c.secondOpens, second->IsOpen());
        if (!c.secondOpens) {
            EXPECT_EQ(kErrorSharingViolation, os().LastError());
        }
    }
    auto again = Open("shared.bin", readWrite, 0);
    EXPECT_TRUE(again->IsOpen()) << "closed handles hold nothing";
}

TEST_F(OpenFilesContract, ReadingStopsAtTheEndWithZeroBytes) {
    ASSERT_TRUE(MakeFile("ten.bin", kTen));
    auto file = Open("ten.bin", kGenericRead, 0);
    ASSERT_TRUE(file->IsOpen());
    std::uint8_t buffer[16] = {};
    std::uint32_t read = 0;
    ASSERT_TRUE(os().ReadFile(file->Get(), buffer, 4, &read));
    EXPECT_EQ(4u, read);
    ASSERT_TRUE(os().ReadFile(file->Get(), buffer, sizeof buffer, &read));
    EXPECT_EQ(6u, read) << "fewer at the end";
    EXPECT_EQ(Bytes(kTen.begin() + 4, kTen.end()), Bytes(buffer, buffer + 6));
    read = 99;
    EXPECT_TRUE(os().ReadFile(file->Get(), buffer, sizeof buffer, &read));
    EXPECT_EQ(0u, read);
}

TEST_F(OpenFilesContract, AHandleReadsOrWritesOnlyAsItsAccessAllows) {
    ASSERT_TRUE(MakeFile("ten.bin", kTen));
    std::uint8_t buffer[4] = {};
    std::uint32_t count = 0;
    {
        auto writer = Open("ten.bin", kGenericWrite, 0);
        ASSERT_TRUE(writer->IsOpen());
        EXPECT_FALSE(os().ReadFile(writer->Get(), buffer, sizeof buffer, &count));
        EXPECT_EQ(kErrorAccessDenied, os().LastError());
    }
    auto reader = Open("ten.bin", kGenericRead, 0);
    ASSERT_TRUE(reader->IsOpen());
    EXPECT_FALSE(os().WriteFile(reader->Get(), buffer, sizeof buffer, &count));
    EXPECT_EQ(kErrorAccessDenied, os().LastError());
    EXPECT_EQ(0u, count);
}

TEST_F(OpenFilesContract, SeekingFromEachOriginAndWritingPastTheEnd) {
    ASSERT_TRUE(MakeFile("ten.bin", kTen));
    auto file = Open("ten.bin", kGenericRead | kGenericWrite, 0);
    ASSERT_TRUE(file->IsOpen());
    std::uint64_t position = 0;
    ASSERT_TRUE(os().SetFilePointerEx(file->Get(), -3, kFileEnd, &position));
    EXPECT_EQ(7u, position);
    ASSERT_TRUE(os().SetFilePointerEx(file->Get(), 1, kFileCurrent, &position));
    EXPECT_EQ(8u, position);
    ASSERT_TRUE(os().SetFilePointerEx(file->Get(), 2, kFileBegin, &position));
    EXPECT_EQ(2u, position);

    EXPECT_FALSE(os().SetFilePointerEx(file->Get(), -3, kFileCurrent, &position));
    EXPECT_EQ(131u, os().LastError()) << "ERROR_NEGATIVE_SEEK";
    std::uint8_t byte = 0;
    std::uint32_t count = 0;
    ASSERT_TRUE(os().ReadFile(file->Get(), &byte, 1, &count));
    EXPECT_EQ('2', byte) << "a refused seek leaves the position";

    ASSERT_TRUE(os().SetFilePointerEx(file->Get(), 12, kFileBegin, &position));
    const std::uint8_t tail = 'T';
    ASSERT_TRUE(os().WriteFile(file->Get(), &tail, 1, &count));
    EXPECT_EQ(1u, count);
    std::uint64_t size = 0;
    ASSERT_TRUE(os().GetFileSizeEx(file->Get(), &size));
    EXPECT_EQ(13u, size);
    ASSERT_TRUE(os().FlushFileBuffers(file->Get()));
    file->Close();

    Bytes expected = kTen;
    expected.insert(expected.end(), {0, 0, 'T'});
    EXPECT_EQ(expected, Content("ten.bin")) << "the gap reads as zeros";
}

TEST_F(OpenFilesContract, ClosingTwiceIsAnInvalidHandle) {
    ASSERT_TRUE(MakeFile("ten.bin", kTen));
    auto file = Open("ten.bin", kGenericRead, 0);
    ASSERT_TRUE(file->IsOpen());
    const platform::FileHandle handle = file->Get();
    EXPECT_TRUE(file->Close());
    EXPECT_FALSE(os().CloseFile(handle));
    EXPECT_EQ(kErrorInvalidHandle, os().LastError());
}

}  // namespace
}  // namespace contract
