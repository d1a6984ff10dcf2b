#include "install/JobPreparation.h"

#include "app/Texts.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/Payload.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/install_step_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace win = platform::win;
using install_step_fixture::Codes;
using install_step_fixture::Errors;
using install_step_fixture::StepCount;

std::string SetDataPath() { return test_scene::InDocuments(std::string(kSetDataFolder) + kSetDataFileName); }

// Twelve records, record 5 the packaged warlord's with status 0.
std::vector<std::uint8_t> SetDataWithWarlord() {
    std::vector<std::uint8_t> bytes(20 + 367 * 12, 0);
    const std::size_t record = 20 + 367 * 5;
    std::memcpy(&bytes[record + 36], "\xBA\xD1\xAD\xEC", 4);
    bytes[record + 355] = 1532 & 0xFF;
    bytes[record + 356] = 1532 >> 8;
    return bytes;
}

void ExpectJobUntouched(const InstallJob& job) {
    EXPECT_EQ(job.nFaceSlot, -1);
    EXPECT_EQ(job.dwRecordSize, 0u);
    EXPECT_EQ(job.pRecordData, nullptr);
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        EXPECT_EQ(job.dwImageSize[i], 0u);
        EXPECT_EQ(job.pImageData[i], nullptr);
    }
    EXPECT_EQ(job.strRecordFileName, "");
}

class JobPreparationTest : public ::testing::Test {
protected:
    JobPreparationTest() {
        test_scene::SetUpDocuments(*os);
        test_scene::AddPayload(*os);
        os->AddFolder(test_scene::InDocuments(kSetDataFolder));
        os->AddFile(SetDataPath(), SetDataWithWarlord());
    }

    bool SetDataFlagged() {
        const auto bytes = os->FileBytes(SetDataPath());
        return bytes && (*bytes)[20 + 367 * 5 + 363] == 1;
    }

    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
    InstallJob job;
};

struct RefusedCase {
    const char* name;
    Edition edition;  // None: no installation registered at all
    std::uint32_t patchLevel;
    std::uintptr_t code;
};

void PrintTo(const RefusedCase& c, std::ostream* out) { *out << c.name; }

class JobRefusalTest : public JobPreparationTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(JobRefusalTest, RefusedEditionPostsItsCodeShowsNoBoxAndLeavesTheJob) {
    const RefusedCase& c = GetParam();
    if (c.edition != Edition::None) {
        test_scene::GameSetup setup;
        setup.patchLevel = c.patchLevel;
        test_scene::InstallGame(*os, c.edition, setup);
    }

    EXPECT_FALSE(PrepareJobStep(job));

    EXPECT_EQ(Errors(dialog), Codes{c.code});
    EXPECT_EQ(StepCount(dialog), 0);
    EXPECT_TRUE(os->MessageBoxes().empty());
    ExpectJobUntouched(job);
    EXPECT_FALSE(SetDataFlagged());
}

INSTANTIATE_TEST_SUITE_P(Cases, JobRefusalTest,
                         ::testing::Values(RefusedCase{"base patch level too old", Edition::Base, 1, 103},
                                           RefusedCase{"expansion patch level too old", Edition::Expansion, 1, 104},
                                           RefusedCase{"installation vanished", Edition::None, 2, 101}));

struct EditionCase {
    const char* name;
    Edition installed;
    bool bothInstalled;
    bool setDataFile;
    std::uint16_t recordId;
    const char* recordFileName;
    const UiText* boxText;
    int steps;
    bool flagged;
};

void PrintTo(const EditionCase& c, std::ostream* out) { *out << c.name; }

class JobFillTest : public JobPreparationTest, public ::testing::WithParamInterface<EditionCase> {};

TEST_P(JobFillTest, FillsTheJobFromTheEditionsPayloadAfterTellingTheUser) {
    const EditionCase& c = GetParam();
    test_scene::InstallGame(*os, c.installed);
    if (c.bothInstalled) test_scene::InstallGame(*os, Edition::Expansion);
    if (!c.setDataFile) os->DeleteFile(SetDataPath().c_str());
    std::size_t postsWhileBoxShown = 99;
    os->SetMessageBoxHandler([&](const platform::fake::MessageBoxRecord&) {
        postsWhileBoxShown = dialog.Posts().size();
        return win::kIdOk;
    });

    EXPECT_TRUE(PrepareJobStep(job));

    const auto boxes = os->MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.boxText->cp950);
    EXPECT_EQ(boxes[0].caption, texts::kCaption.cp950);
    EXPECT_EQ(boxes[0].owner, dialog.Window());
    EXPECT_EQ(boxes[0].style, win::kMbOk | win::kMbTopMost | win::kMbTaskModal);
    EXPECT_EQ(postsWhileBoxShown, 0u);

    EXPECT_EQ(job.pRecordData, LoadPayload(c.recordId));
    EXPECT_EQ(job.dwRecordSize, c.recordId == kPayloadBaseRecord ? 383u : 387u);
    const std::uint16_t faceIds[kFaceArchiveCount] = {kPayloadFaceL, kPayloadFaceM, kPayloadFaceS};
    const std::uint32_t faceSizes[kFaceArchiveCount] = {262200, 65592, 16440};
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        EXPECT_EQ(job.pImageData[i], LoadPayload(faceIds[i])) << i;
        EXPECT_EQ(job.dwImageSize[i], faceSizes[i]) << i;
    }
    EXPECT_EQ(job.nFaceSlot, 1027);
    EXPECT_EQ(job.strRecordFileName, c.recordFileName);

    EXPECT_EQ(StepCount(dialog), c.steps);
    EXPECT_EQ(Errors(dialog), Codes{});
    EXPECT_EQ(SetDataFlagged(), c.flagged);
}

INSTANTIATE_TEST_SUITE_P(Cases, JobFillTest,
                         ::testing::Values(EditionCase{"base", Edition::Base, false, true, kPayloadBaseRecord,
                                                       "addonwarlord1.77B", &texts::kInstallingBaseData, 1, false},
                                           EditionCase{"expansion with set-data file", Edition::Expansion, false, true,
                                                       kPayloadExpansionRecord, "addonwarlord1.77P",
                                                       &texts::kInstallingExpansionData, 2, true},
                                           EditionCase{"expansion without set-data file", Edition::Expansion, false,
                                                       false, kPayloadExpansionRecord, "addonwarlord1.77P",
                                                       &texts::kInstallingExpansionData, 1, false},
                                           EditionCase{"both editions: base wins", Edition::Base, true, true,
                                                       kPayloadBaseRecord, "addonwarlord1.77B",
                                                       &texts::kInstallingBaseData, 1, false}));

}  // namespace

namespace {

// Someone reads the set-data file meanwhile, sharing everything, as scanners
// and sync clients do; the flag must be set, or the run must not report success.
struct SetDataHoldCase {
    const char* name;
    Edition edition;
    int heldAttempts;  // kHeldForGood: until the end
    bool prepared;
    int steps;
    Codes errors;
    bool flagged;
};

constexpr int kHeldForGood = -1;

void PrintTo(const SetDataHoldCase& c, std::ostream* out) { *out << c.name; }

class JobSetDataHoldTest : public JobPreparationTest, public ::testing::WithParamInterface<SetDataHoldCase> {};

TEST_P(JobSetDataHoldTest, AHeldSetDataFileIsWaitedForAndNeverReportedAsSuccess) {
    const SetDataHoldCase& c = GetParam();
    test_scene::InstallGame(*os, c.edition);
    const std::uint32_t shareAll = win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete;
    const platform::FileHandle holder =
        c.heldAttempts == kHeldForGood
            ? os->HoldOpen(SetDataPath(), win::kGenericRead, shareAll)
            : os->HoldOpenForAttempts(SetDataPath(), win::kGenericRead, shareAll, c.heldAttempts);
    ASSERT_NE(holder, platform::kInvalidFile);

    EXPECT_EQ(PrepareJobStep(job), c.prepared);

    EXPECT_EQ(StepCount(dialog), c.steps);
    EXPECT_EQ(Errors(dialog), c.errors);
    EXPECT_EQ(SetDataFlagged(), c.flagged);
    if (!c.errors.empty()) {
        EXPECT_EQ(dialog.Posts().back().message, WM_INSTALL_ERROR) << "nothing after the failure";
        EXPECT_EQ(os->FileBytes(SetDataPath()), SetDataWithWarlord());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JobSetDataHoldTest,
    ::testing::Values(
        SetDataHoldCase{"expansion, read until the last attempt", Edition::Expansion, 4, true, 2, {}, true},
        SetDataHoldCase{"expansion, read longer than the attempts", Edition::Expansion, 5, false, 1, {401}, false},
        SetDataHoldCase{"expansion, read for good", Edition::Expansion, kHeldForGood, false, 1, {401}, false},
        SetDataHoldCase{"base, read for good: never opened", Edition::Base, kHeldForGood, true, 1, {}, false}));

// 401 only for a set-data file that is there; what is no such file lets the
// run go on unflagged, as an absent file does; without the documents folder
// whether there is one cannot be told, which is the documents folder's failure.
struct SetDataOutcomeCase {
    const char* name;
    std::function<void(platform::fake::FakePlatform&)> arrange;
    Codes errors;
};

void PrintTo(const SetDataOutcomeCase& c, std::ostream* out) { *out << c.name; }

class JobSetDataOutcomeTest : public JobPreparationTest, public ::testing::WithParamInterface<SetDataOutcomeCase> {};

TEST_P(JobSetDataOutcomeTest, PostsTheCodeOfWhatStandsInTheFlagsWay) {
    const SetDataOutcomeCase& c = GetParam();
    test_scene::InstallGame(*os, Edition::Expansion);
    c.arrange(*os);

    EXPECT_EQ(PrepareJobStep(job), c.errors.empty());

    EXPECT_EQ(Errors(dialog), c.errors);
    EXPECT_EQ(StepCount(dialog), 1) << "the job's own step, and no walk";
    EXPECT_FALSE(SetDataFlagged());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JobSetDataOutcomeTest,
    ::testing::Values(
        SetDataOutcomeCase{"a folder in place of the file",
                           [](platform::fake::FakePlatform& fake) {
                               ASSERT_TRUE(fake.DeleteFile(SetDataPath().c_str()));
                               fake.AddFolder(SetDataPath());
                           },
                           {}},
        SetDataOutcomeCase{"the file there, but a read fails",
                           [](platform::fake::FakePlatform& fake) {
                               using platform::fake::Op;
                               fake.InjectFault(platform::fake::Fault{Op::ReadFile, 1, 23 /*ERROR_CRC*/, true});
                           },
                           {401}},
        SetDataOutcomeCase{"the documents folder gone since the record folder's step",
                           [](platform::fake::FakePlatform& fake) { fake.SetPersonalFolder(std::nullopt); },
                           {kErrorDocumentsFolder}}));

}  // namespace
