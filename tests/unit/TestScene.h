// A game installation, a documents folder and the program's payload, set up
// in the platform double for the installer's unit tests.
//
//   platform::fake::ScopedFakeOs os;
//   test_scene::SetUpDocuments(*os);
//   test_scene::InstallGame(*os, Edition::Base);  // patch level 2, executable dated 2011
//
//   test_scene::GameSetup oldGame;
//   oldGame.patchLevel = 1;
//   test_scene::InstallGame(*os, Edition::Expansion, oldGame);
#pragma once

#include "install/GameDetection.h"
#include "install/InstallJob.h"
#include "platform/fake/FakePlatform.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace test_scene {

// The documents folder as the shell reports it (no trailing backslash).
extern const char kDocumentsFolder[];  // "C:\\Users\\u\\Documents"
// The game's folder under it, where everything is installed.
extern const char kGameDocuments[];  // "C:\\Users\\u\\Documents\\ZAVO\\Vantaris77 Tc\\"

platform::FileTime UtcTime(int year, int month, int day, int hour = 0, int minute = 0);

// "software\\ZAVO\\Vantaris77 Tc" (Base) or "software\\ZAVO\\Vantaris77QX Tc".
std::string ProductKeyPath(Edition edition);
// "D:\\Games\\Vantaris77\\" (Base) or "D:\\Games\\Vantaris77QX\\"; drive D: exists
// once InstallGame has run.
std::string DefaultInstallDir(Edition edition);
// A small archive that differs for each index (0 L, 1 M, 2 S); not a valid
// face archive. Tests of patching pass their own bytes in GameSetup.
std::vector<std::uint8_t> PlaceholderFaceArchive(int index);

struct GameSetup {
    // Empty: DefaultInstallDir(edition). Stored as "InstallInfo" as given; the
    // files go into that folder whether or not it ends with a backslash.
    std::string installDir;
    std::uint32_t patchLevel = 2;  // "PL" \ "1", as a 4-byte value
    bool createExe = true;
    platform::FileTime exeLastWrite = UtcTime(2011, 6, 1);
    bool createSourceArchives = true;  // GRP\EDIT_KAO_{L,M,S}.V77 in the installation directory
    std::vector<std::uint8_t> sourceArchives[kFaceArchiveCount] = {PlaceholderFaceArchive(0), PlaceholderFaceArchive(1),
                                                                   PlaceholderFaceArchive(2)};
};

// Registers the edition ("Install" \ "InstallInfo" and "PL" \ "1") and creates
// its installation directory with the executable and the source archives.
void InstallGame(platform::fake::FakePlatform& fake, Edition edition, const GameSetup& setup = {});

// The shell reports kDocumentsFolder, which exists (the game's folder under it
// does not).
void SetUpDocuments(platform::fake::FakePlatform& fake);
// kDocumentsFolder, a backslash and a documents-relative path from install/Paths.h:
// InDocuments(FaceArchivePaths[0]) is "C:\\Users\\u\\Documents\\ZAVO\\...\\EDIT_KAO_L.V77".
std::string InDocuments(const std::string& relative);
// The folder of the face archives under the documents folder, without a
// trailing backslash.
std::string FaceArchiveFolderInDocuments();

// The face images' sizes: the real ones (sides 256, 128 and 64), or small
// ones (16, 8 and 4) for the many runs of tests whose faults do not depend
// on how much is copied.
enum class FaceScale { kFull, kSmall };
// Bytes of the face image `index` (0 L, 1 M, 2 S) at `scale`: 56 + 4 * side * side.
std::uint32_t FaceImageSize(FaceScale scale, int index);

// The five "BINARY" resources with their real framing: records 137
// (383 bytes, "VANT77EDIT_V6") and 138 (387 bytes, "VANT77EDIT_V7"), each with
// the family name at 52 and the number 1532 at 375; faces 140 (L), 141 (M),
// 139 (S) of FaceImageSize bytes, their total size at offset 8.
void AddPayload(platform::fake::FakePlatform& fake, FaceScale scale = FaceScale::kFull);

// One message posted to the progress dialog.
struct Post {
    std::uint32_t message = 0;
    std::uintptr_t wParam = 0;
};
bool operator==(const Post& a, const Post& b);
std::ostream& operator<<(std::ostream& out, const Post& post);
Post Step();           // WM_INSTALL_STEP
Post Done();           // WM_INSTALL_DONE
Post Error(int code);  // WM_INSTALL_ERROR with the code

// A live progress dialog with a window, as g_pProgressDlg, for the object's
// lifetime: what the worker and its steps post to it can then be read.
class ScopedProgressDialog {
public:
    explicit ScopedProgressDialog(platform::fake::FakePlatform& fake);
    ~ScopedProgressDialog();
    ScopedProgressDialog(const ScopedProgressDialog&) = delete;
    ScopedProgressDialog& operator=(const ScopedProgressDialog&) = delete;

    platform::Window Window() const;
    // Everything posted to this dialog's window, in order.
    std::vector<Post> Posts() const;

private:
    struct Dialog;
    platform::fake::FakePlatform& fake_;
    std::unique_ptr<Dialog> dialog_;
};

}  // namespace test_scene
