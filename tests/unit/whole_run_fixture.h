// Whole installations against the platform double: the scenes they start
// from, what the player's game data looks like before and after, and a run
// of the whole program (guard, dialog, worker) whose every ending is seen.
#pragma once

#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace whole_run {

enum class Scenario {
    kBaseFresh,               // base edition, no game folder under the documents yet
    kBaseRerunReadOnly,       // base edition, over what a first run left (read-only)
    kExpansionWithSetData,    // expansion, the player's own writable archives,
                              // a set-data file and a read-only base record
    kBaseFreshBig5Documents,  // as kBaseFresh, with the documents folder
                              // C:\Users\許志明\許功蓋的文件 (names whose
                              // characters end with the byte 0x5C)
};
const char* ScenarioName(Scenario scenario);
// The scenario as a test name suffix (letters only, as GoogleTest wants).
std::string ScenarioTestName(const ::testing::TestParamInfo<Scenario>& info);
constexpr Scenario kScenarios[] = {Scenario::kBaseFresh, Scenario::kBaseRerunReadOnly, Scenario::kExpansionWithSetData};

// Registry, game folder, payload and documents for `scenario`, with face
// images (and the archives' blocks for them) of `scale`.
void BuildScene(platform::fake::FakePlatform& fake, Scenario scenario,
                test_scene::FaceScale scale = test_scene::FaceScale::kSmall);
// The bytes of the game's three archives at `scale`.
std::uint64_t SourceArchiveBytes(test_scene::FaceScale scale);

// The documents folder of kBaseFreshBig5Documents, in code page 950.
extern const char kBig5DocumentsFolder[];

// Content of every file by path (case as stored); folders map to nullopt.
using Disk = std::map<std::string, std::optional<std::vector<std::uint8_t>>>;
Disk Snapshot(const platform::fake::FakePlatform& fake);

// Game data: the files under the game's folder in the documents folder ("ZAVO")
// that are not temporary (.$$$).
bool IsGameData(const std::string& path);
bool IsTemporary(const std::string& path);

// The archives as staging copies them from the game's folder, for the
// scenarios that stage any; a run may stop after staging, which is kept.
Disk StagedArchives(Scenario scenario, test_scene::FaceScale scale = test_scene::FaceScale::kSmall);

// Paths of game data whose content is none of `before`, `after` or (for the
// paths it holds) `staged`, and entries outside the game's documents folder
// that differ from `before`.
std::vector<std::string> TornOrStrayFiles(const Disk& before, const Disk& after, const Disk& staged, const Disk& now);

// How a run ended as the player saw it: the completion box, or the numbered
// failure box of one code.
struct Ending {
    bool installed = false;
    int failureCode = 0;
};
// The ending that `box` tells, if it is a completion or numbered failure box.
std::optional<Ending> EndingTold(const platform::fake::MessageBoxRecord& box);

struct RunOutcome {
    int exitStatus = 0;
    std::vector<platform::fake::PostedMessage> posts;  // every post the double took, in order
    std::vector<Ending> endings;                       // every ending told in a box, in order
    // The dialog stayed up after its last EndDialog call had failed: the
    // player was told, and only the end of the process ends it then.
    bool endedFromOutside = false;
    // No message but timers came for the double's idle limit: the program
    // would have hung. `waitingFor` says what had not happened.
    bool hung = false;
    std::string waitingFor;
};

// Runs the whole program, CKestrelApp with the installation worker, as
// AfxWinMain runs it. Every box is answered at once.
RunOutcome RunProgram(platform::fake::FakePlatform& fake);

}  // namespace whole_run
