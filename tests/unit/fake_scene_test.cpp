// Rules of the double that the contract tests cannot reach on the real
// system: relative paths, double-byte names, other programs' windows,
// mutexes and brief holds on files, and resources.
#include "platform/fake/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

using namespace platform::win;
using platform::fake::FakePlatform;

TEST(FakeScene, RelativePathsResolveAgainstAWorkingFolderThatMustExist) {
    FakePlatform fake;
    EXPECT_FALSE(fake.CreateDirectory("sub"));
    EXPECT_EQ(kErrorPathNotFound, fake.LastError());
    fake.AddFolder("C:\\work");
    EXPECT_TRUE(fake.CreateDirectory("sub"));
    EXPECT_TRUE(fake.IsFolder("C:\\WORK\\SUB"));
    EXPECT_TRUE(fake.PathFileExists("C:/work/./other/../sub/")) << "forward slashes, dots, trailing slash";
}

TEST(FakeScene, DoubleByteNamesKeepTheirTrailBytes) {
    FakePlatform fake;
    // 0xB3 0x5C is one character in code page 950; its second byte is not a separator.
    const std::string name =
        "C:\\\xB3\x5C"
        "a";
    fake.AddFile(name, {1});
    EXPECT_TRUE(fake.PathFileExists(name.c_str()));
    EXPECT_EQ(
        std::vector<std::string>({"C:\\", "C:\\Users", "C:\\Users\\Player", "C:\\Users\\Player\\Documents", name}),
        fake.ListAll())
        << "one file, no folder made of its first byte";
    // Case folding must not touch a trail byte that looks like a letter (0x61 'a').
    fake.AddFile("C:\\\xA4\x61", {2});
    EXPECT_FALSE(fake.PathFileExists("C:\\\xA4\x41"));
    EXPECT_TRUE(fake.PathFileExists("c:\\\xA4\x61"));
}

TEST(FakeScene, OtherProgramsWindowsAreFoundRestoredAndBroughtForward) {
    FakePlatform fake;
    const platform::Window game = fake.AddWindow("Game_Window", true);
    const platform::Window popup = fake.AddWindow("#32770");
    fake.SetLastActivePopupOf(game, popup);
    EXPECT_EQ(game, fake.FindWindow("GAME_window"));
    EXPECT_EQ(0u, fake.FindWindow("Game"));
    EXPECT_TRUE(fake.IsIconic(game));
    fake.ShowWindow(game, kSwRestore);
    EXPECT_FALSE(fake.IsIconic(game));
    EXPECT_EQ(popup, fake.GetLastActivePopup(game));
    EXPECT_EQ(popup, fake.GetLastActivePopup(popup));
    EXPECT_TRUE(fake.SetForegroundWindow(popup));
    EXPECT_EQ(popup, fake.ForegroundWindow());
}

TEST(FakeScene, MutexNamesHeldElsewhereOrHereAreTakenUntilClosed) {
    FakePlatform fake;
    fake.HoldMutexElsewhere("Taken");
    const platform::MutexHandle taken = fake.CreateMutex("Taken");
    EXPECT_NE(0u, taken);
    EXPECT_EQ(kErrorAlreadyExists, fake.LastError());
    fake.CloseMutex(taken);
    EXPECT_TRUE(fake.MutexExists("Taken")) << "the other process still holds it";

    const platform::MutexHandle mine = fake.CreateMutex("Mine");
    EXPECT_EQ(0u, fake.LastError());
    fake.CreateMutex("MINE");
    EXPECT_EQ(0u, fake.LastError()) << "object names are case-sensitive";
    fake.CloseMutex(mine);
    EXPECT_FALSE(fake.MutexExists("Mine"));
    EXPECT_FALSE(fake.CloseMutex(mine));
    EXPECT_EQ(kErrorInvalidHandle, fake.LastError());
}

TEST(FakeScene, AMutexHeldWithHigherRightsCanNeitherBeOpenedNorCreated) {
    FakePlatform fake;
    fake.HoldMutexWithHigherRights("Elevated");
    EXPECT_EQ(0u, fake.CreateMutex("Elevated"));
    EXPECT_EQ(kErrorAccessDenied, fake.LastError());
    EXPECT_TRUE(fake.MutexExists("Elevated"));
    EXPECT_NE(0u, fake.CreateMutex("Other"));
    EXPECT_EQ(0u, fake.LastError());
}

constexpr std::uint32_t kShareAll = kFileShareRead | kFileShareWrite | kFileShareDelete;

platform::FileHandle OpenExclusively(FakePlatform& fake, const char* path) {
    return fake.CreateFile(path, kGenericRead | kGenericWrite, 0, kOpenExisting, kFileAttributeNormal);
}

TEST(FakeScene, ABriefHolderLetsGoAfterTheProgramsCallsOnItsFile) {
    FakePlatform fake;
    fake.AddFile("C:\\held.bin", {1});
    fake.AddFile("C:\\other.bin", {2});
    ASSERT_NE(platform::kInvalidFile, fake.HoldOpenForAttempts("C:\\held.bin", kGenericRead, kShareAll, 2));

    EXPECT_EQ(platform::kInvalidFile, OpenExclusively(fake, "C:\\held.bin"));
    EXPECT_EQ(kErrorSharingViolation, fake.LastError());
    const platform::FileHandle other = OpenExclusively(fake, "C:\\other.bin");
    EXPECT_NE(platform::kInvalidFile, other) << "calls on other files do not count";
    fake.CloseFile(other);
    EXPECT_FALSE(fake.MoveFileEx("C:\\new.bin", "C:\\held.bin", kMoveFileReplaceExisting)) << "a missing source";
    const platform::FileHandle third = OpenExclusively(fake, "C:\\held.bin");
    EXPECT_NE(platform::kInvalidFile, third) << "the move counted as the second attempt";
    fake.CloseFile(third);
}

TEST(FakeScene, AWatcherLooksAtEachFileCopiedOrWrittenAndClosed) {
    FakePlatform fake;
    fake.AddFile("C:\\source.bin", {1, 2});
    fake.WatchNewFiles(kGenericRead, kShareAll, 1);

    ASSERT_TRUE(fake.CopyFile("C:\\source.bin", "C:\\copy.bin", false));
    EXPECT_EQ(platform::kInvalidFile, OpenExclusively(fake, "C:\\copy.bin"));
    const platform::FileHandle copy = OpenExclusively(fake, "C:\\copy.bin");
    ASSERT_NE(platform::kInvalidFile, copy);
    fake.CloseFile(copy);
    const platform::FileHandle again = OpenExclusively(fake, "C:\\copy.bin");
    EXPECT_NE(platform::kInvalidFile, again) << "closing without a change draws no look";
    const std::uint8_t byte = 7;
    std::uint32_t written = 0;
    ASSERT_TRUE(fake.WriteFile(again, &byte, 1, &written));
    fake.CloseFile(again);
    EXPECT_EQ(platform::kInvalidFile, OpenExclusively(fake, "C:\\copy.bin")) << "a written file draws a look";

    const platform::FileHandle made =
        fake.CreateFile("C:\\made.bin", kGenericWrite, 0, kCreateNew, kFileAttributeNormal);
    ASSERT_NE(platform::kInvalidFile, made);
    EXPECT_EQ(platform::kInvalidFile, fake.CreateFile("C:\\made.bin", kGenericRead, kShareAll, kOpenExisting, 0))
        << "no look while the program holds the file without sharing";
    fake.CloseFile(made);
    EXPECT_TRUE(fake.MoveFileEx("C:\\made.bin", "C:\\renamed.bin", 0))
        << "the watcher shares deletion, so the rename passes";
    EXPECT_TRUE(fake.DeleteFile("C:\\renamed.bin")) << "the look lasted for one attempt, the rename";
}

TEST(FakeScene, ResourcesAreFoundByIdAndTypeWithStableBytes) {
    FakePlatform fake;
    fake.AddResource(101, "BINARY", {1, 2, 3});
    const platform::ResourceHandle found = fake.FindResource(101, "binary");
    ASSERT_NE(0u, found);
    const void* bytes = fake.LoadResource(found);
    fake.AddResource(102, "BINARY", std::vector<std::uint8_t>(1000, 9));
    EXPECT_EQ(bytes, fake.LoadResource(found)) << "adding more resources moves nothing";
    EXPECT_EQ(3u, fake.SizeofResource(found));
    EXPECT_EQ(2, static_cast<const std::uint8_t*>(bytes)[1]);

    EXPECT_EQ(0u, fake.FindResource(103, "BINARY"));
    EXPECT_EQ(1814u, fake.LastError()) << "ERROR_RESOURCE_NAME_NOT_FOUND";
    EXPECT_EQ(0u, fake.FindResource(101, "TEXT"));
    EXPECT_EQ(1813u, fake.LastError()) << "ERROR_RESOURCE_TYPE_NOT_FOUND";
}

TEST(FakeScene, RegistryAccessBeyondWhatIsAllowedIsDenied) {
    FakePlatform fake;
    fake.SetRegistryString("software\\Maker", "Value", "x");
    fake.RestrictKeyAccess("Software\\MAKER", kKeyRead);
    platform::RegKey software = 0;
    ASSERT_EQ(0, fake.RegOpenKeyEx(platform::kHkeyCurrentUser, "SOFTWARE", 0, kKeyAllAccess, &software));
    platform::RegKey maker = 0;
    EXPECT_EQ(static_cast<long>(kErrorAccessDenied), fake.RegOpenKeyEx(software, "maker", 0, kKeyAllAccess, &maker));
    EXPECT_EQ(0, fake.RegOpenKeyEx(software, "maker", 0, kKeyRead, &maker));
    fake.RegCloseKey(maker);
    fake.RegCloseKey(software);
}

}  // namespace
