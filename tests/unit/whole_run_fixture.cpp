#include "tests/unit/whole_run_fixture.h"

#include "app/KestrelApp.h"
#include "install/InstallWorker.h"
#include "install/Paths.h"
#include "platform/framework/CWinApp.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/expected_texts.h"
#include "tests/unit/face_archive_fixture.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

namespace whole_run {

const char kBig5DocumentsFolder[] =
    "C:\\Users\\\xB3\x5C\xA7\xD3\xA9\xFA\\\xB3\x5C\xA5\x5C\xBB\x5C\xAA\xBA\xA4\xE5\xA5\xF3";

namespace {

// The game's folder under each scene's documents folder; a scene has one.
bool UnderGameData(const std::string& path) {
    for (const char* documents : {test_scene::kDocumentsFolder, kBig5DocumentsFolder}) {
        if (path.rfind(std::string(documents) + "\\ZAVO", 0) == 0) return true;
    }
    return false;
}

namespace fx = face_archive_fixture;
namespace win = platform::win;
using platform::fake::FakePlatform;

using test_scene::FaceScale;

// Slot 1027's block just fits the face image of its size.
std::vector<std::uint8_t> Archive(FaceScale scale, int index, std::uint8_t seedOffset) {
    fx::ArchiveLayout layout;
    layout.targetBlockLength = test_scene::FaceImageSize(scale, index);
    layout.seed = static_cast<std::uint8_t>(index + 1 + seedOffset);
    return fx::BuildArchive(layout).bytes;
}

test_scene::GameSetup MakePatchableGame(FaceScale scale) {
    test_scene::GameSetup game;
    for (int i = 0; i < kFaceArchiveCount; ++i) game.sourceArchives[i] = Archive(scale, i, 0);
    return game;
}

// Each made on first use only: a test process that needs one size builds no other.
const test_scene::GameSetup& PatchableGame(FaceScale scale) {
    if (scale == FaceScale::kFull) {
        static const test_scene::GameSetup full = MakePatchableGame(FaceScale::kFull);
        return full;
    }
    static const test_scene::GameSetup small = MakePatchableGame(FaceScale::kSmall);
    return small;
}

// Four records; record 2 is the packaged warlord's, with status 0.
std::vector<std::uint8_t> SetDataFile() {
    constexpr std::size_t kRecords = 4;
    std::vector<std::uint8_t> bytes(20 + 367 * kRecords);
    fx::FillPattern(bytes, 77);
    for (std::size_t k = 0; k < kRecords; ++k) {
        const auto record = static_cast<std::uint32_t>(20 + 367 * k);
        bytes[record + 36] = 'A';
        bytes[record + 37] = 0;
        fx::PutLe32(bytes, record + 355, 1000 + static_cast<std::uint32_t>(k));
        fx::PutLe32(bytes, record + 363, 2);
    }
    const std::uint32_t match = 20 + 367 * 2;
    std::memcpy(&bytes[match + 36], "\xBA\xD1\xAD\xEC", 5);
    fx::PutLe32(bytes, match + 355, 1532);
    fx::PutLe32(bytes, match + 363, 0);
    return bytes;
}

void BuildBaseFresh(FakePlatform& fake, FaceScale scale) {
    test_scene::SetUpDocuments(fake);
    test_scene::AddPayload(fake, scale);
    test_scene::InstallGame(fake, Edition::Base, PatchableGame(scale));
}

Disk MakeFirstRunLeftovers(FaceScale scale) {
    platform::fake::ScopedFakeOs os;
    BuildBaseFresh(*os, scale);
    {
        test_scene::ScopedProgressDialog dialog(*os);
        InstallWorker(nullptr);
    }
    Disk documents;
    for (const auto& entry : Snapshot(*os)) {
        if (UnderGameData(entry.first)) documents.insert(entry);
    }
    return documents;
}

// What a first successful run leaves in the documents folder.
const Disk& FirstRunLeftovers(FaceScale scale) {
    if (scale == FaceScale::kFull) {
        static const Disk full = MakeFirstRunLeftovers(FaceScale::kFull);
        return full;
    }
    static const Disk small = MakeFirstRunLeftovers(FaceScale::kSmall);
    return small;
}

// The player's folder, in which another user wrote nothing, holds the
// documents folder; the double's system code page is 950.
void BuildBaseFreshBig5(FakePlatform& fake, FaceScale scale) {
    BuildBaseFresh(fake, scale);
    fake.SetAnsiCodePage(950);
    fake.AddFolder(kBig5DocumentsFolder);
    fake.SetPersonalFolder(std::string(kBig5DocumentsFolder));
}

void BuildBaseRerun(FakePlatform& fake, FaceScale scale) {
    BuildBaseFresh(fake, scale);
    for (const auto& entry : FirstRunLeftovers(scale)) {
        if (entry.second) {
            fake.AddFile(entry.first, *entry.second, win::kFileAttributeReadOnly);
        } else {
            fake.AddFolder(entry.first);
        }
    }
}

void BuildExpansion(FakePlatform& fake, FaceScale scale) {
    test_scene::SetUpDocuments(fake);
    test_scene::AddPayload(fake, scale);
    test_scene::InstallGame(fake, Edition::Expansion, PatchableGame(scale));
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        // The player's own archives, unlike the game's copies.
        fake.AddFile(test_scene::InDocuments(FaceArchivePaths[i]), Archive(scale, i, 10));
    }
    fake.AddFile(test_scene::InDocuments(std::string(kSetDataFolder) + kSetDataFileName), SetDataFile());
    fake.AddFile(test_scene::InDocuments(std::string(kRecordFolder) + kBaseRecordFileName),
                 std::vector<std::uint8_t>(383, 0x42), win::kFileAttributeReadOnly);
}

bool SameContent(const Disk& disk, const std::string& path, const std::optional<std::vector<std::uint8_t>>* now) {
    const auto found = disk.find(path);
    if (found == disk.end()) return now == nullptr;
    return now != nullptr && *now == found->second;
}

constexpr std::intptr_t kEndedFromOutside = -3;

// The dialog whose last EndDialog failed stays up for good; the player was
// told already, and ending the process is all that is left. Waits by what
// the program does (its EndDialog call), never by the clock; the bound only
// keeps a broken double from hanging the test.
void EndDialogLeftStanding(FakePlatform& fake, const std::atomic<bool>& programEnded, std::atomic<bool>& ended) {
    constexpr int kBoundMs = 60000;
    for (int waited = 0; !programEnded && waited < kBoundMs; waited += 2) {
        if (fake.DialogOutlivedEndDialog()) {
            ended = true;
            fake.ForceEndModalLoop(kEndedFromOutside);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::string WhatWasAwaited(const FakePlatform& fake) {
    if (fake.Calls(platform::fake::Op::StartThread) == 0) return "the worker's start";
    for (const platform::fake::MessageBoxRecord& box : fake.MessageBoxes()) {
        if (EndingTold(box)) return "the dialog's end after its outcome";
    }
    return "the worker's outcome";
}

}  // namespace

const char* ScenarioName(Scenario scenario) {
    switch (scenario) {
    case Scenario::kBaseFresh:
        return "base edition, fresh documents";
    case Scenario::kBaseRerunReadOnly:
        return "base edition, re-run over read-only archives";
    case Scenario::kExpansionWithSetData:
        return "expansion edition, set-data file, read-only base record";
    case Scenario::kBaseFreshBig5Documents:
        return "base edition, fresh documents folder with a Big5 name";
    }
    return "?";
}

std::string ScenarioTestName(const ::testing::TestParamInfo<Scenario>& info) {
    switch (info.param) {
    case Scenario::kBaseFresh:
        return "BaseFresh";
    case Scenario::kBaseRerunReadOnly:
        return "BaseRerunReadOnly";
    case Scenario::kExpansionWithSetData:
        return "ExpansionWithSetData";
    case Scenario::kBaseFreshBig5Documents:
        return "BaseFreshBig5Documents";
    }
    return "Unknown";
}

void BuildScene(FakePlatform& fake, Scenario scenario, FaceScale scale) {
    switch (scenario) {
    case Scenario::kBaseFresh:
        BuildBaseFresh(fake, scale);
        break;
    case Scenario::kBaseRerunReadOnly:
        BuildBaseRerun(fake, scale);
        break;
    case Scenario::kExpansionWithSetData:
        BuildExpansion(fake, scale);
        break;
    case Scenario::kBaseFreshBig5Documents:
        BuildBaseFreshBig5(fake, scale);
        break;
    }
}

std::uint64_t SourceArchiveBytes(FaceScale scale) {
    std::uint64_t bytes = 0;
    for (const std::vector<std::uint8_t>& archive : PatchableGame(scale).sourceArchives) bytes += archive.size();
    return bytes;
}

Disk Snapshot(const FakePlatform& fake) {
    Disk disk;
    for (const std::string& path : fake.ListAll()) disk[path] = fake.FileBytes(path);
    return disk;
}

bool IsTemporary(const std::string& path) {
    const std::string suffix = kTempSuffix;
    return path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool IsGameData(const std::string& path) { return UnderGameData(path) && !IsTemporary(path); }

Disk StagedArchives(Scenario scenario, FaceScale scale) {
    Disk staged;
    if (scenario != Scenario::kBaseFresh && scenario != Scenario::kBaseFreshBig5Documents) return staged;
    const std::string documents =
        scenario == Scenario::kBaseFresh ? test_scene::kDocumentsFolder : kBig5DocumentsFolder;
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        staged[documents + "\\" + FaceArchivePaths[i]] = PatchableGame(scale).sourceArchives[i];
    }
    return staged;
}

std::vector<std::string> TornOrStrayFiles(const Disk& before, const Disk& after, const Disk& staged, const Disk& now) {
    std::vector<std::string> paths;
    std::map<std::string, bool> every;
    for (const Disk* disk : {&before, &after, &now}) {
        for (const auto& entry : *disk) every[entry.first] = true;
    }
    for (const auto& entry : every) {
        const std::string& path = entry.first;
        const auto found = now.find(path);
        const std::optional<std::vector<std::uint8_t>>* content = found == now.end() ? nullptr : &found->second;
        if (IsGameData(path)) {
            const bool stagedCopy = staged.count(path) != 0 && SameContent(staged, path, content);
            if (!SameContent(before, path, content) && !SameContent(after, path, content) && !stagedCopy) {
                paths.push_back(path);
            }
        } else if (!UnderGameData(path) && !SameContent(before, path, content)) {
            paths.push_back(path);
        }
    }
    return paths;
}

std::optional<Ending> EndingTold(const platform::fake::MessageBoxRecord& box) {
    if (box.text == expected_texts::kDone) return Ending{true, 0};
    const std::string& prefix = expected_texts::kFailedPrefix;
    if (box.text.size() <= prefix.size() + 1 || box.text.compare(0, prefix.size(), prefix) != 0 ||
        box.text.back() != ')') {
        return std::nullopt;
    }
    const std::string number = box.text.substr(prefix.size(), box.text.size() - prefix.size() - 1);
    if (number.find_first_not_of("-0123456789") != std::string::npos) return std::nullopt;
    return Ending{false, std::stoi(number)};
}

RunOutcome RunProgram(FakePlatform& fake) {
    constexpr int kIdleLimitMs = 10000;
    fake.SetModalIdleLimitMs(kIdleLimitMs);
    std::atomic<bool> programEnded{false};
    std::atomic<bool> endedFromOutside{false};
    std::thread watcher([&] { EndDialogLeftStanding(fake, programEnded, endedFromOutside); });
    RunOutcome outcome;
    {
        CKestrelApp app(InstallWorker);
        outcome.exitStatus = platform::AfxWinMain();
    }
    programEnded = true;
    watcher.join();

    outcome.posts = fake.Posted();
    for (const platform::fake::MessageBoxRecord& box : fake.MessageBoxes()) {
        if (const std::optional<Ending> ending = EndingTold(box)) outcome.endings.push_back(*ending);
    }
    outcome.endedFromOutside = endedFromOutside;
    outcome.hung = fake.ModalLoopTimedOut();
    if (outcome.hung) outcome.waitingFor = WhatWasAwaited(fake);
    return outcome;
}

}  // namespace whole_run
