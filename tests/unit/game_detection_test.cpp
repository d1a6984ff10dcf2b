#include "install/GameDetection.h"

#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

using platform::fake::FakePlatform;
using platform::fake::Fault;
using platform::fake::Op;
using platform::fake::ScopedFakeOs;
using test_scene::DefaultInstallDir;
using test_scene::GameSetup;
using test_scene::InstallGame;
using test_scene::ProductKeyPath;

std::string InstallKey(Edition edition) { return ProductKeyPath(edition) + "\\Install"; }
std::string PatchKey(Edition edition) { return ProductKeyPath(edition) + "\\PL"; }

TEST(FindGameStep, PostsGameNotInstalledWhenNothingIsRegistered) {
    ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog(*os);
    EXPECT_EQ(FindGameStep(), 0);
    EXPECT_EQ(dialog.Posts(), std::vector<test_scene::Post>{test_scene::Error(101)});
}

TEST(FindGameStep, SucceedsSilentlyForEitherEdition) {
    for (Edition edition : {Edition::Base, Edition::Expansion}) {
        ScopedFakeOs os;
        test_scene::ScopedProgressDialog dialog(*os);
        InstallGame(*os, edition);
        EXPECT_EQ(FindGameStep(), 1);
        EXPECT_TRUE(dialog.Posts().empty());
    }
}

// ---- Where the game is and which edition it is ------------------------------

struct LocationCase {
    const char* name;
    std::function<void(FakePlatform&)> scene;
    Edition edition;
    std::string installDir;
};
void PrintTo(const LocationCase& c, std::ostream* out) { *out << c.name; }

class LocationTest : public ::testing::TestWithParam<LocationCase> {};

TEST_P(LocationTest, FindsTheEditionAndItsDirectory) {
    const LocationCase& c = GetParam();
    ScopedFakeOs os;
    c.scene(*os);

    std::string dir = "stale";
    EXPECT_EQ(GetInstallDir(dir), !c.installDir.empty());
    EXPECT_EQ(dir, c.installDir);
    EXPECT_EQ(DetectEdition(), c.edition);
}

const std::string k259Bytes = "D:\\" + std::string(255, 'g') + "\\";
const std::string k260Bytes = "D:\\" + std::string(256, 'g') + "\\";

void InstallBase(FakePlatform& fake) { InstallGame(fake, Edition::Base); }
void InstallExpansion(FakePlatform& fake) { InstallGame(fake, Edition::Expansion); }

INSTANTIATE_TEST_SUITE_P(
    GameDetection, LocationTest,
    ::testing::Values(
        LocationCase{"NothingRegistered", [](FakePlatform&) {}, Edition::None, ""},
        LocationCase{"OnlyBase", InstallBase, Edition::Base, DefaultInstallDir(Edition::Base)},
        LocationCase{"OnlyExpansion", InstallExpansion, Edition::Expansion, DefaultInstallDir(Edition::Expansion)},
        LocationCase{"BothBaseWins",
                     [](FakePlatform& f) {
                         InstallBase(f);
                         InstallExpansion(f);
                     },
                     Edition::Base, DefaultInstallDir(Edition::Base)},
        LocationCase{"KeyWithoutValue", [](FakePlatform& f) { f.CreateRegistryKey(InstallKey(Edition::Base)); },
                     Edition::None, ""},
        LocationCase{"EmptyValue",
                     [](FakePlatform& f) { f.SetRegistryString(InstallKey(Edition::Base), "InstallInfo", ""); },
                     Edition::None, ""},
        LocationCase{"EmptyBaseFallsBackToExpansion",
                     [](FakePlatform& f) {
                         f.SetRegistryString(InstallKey(Edition::Base), "InstallInfo", "");
                         InstallExpansion(f);
                     },
                     Edition::Expansion, DefaultInstallDir(Edition::Expansion)},
        LocationCase{"Value259BytesFits",
                     [](FakePlatform& f) { f.SetRegistryString(InstallKey(Edition::Base), "InstallInfo", k259Bytes); },
                     Edition::Base, k259Bytes},
        LocationCase{"Value260BytesDoesNotFit",
                     [](FakePlatform& f) { f.SetRegistryString(InstallKey(Edition::Base), "InstallInfo", k260Bytes); },
                     Edition::None, ""},
        LocationCase{"Unterminated260ByteValue",
                     [](FakePlatform& f) {
                         f.SetRegistryValue(InstallKey(Edition::Base), "InstallInfo",
                                            std::vector<std::uint8_t>(260, 'g'));
                     },
                     Edition::None, ""},
        LocationCase{"TextUpToTheFirstZero",
                     [](FakePlatform& f) {
                         f.SetRegistryValue(InstallKey(Edition::Base), "InstallInfo", {'D', ':', '\\', 0, 'x', 'y'});
                     },
                     Edition::Base, "D:\\"},
        // Nothing is written, so keys the user may read but not write serve.
        LocationCase{"InstallKeyReadOnly",
                     [](FakePlatform& f) {
                         InstallBase(f);
                         f.RestrictKeyAccess(InstallKey(Edition::Base), platform::win::kKeyRead);
                     },
                     Edition::Base, DefaultInstallDir(Edition::Base)},
        LocationCase{"VendorKeyReadOnly",
                     [](FakePlatform& f) {
                         InstallBase(f);
                         InstallExpansion(f);
                         f.RestrictKeyAccess("software\\ZAVO", platform::win::kKeyRead);
                     },
                     Edition::Base, DefaultInstallDir(Edition::Base)},
        LocationCase{"VendorKeyUnreadableHidesBoth",
                     [](FakePlatform& f) {
                         InstallBase(f);
                         InstallExpansion(f);
                         f.RestrictKeyAccess("software\\ZAVO", 0);
                     },
                     Edition::None, ""},
        LocationCase{"UnreadableBaseFallsBackToExpansion",
                     [](FakePlatform& f) {
                         InstallBase(f);
                         InstallExpansion(f);
                         f.RestrictKeyAccess(ProductKeyPath(Edition::Base), 0);
                     },
                     Edition::Expansion, DefaultInstallDir(Edition::Expansion)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadInstallInfo, ReadsOnlyTheAskedEdition) {
    ScopedFakeOs os;
    InstallExpansion(*os);
    std::string text = "stale";
    EXPECT_FALSE(ReadInstallInfo(Edition::Base, text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(ReadInstallInfo(Edition::Expansion, text));
    EXPECT_EQ(text, DefaultInstallDir(Edition::Expansion));
    EXPECT_FALSE(ReadInstallInfo(Edition::None, text));
    EXPECT_EQ(text, "");
}

TEST(DetectEdition, NeverReadsTheExpansionWhenTheBaseIsInstalled) {
    ScopedFakeOs os;
    InstallBase(*os);
    InstallExpansion(*os);

    EXPECT_EQ(DetectEdition(), Edition::Base);
    for (const std::string& key : os->RegistryKeysAsked()) {
        EXPECT_EQ(key.find("Vantaris77QX"), std::string::npos) << key;
    }
}

TEST(ReadInstallInfo, ClosesEveryKeyItOpened) {
    ScopedFakeOs os;
    InstallBase(*os);
    std::string text;
    ReadInstallInfo(Edition::Base, text);
    EXPECT_EQ(os->OpenRegistryKeys(), 0u);

    // The chain broken at its last level: the three above it were open.
    os->DeleteRegistryKey(InstallKey(Edition::Base));
    EXPECT_FALSE(ReadInstallInfo(Edition::Base, text));
    EXPECT_EQ(os->OpenRegistryKeys(), 0u);
    ASSERT_FALSE(os->RegistryKeysAsked().empty());
    const std::string last = os->RegistryKeysAsked().back();
    EXPECT_EQ(last.substr(last.size() - 8), "\\Install") << "the chain was not followed to its last level";
}

TEST(ReadInstallInfo, IsReadAfreshEachTime) {
    ScopedFakeOs os;
    std::string text;
    EXPECT_FALSE(GetInstallDir(text));
    InstallBase(*os);
    EXPECT_TRUE(GetInstallDir(text));
    os->DeleteRegistryKey(ProductKeyPath(Edition::Base));
    EXPECT_FALSE(GetInstallDir(text));
}

// ---- Patch level -------------------------------------------------------------

struct PatchCase {
    const char* name;
    Edition edition;
    std::function<void(GameSetup&)> setup;     // before the game is installed
    std::function<void(FakePlatform&)> after;  // after it is installed
    int expected;
};
void PrintTo(const PatchCase& c, std::ostream* out) { *out << c.name; }

class CheckPatchLevelTest : public ::testing::TestWithParam<PatchCase> {};

TEST_P(CheckPatchLevelTest, BothGatesMustPass) {
    const PatchCase& c = GetParam();
    ScopedFakeOs os;
    GameSetup setup;
    if (c.setup) c.setup(setup);
    InstallGame(*os, c.edition, setup);
    if (c.after) c.after(*os);

    EXPECT_EQ(CheckPatchLevel(c.edition), c.expected);
}

void Level(GameSetup& s, std::uint32_t level) { s.patchLevel = level; }
std::string ExePath(Edition edition) { return DefaultInstallDir(edition) + GameExeName(edition); }

constexpr std::uint32_t kShareAll =
    platform::win::kFileShareRead | platform::win::kFileShareWrite | platform::win::kFileShareDelete;

const auto kNewYearsEve2010 = test_scene::UtcTime(2010, 12, 31, 23, 30);

INSTANTIATE_TEST_SUITE_P(
    GameDetection, CheckPatchLevelTest,
    ::testing::Values(
        PatchCase{"Level0", Edition::Base, [](GameSetup& s) { Level(s, 0); }, nullptr, 103},
        PatchCase{"Level1", Edition::Base, [](GameSetup& s) { Level(s, 1); }, nullptr, 103},
        PatchCase{"Level2", Edition::Base, [](GameSetup& s) { Level(s, 2); }, nullptr, 0},
        PatchCase{"LevelMax", Edition::Base, [](GameSetup& s) { Level(s, 0xFFFFFFFFu); }, nullptr, 0},
        PatchCase{"ExpansionLevel1", Edition::Expansion, [](GameSetup& s) { Level(s, 1); }, nullptr, 104},
        PatchCase{"ExpansionLevel2", Edition::Expansion, nullptr, nullptr, 0},
        PatchCase{"LevelAsText", Edition::Base, nullptr,
                  [](FakePlatform& f) { f.SetRegistryString(PatchKey(Edition::Base), "1", "2"); }, 0},
        PatchCase{"LevelAsOneByte", Edition::Base, nullptr,
                  [](FakePlatform& f) { f.SetRegistryValue(PatchKey(Edition::Base), "1", {2}); }, 0},
        PatchCase{"LevelOfEightBytes", Edition::Base, nullptr,
                  [](FakePlatform& f) { f.SetRegistryValue(PatchKey(Edition::Base), "1", {2, 0, 0, 0, 0, 0, 0, 0}); },
                  103},
        PatchCase{"NoLevelValue", Edition::Base, nullptr,
                  [](FakePlatform& f) { f.DeleteRegistryKey(PatchKey(Edition::Base)); }, 103},
        PatchCase{"PatchKeyReadOnly", Edition::Expansion, nullptr,
                  [](FakePlatform& f) { f.RestrictKeyAccess(PatchKey(Edition::Expansion), platform::win::kKeyRead); },
                  0},
        PatchCase{"PatchKeyUnreadable", Edition::Expansion, nullptr,
                  [](FakePlatform& f) { f.RestrictKeyAccess(PatchKey(Edition::Expansion), 0); }, 104},
        PatchCase{"ExeFrom2010", Edition::Base,
                  [](GameSetup& s) { s.exeLastWrite = test_scene::UtcTime(2010, 6, 1); }, nullptr, 103},
        PatchCase{"ExpansionExeFrom2010", Edition::Expansion,
                  [](GameSetup& s) { s.exeLastWrite = test_scene::UtcTime(2010, 6, 1); }, nullptr, 104},
        PatchCase{"LateIn2010UtcIs2011AtUtcPlus8", Edition::Base,
                  [](GameSetup& s) { s.exeLastWrite = kNewYearsEve2010; },
                  [](FakePlatform& f) { f.SetUtcOffsetMinutes(8 * 60); }, 0},
        PatchCase{"LateIn2010UtcIs2010AtUtc", Edition::Base,
                  [](GameSetup& s) { s.exeLastWrite = kNewYearsEve2010; },
                  [](FakePlatform& f) { f.SetUtcOffsetMinutes(0); }, 103},
        PatchCase{"ExeMissing", Edition::Base, [](GameSetup& s) { s.createExe = false; }, nullptr, 103},
        PatchCase{"InstallInfoWithoutBackslash", Edition::Expansion,
                  [](GameSetup& s) { s.installDir = "D:\\Games\\Vantaris77QX"; }, nullptr, 104},
        PatchCase{"InstallInfoMissing", Edition::Base, nullptr,
                  [](FakePlatform& f) { f.DeleteRegistryKey(InstallKey(Edition::Base)); }, 103},
        PatchCase{"ExeHeldOpenWithoutSharing", Edition::Base, nullptr,
                  [](FakePlatform& f) { f.HoldOpen(ExePath(Edition::Base), platform::win::kGenericRead, 0); },
                  103},
        // Scanners, indexers and the game's own updater: only a holder that
        // shares nothing keeps the time from being read.
        PatchCase{"ExeReadBySomeoneSharingEverything", Edition::Base, nullptr,
                  [](FakePlatform& f) { f.HoldOpen(ExePath(Edition::Base), platform::win::kGenericRead, kShareAll); },
                  0},
        PatchCase{"ExeReadBySomeoneSharingReading", Edition::Expansion, nullptr,
                  [](FakePlatform& f) {
                      f.HoldOpen(ExePath(Edition::Expansion), platform::win::kGenericRead,
                                 platform::win::kFileShareRead);
                  },
                  0},
        PatchCase{"ExeWrittenBySomeoneSharingReading", Edition::Base, nullptr,
                  [](FakePlatform& f) {
                      f.HoldOpen(ExePath(Edition::Base), platform::win::kGenericRead | platform::win::kGenericWrite,
                                 platform::win::kFileShareRead);
                  },
                  0},
        PatchCase{"TimesUnreadable", Edition::Base, nullptr,
                  [](FakePlatform& f) { f.InjectFault(Fault{Op::GetFileTime, 1, platform::win::kErrorAccessDenied, true}); },
                  103},
        PatchCase{"TimesNotConvertible", Edition::Expansion, nullptr,
                  [](FakePlatform& f) {
                      f.InjectFault(Fault{Op::FileTimeToLocalCalendar, 1, platform::win::kErrorInvalidParameter, true});
                  },
                  104}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckPatchLevel, OnlyExpansionUsesTheExpansionsExecutable) {
    ScopedFakeOs os;
    GameSetup oldExpansion;
    oldExpansion.exeLastWrite = test_scene::UtcTime(2009, 1, 1);
    InstallGame(*os, Edition::Expansion, oldExpansion);
    // A recent base executable beside it must not count.
    os->AddFile(DefaultInstallDir(Edition::Expansion) + GameExeName(Edition::Base), {},
                platform::win::kFileAttributeArchive, test_scene::UtcTime(2012, 1, 1));
    EXPECT_EQ(CheckPatchLevel(Edition::Expansion), 104);
}

TEST(CheckPatchLevel, AnUnpatchedLevelLeavesTheExecutableUnopened) {
    ScopedFakeOs os;
    GameSetup setup;
    setup.patchLevel = 1;
    InstallGame(*os, Edition::Base, setup);
    EXPECT_EQ(CheckPatchLevel(Edition::Base), 103);
    EXPECT_EQ(os->Calls(Op::CreateFile), 0u);
}

TEST(CheckPatchLevel, NoEditionFailsWithoutAskingAnything) {
    ScopedFakeOs os;
    InstallBase(*os);
    EXPECT_EQ(CheckPatchLevel(Edition::None), 103);
    EXPECT_EQ(os->TotalCalls(), 0u);
}

TEST(CheckPatchLevel, ClosesTheExecutable) {
    ScopedFakeOs os;
    InstallBase(*os);
    EXPECT_EQ(CheckPatchLevel(Edition::Base), 0);
    EXPECT_EQ(os->Calls(Op::CloseFile), os->Calls(Op::CreateFile));
    // Held open without sharing, a leaked handle would fail the second open.
    EXPECT_EQ(CheckPatchLevel(Edition::Base), 0);
}

TEST(GameExeName, NamesEachEditionsExecutable) {
    EXPECT_STREQ(GameExeName(Edition::Base), "VANT77.exe");
    EXPECT_STREQ(GameExeName(Edition::Expansion), "VANT77QX.exe");
    EXPECT_STREQ(GameExeName(Edition::None), "");
}

}  // namespace
