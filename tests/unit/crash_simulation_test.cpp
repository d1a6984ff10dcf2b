// Power cuts after every mutating call of a whole installation: whatever the
// disk keeps of unflushed data, every face archive and the record file must
// be as before the run or as a successful run leaves it.
#include "install/InstallWorker.h"
#include "install/Paths.h"
#include "platform/fake/FakeDurability.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/whole_run_fixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

namespace win = platform::win;
using platform::fake::DurabilityModel;
using platform::fake::ScopedFakeOs;
using platform::fake::UnflushedData;
using whole_run::Disk;
using whole_run::Scenario;

const char* FateName(UnflushedData fate) {
    switch (fate) {
    case UnflushedData::kKept:
        return "kept";
    case UnflushedData::kDropped:
        return "dropped";
    case UnflushedData::kGarbled:
        return "garbled";
    }
    return "?";
}

std::vector<std::string> WatchedFiles(Scenario scenario) {
    std::vector<std::string> paths;
    paths.reserve(kFaceArchiveCount + 1);
    for (int i = 0; i < kFaceArchiveCount; ++i) paths.push_back(test_scene::InDocuments(FaceArchivePaths[i]));
    const char* record = scenario == Scenario::kExpansionWithSetData ? kExpansionRecordFileName : kBaseRecordFileName;
    paths.push_back(test_scene::InDocuments(std::string(kRecordFolder) + record));
    return paths;
}

bool Matches(const Disk& disk, const std::string& path, const std::optional<std::vector<std::uint8_t>>& content) {
    const auto found = disk.find(path);
    if (found == disk.end()) return !content;
    return content && found->second == content;
}

struct CutReport {
    std::uint64_t cuts = 0;
    int violations = 0;
    std::string first;
};

class CrashSimulation {
public:
    explicit CrashSimulation(Scenario scenario) : scenario_(scenario), watched_(WatchedFiles(scenario)) {
        ScopedFakeOs os;
        whole_run::BuildScene(*os, scenario);
        before_ = whole_run::Snapshot(*os);
        {
            test_scene::ScopedProgressDialog dialog(*os);
            InstallWorker(nullptr);
        }
        after_ = whole_run::Snapshot(*os);
        staged_ = whole_run::StagedArchives(scenario);
    }

    CutReport Run(bool flushesReachTheDisk) {
        ScopedFakeOs os;
        whole_run::BuildScene(*os, scenario_);
        DurabilityModel model;
        model.IgnoreFlushes(!flushesReachTheDisk);
        CutReport report;
        model.SetCutHandler([&](std::uint64_t k) { CheckCut(model, k, report); });
        os->AttachDurability(&model);
        {
            test_scene::ScopedProgressDialog dialog(*os);
            InstallWorker(nullptr);
        }
        os->AttachDurability(nullptr);
        report.cuts = model.MutatingCalls();
        return report;
    }

private:
    // Only a file whose state after a cut has changed is compared again.
    void CheckCut(const DurabilityModel& model, std::uint64_t k, CutReport& report) {
        for (std::size_t i = 0; i < watched_.size(); ++i) {
            const std::string& path = watched_[i];
            for (const UnflushedData fate : platform::fake::kEveryFate) {
                const auto key = std::make_tuple(i, model.Generation(path), fate);
                auto known = verdicts_.find(key);
                if (known == verdicts_.end())
                    known = verdicts_.emplace(key, Acceptable(path, model.AfterCut(path, fate))).first;
                if (known->second) continue;
                if (report.violations++ == 0) {
                    report.first = path + " after cut " + std::to_string(k) + ", unflushed data " + FateName(fate);
                }
            }
        }
    }

    bool Acceptable(const std::string& path, const std::optional<std::vector<std::uint8_t>>& content) const {
        const bool staged = staged_.count(path) != 0 && Matches(staged_, path, content);
        return Matches(before_, path, content) || Matches(after_, path, content) || staged;
    }

    Scenario scenario_;
    std::vector<std::string> watched_;
    Disk before_;
    Disk after_;
    Disk staged_;
    std::map<std::tuple<std::size_t, std::uint64_t, UnflushedData>, bool> verdicts_;
};

class CrashSimulationTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(CrashSimulationTest, EveryCutLeavesArchivesAndRecordOldOrNew) {
    CrashSimulation simulation(GetParam());
    const CutReport report = simulation.Run(true);
    EXPECT_GT(report.cuts, 0u);
    EXPECT_EQ(report.violations, 0) << "first: " << report.first;
    std::printf("crash simulation (%s): %llu cuts, each with unflushed data kept, dropped and garbled, %d violations\n",
                whole_run::ScenarioName(GetParam()), static_cast<unsigned long long>(report.cuts), report.violations);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, CrashSimulationTest, ::testing::ValuesIn(whole_run::kScenarios),
                         whole_run::ScenarioTestName);

// The flush before each move is what makes the moves safe: without it the
// patched copy's bytes may not be on the disk when its name replaces the archive.
TEST(CrashSimulation, WithoutTheFlushACutCanLeaveAnArchiveTorn) {
    CrashSimulation simulation(Scenario::kBaseRerunReadOnly);
    const CutReport report = simulation.Run(false);
    EXPECT_GT(report.violations, 0);
    std::printf("crash simulation without flushes: %llu cuts, %d violations, first: %s\n",
                static_cast<unsigned long long>(report.cuts), report.violations, report.first.c_str());
}

// ---- The model itself ------------------------------------------------------------

TEST(DurabilityModel, UnflushedWritesAreKeptDroppedOrGarbledAndFlushedOnesStay) {
    ScopedFakeOs os;
    const std::string path = "C:\\data.bin";
    os->AddFile(path, {1, 2, 3});
    DurabilityModel model;
    os->AttachDurability(&model);

    const platform::FileHandle file =
        os->CreateFile(path.c_str(), win::kGenericRead | win::kGenericWrite, 0, win::kOpenExisting, 0);
    ASSERT_NE(file, platform::kInvalidFile);
    const std::uint8_t nine = 9;
    std::uint32_t written = 0;
    ASSERT_TRUE(os->WriteFile(file, &nine, 1, &written));

    using Bytes = std::vector<std::uint8_t>;
    EXPECT_EQ(model.AfterCut(path, UnflushedData::kKept), Bytes({9, 2, 3}));
    EXPECT_EQ(model.AfterCut(path, UnflushedData::kDropped), Bytes({1, 2, 3}));
    EXPECT_EQ(model.AfterCut(path, UnflushedData::kGarbled), Bytes({static_cast<std::uint8_t>(~9), 2, 3}));

    ASSERT_TRUE(os->FlushFileBuffers(file));
    for (const UnflushedData fate : platform::fake::kEveryFate) EXPECT_EQ(model.AfterCut(path, fate), Bytes({9, 2, 3}));
    os->CloseFile(file);
    EXPECT_EQ(model.MutatingCalls(), 2u);  // the write and the flush
    os->AttachDurability(nullptr);
}

TEST(DurabilityModel, CopiesAreUnflushedAndNamesFollowMovesAndDeletions) {
    ScopedFakeOs os;
    os->AddFile("C:\\a", {7, 7});
    os->AddFile("C:\\old", {5});
    DurabilityModel model;
    os->AttachDurability(&model);

    ASSERT_TRUE(os->CopyFile("C:\\a", "C:\\b", false));
    EXPECT_EQ(model.AfterCut("C:\\B", UnflushedData::kDropped), std::vector<std::uint8_t>{});
    EXPECT_EQ(model.AfterCut("C:\\b", UnflushedData::kKept), std::vector<std::uint8_t>({7, 7}));

    ASSERT_TRUE(os->MoveFileEx("C:\\b", "C:\\old", win::kMoveFileReplaceExisting));
    EXPECT_FALSE(model.AfterCut("C:\\b", UnflushedData::kKept));
    EXPECT_EQ(model.AfterCut("C:\\old", UnflushedData::kDropped), std::vector<std::uint8_t>{});

    ASSERT_TRUE(os->DeleteFile("C:\\a"));
    EXPECT_FALSE(model.AfterCut("C:\\a", UnflushedData::kDropped));
    EXPECT_EQ(model.MutatingCalls(), 3u);
    os->AttachDurability(nullptr);
}

}  // namespace
