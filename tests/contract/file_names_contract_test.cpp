// Files and folders by name: attributes, the read-only rules, folders,
// copying, the replacing move and deletion.
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using namespace platform::win;

using FileNamesContract = PlatformContract;

const Bytes kOld = {'o', 'l', 'd'};
const Bytes kNew = {'n', 'e', 'w', '!', '\n'};

TEST_F(FileNamesContract, AttributesTellFilesFoldersAndAbsentPathsApart) {
    ASSERT_TRUE(MakeFile("Data.BIN", kOld));
    ASSERT_TRUE(os().CreateDirectory(Path("Folder").c_str()));

    EXPECT_TRUE(os().PathFileExists(Path("data.bin").c_str())) << "names are case-insensitive";
    EXPECT_TRUE(os().PathFileExists(Path("FOLDER").c_str()));
    EXPECT_TRUE(os().PathFileExists(Path("Folder\\").c_str())) << "a folder may end with a backslash";
    EXPECT_EQ(0u, os().GetFileAttributes(Path("DATA.bin").c_str()) & kFileAttributeDirectory);
    EXPECT_NE(0u, os().GetFileAttributes(Path("folder\\").c_str()) & kFileAttributeDirectory);

    EXPECT_FALSE(os().PathFileExists(Path("absent.bin").c_str()));
    EXPECT_EQ(kInvalidFileAttributes, os().GetFileAttributes(Path("absent.bin").c_str()));
    EXPECT_EQ(kErrorFileNotFound, os().LastError());
    EXPECT_EQ(kInvalidFileAttributes, os().GetFileAttributes(Path("absent\\data.bin").c_str()));
    EXPECT_EQ(kErrorPathNotFound, os().LastError()) << "a missing folder on the way";
}

TEST_F(FileNamesContract, SetFileAttributesSwitchesReadOnlyOnAndOff) {
    ASSERT_TRUE(MakeFile("file.bin", kOld));
    ASSERT_TRUE(os().SetFileAttributes(Path("file.bin").c_str(), kFileAttributeReadOnly));
    EXPECT_TRUE(IsReadOnly("file.bin"));
    ASSERT_TRUE(os().SetFileAttributes(Path("file.bin").c_str(), kFileAttributeArchive));
    EXPECT_FALSE(IsReadOnly("file.bin"));
    ASSERT_TRUE(os().SetFileAttributes(Path("file.bin").c_str(), kFileAttributeReadOnly));
    ASSERT_TRUE(os().SetFileAttributes(Path("file.bin").c_str(), kFileAttributeNormal));
    EXPECT_FALSE(IsReadOnly("file.bin"));

    EXPECT_FALSE(os().SetFileAttributes(Path("absent.bin").c_str(), kFileAttributeArchive));
    EXPECT_EQ(kErrorFileNotFound, os().LastError());
}

TEST_F(FileNamesContract, CreateDirectoryNeedsItsParentAndANewName) {
    EXPECT_FALSE(os().CreateDirectory(Path("a\\b").c_str()));
    EXPECT_EQ(kErrorPathNotFound, os().LastError());
    EXPECT_FALSE(os().PathFileExists(Path("a").c_str())) << "no parent is made on the way";

    ASSERT_TRUE(os().CreateDirectory(Path("a").c_str()));
    EXPECT_TRUE(os().CreateDirectory(Path("a\\b\\").c_str())) << "a trailing backslash is accepted";
    EXPECT_NE(0u, os().GetFileAttributes(Path("a\\b").c_str()) & kFileAttributeDirectory);

    EXPECT_FALSE(os().CreateDirectory(Path("A").c_str()));
    EXPECT_EQ(kErrorAlreadyExists, os().LastError());
    ASSERT_TRUE(MakeFile("file", kOld));
    EXPECT_FALSE(os().CreateDirectory(Path("file").c_str()));
    EXPECT_EQ(kErrorAlreadyExists, os().LastError()) << "a file of that name counts too";
}

TEST_F(FileNamesContract, PathsOf260BytesOrMoreAreRefused) {
    if (env().UnderWine()) {
        GTEST_SKIP() << "Wine's ANSI functions accept paths of any length; Windows (and the double) refuse them";
    }
    std::string longName = Path("");
    longName += std::string(260 - longName.size(), 'x');
    ASSERT_EQ(260u, longName.size());
    std::string longest = Path("");
    longest += std::string(259 - longest.size(), 'y');

    EXPECT_EQ(kInvalidFileAttributes, os().GetFileAttributes(longName.c_str()));
    const std::uint32_t error = os().LastError();
    EXPECT_TRUE(error == kErrorFilenameTooLong || error == kErrorPathNotFound) << "error " << error;
    EXPECT_FALSE(os().CreateDirectory(longName.c_str()));
    EXPECT_EQ(platform::kInvalidFile,
              os().CreateFile(longName.c_str(), kGenericWrite, 0, kCreateAlways, kFileAttributeNormal));
    ScopedFile file(os(), os().CreateFile(longest.c_str(), kGenericWrite, 0, kCreateNew, kFileAttributeNormal));
    EXPECT_TRUE(file.IsOpen()) << "259 bytes is still a path; error " << os().LastError();
}

TEST_F(FileNamesContract, CopyFileCopiesBytesAndTheReadOnlyAttribute) {
    ASSERT_TRUE(MakeReadOnlyFile("source.bin", kNew));
    ASSERT_TRUE(os().CopyFile(Path("source.bin").c_str(), Path("copy.bin").c_str(), true));
    EXPECT_EQ(kNew, Content("copy.bin"));
    EXPECT_TRUE(IsReadOnly("copy.bin")) << "a read-only source gives a read-only copy";

    ASSERT_TRUE(MakeFile("target.bin", kOld));
    ASSERT_TRUE(os().CopyFile(Path("source.bin").c_str(), Path("target.bin").c_str(), false));
    EXPECT_EQ(kNew, Content("target.bin")) << "replacing is allowed";
}

TEST_F(FileNamesContract, CopyFileKeepsTheSourcesLastWriteTime) {
    ASSERT_TRUE(MakeFile("source.bin", kNew));
    ASSERT_TRUE(os().CopyFile(Path("source.bin").c_str(), Path("copy.bin").c_str(), true));
    platform::FileTime source;
    platform::FileTime copy;
    {
        auto from = Open("source.bin", kGenericRead, kFileShareRead);
        auto to = Open("copy.bin", kGenericRead, kFileShareRead);
        ASSERT_TRUE(from->IsOpen() && to->IsOpen());
        ASSERT_TRUE(os().GetFileTime(from->Get(), &source));
        ASSERT_TRUE(os().GetFileTime(to->Get(), &copy));
    }
    EXPECT_NE(0u, source.ticks);
    EXPECT_EQ(source.ticks, copy.ticks);
}

TEST_F(FileNamesContract, CopyFileRefusals) {
    ASSERT_TRUE(MakeFile("source.bin", kNew));
    ASSERT_TRUE(MakeFile("existing.bin", kOld));
    ASSERT_TRUE(MakeReadOnlyFile("readonly.bin", kOld));
    ASSERT_TRUE(os().CreateDirectory(Path("folder").c_str()));
    struct Case {
        const char* what;
        const char* source;
        const char* target;
        bool failIfExists;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"missing source", "absent.bin", "new.bin", false, kErrorFileNotFound},
        {"existing target, fail if exists", "source.bin", "existing.bin", true, kErrorFileExists},
        {"read-only target", "source.bin", "readonly.bin", false, kErrorAccessDenied},
        {"target folder missing", "source.bin", "absent\\new.bin", false, kErrorPathNotFound},
        {"target is a folder", "source.bin", "folder", false, kErrorAccessDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(os().CopyFile(Path(c.source).c_str(), Path(c.target).c_str(), c.failIfExists));
        EXPECT_EQ(c.error, os().LastError());
    }
    EXPECT_EQ(kOld, Content("existing.bin"));
    EXPECT_EQ(kOld, Content("readonly.bin"));
    EXPECT_FALSE(os().PathFileExists(Path("new.bin").c_str()));
}

TEST_F(FileNamesContract, CopyFileFromAFileHeldWithoutSharingReadsIsASharingViolation) {
    ASSERT_TRUE(MakeFile("source.bin", kNew));
    auto holder = Open("source.bin", kGenericRead | kGenericWrite, 0);
    ASSERT_TRUE(holder->IsOpen());
    EXPECT_FALSE(os().CopyFile(Path("source.bin").c_str(), Path("copy.bin").c_str(), false));
    EXPECT_EQ(kErrorSharingViolation, os().LastError());
}

TEST_F(FileNamesContract, MoveFileExReplacesOnlyWhenAskedAndKeepsAttributes) {
    ASSERT_TRUE(MakeReadOnlyFile("temp.$$$", kNew));
    ASSERT_TRUE(MakeFile("final.bin", kOld));

    EXPECT_FALSE(os().MoveFileEx(Path("temp.$$$").c_str(), Path("final.bin").c_str(), 0));
    EXPECT_EQ(kErrorAlreadyExists, os().LastError());
    EXPECT_EQ(kOld, Content("final.bin"));

    ASSERT_TRUE(os().MoveFileEx(Path("temp.$$$").c_str(), Path("FINAL.bin").c_str(), kMoveFileReplaceExisting));
    EXPECT_EQ(kNew, Content("final.bin"));
    EXPECT_TRUE(IsReadOnly("final.bin")) << "the moved file keeps its attributes";
    EXPECT_FALSE(os().PathFileExists(Path("temp.$$$").c_str()));

    EXPECT_FALSE(os().MoveFileEx(Path("temp.$$$").c_str(), Path("final.bin").c_str(), kMoveFileReplaceExisting));
    EXPECT_EQ(kErrorFileNotFound, os().LastError());
}

TEST_F(FileNamesContract, MoveFileExCannotReplaceAFileThatIsOpen) {
    ASSERT_TRUE(MakeFile("temp.$$$", kNew));
    ASSERT_TRUE(MakeFile("final.bin", kOld));
    for (const std::uint32_t share : {0u, kFileShareRead | kFileShareWrite | kFileShareDelete}) {
        SCOPED_TRACE(share);
        auto holder = Open("final.bin", kGenericRead, share);
        ASSERT_TRUE(holder->IsOpen());
        EXPECT_FALSE(os().MoveFileEx(Path("temp.$$$").c_str(), Path("final.bin").c_str(), kMoveFileReplaceExisting));
        EXPECT_EQ(kErrorAccessDenied, os().LastError());
    }
    EXPECT_EQ(kOld, Content("final.bin"));
    EXPECT_EQ(kNew, Content("temp.$$$"));
}

TEST_F(FileNamesContract, MoveFileExOfAnOpenFileIsASharingViolation) {
    ASSERT_TRUE(MakeFile("temp.$$$", kNew));
    auto holder = Open("temp.$$$", kGenericRead | kGenericWrite, 0);
    ASSERT_TRUE(holder->IsOpen());
    EXPECT_FALSE(os().MoveFileEx(Path("temp.$$$").c_str(), Path("final.bin").c_str(), kMoveFileReplaceExisting));
    EXPECT_EQ(kErrorSharingViolation, os().LastError());
    EXPECT_FALSE(os().PathFileExists(Path("final.bin").c_str()));
}

TEST_F(FileNamesContract, MoveFileExRefusesAReadOnlyTarget) {
    if (env().UnderWine()) {
        GTEST_SKIP() << "Wine replaces a read-only target; Windows (and the double) refuse with 5";
    }
    ASSERT_TRUE(MakeFile("temp.$$$", kNew));
    ASSERT_TRUE(MakeReadOnlyFile("final.bin", kOld));
    EXPECT_FALSE(os().MoveFileEx(Path("temp.$$$").c_str(), Path("final.bin").c_str(), kMoveFileReplaceExisting));
    EXPECT_EQ(kErrorAccessDenied, os().LastError());
    EXPECT_EQ(kOld, Content("final.bin"));
}

TEST_F(FileNamesContract, DeleteFileRefusals) {
    ASSERT_TRUE(MakeReadOnlyFile("readonly.bin", kOld));
    ASSERT_TRUE(MakeFile("open.bin", kOld));
    ASSERT_TRUE(os().CreateDirectory(Path("folder").c_str()));
    auto holder = Open("open.bin", kGenericRead, 0);
    ASSERT_TRUE(holder->IsOpen());
    struct Case {
        const char* path;
        std::uint32_t error;
    };
    const Case cases[] = {
        {"absent.bin", kErrorFileNotFound},
        {"readonly.bin", kErrorAccessDenied},
        {"open.bin", kErrorSharingViolation},
        {"folder", kErrorAccessDenied},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_FALSE(os().DeleteFile(Path(c.path).c_str()));
        EXPECT_EQ(c.error, os().LastError());
    }
    EXPECT_TRUE(os().PathFileExists(Path("readonly.bin").c_str()));
    EXPECT_TRUE(os().PathFileExists(Path("open.bin").c_str()));

    holder->Close();
    EXPECT_TRUE(os().DeleteFile(Path("open.bin").c_str()));
    EXPECT_FALSE(os().PathFileExists(Path("open.bin").c_str()));
}

}  // namespace
}  // namespace contract
