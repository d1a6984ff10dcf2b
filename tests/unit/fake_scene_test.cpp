// Rules of the double that the contract tests cannot reach on the real
// system: relative paths, double-byte names, other programs' windows and
// mutexes, and resources.
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
    const std::string name = "C:\\\xB3\x5C" "a";
    fake.AddFile(name, {1});
    EXPECT_TRUE(fake.PathFileExists(name.c_str()));
    EXPECT_EQ(std::vector<std::string>({"C:\\", "C:\\Users", "C:\\Users\\Player", "C:\\Users\\Player\\Documents",
                                        "C:\\\xB3\x5C" "a"}),
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
