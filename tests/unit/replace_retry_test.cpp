// The one retry policy for files another program holds for a moment: the
// replacing moves that commit the face archives and the record file, the
// staging rename, the copies (staging's from the game's folder and the
// patch's temporary one) and the exclusive opens that guard a write.
#include "install/FaceArchivePatch.h"
#include "install/FaceArchiveStaging.h"
#include "install/Paths.h"
#include "install/RecordInstall.h"
#include "install/RetryPolicy.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/face_archive_fixture.h"
#include "tests/unit/install_step_fixture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

namespace fx = face_archive_fixture;
namespace win = platform::win;
using install_step_fixture::Codes;
using install_step_fixture::Errors;
using install_step_fixture::StepCount;
using platform::fake::Fault;
using platform::fake::Op;

const std::string kFolder = "C:\\Users\\u\\Documents\\data";
const std::string kTarget = kFolder + "\\file.bin";
const std::string kTemp = kFolder + "\\file.$$$";
const std::vector<std::uint8_t> kOld = {'o', 'l', 'd'};
const std::vector<std::uint8_t> kNew = {'n', 'e', 'w', '!'};

// The first `failures` moves fail with `error`; kAlways: every move does.
constexpr int kAlways = -1;

void FailMoves(platform::fake::FakePlatform& fake, int failures, std::uint32_t error) {
    if (failures == kAlways) {
        fake.InjectFault(Fault{Op::MoveFileEx, 1, error, true});
        return;
    }
    for (int nth = 1; nth <= failures; ++nth) {
        fake.InjectFault(Fault{Op::MoveFileEx, static_cast<std::uint64_t>(nth), error, false});
    }
}

struct RetryCase {
    const char* name;
    int failures;
    std::uint32_t error;
    bool replaced;
    int expectedMoves;
};

std::ostream& operator<<(std::ostream& out, const RetryCase& c) { return out << c.name; }

const RetryCase kRetryCases[] = {
    {"FirstAttemptSucceeds", 0, win::kErrorSharingViolation, true, 1},
    {"SharingViolationOnce", 1, win::kErrorSharingViolation, true, 2},
    {"AccessDeniedTwice", 2, win::kErrorAccessDenied, true, 3},
    {"HeldUntilTheLastAttempt", kHeldFileAttempts - 1, win::kErrorSharingViolation, true, kHeldFileAttempts},
    {"HeldLongerThanTheRetries", 5, win::kErrorSharingViolation, false, 5},
    {"HeldForGood", kAlways, win::kErrorAccessDenied, false, 5},
    {"PathNotFoundIsNotRetried", kAlways, win::kErrorPathNotFound, false, 1},
    {"DiskFullIsNotRetried", kAlways, win::kErrorDiskFull, false, 1},
    {"OtherDeviceIsNotRetried", 1, 17, false, 1},
};

class ReplaceRetryTest : public ::testing::TestWithParam<RetryCase> {
protected:
    ReplaceRetryTest() {
        os->AddFile(kTarget, kOld, win::kFileAttributeReadOnly);
        os->AddFile(kTemp, kNew, win::kFileAttributeReadOnly);
    }
    platform::fake::ScopedFakeOs os;
};

TEST_P(ReplaceRetryTest, RetriesOnlyWhileTheTargetIsHeldAndSleepsBetweenAttempts) {
    const RetryCase& c = GetParam();
    FailMoves(*os, c.failures, c.error);

    EXPECT_EQ(ReplaceFileWithRetries(kTemp.c_str(), kTarget.c_str()), c.replaced);

    EXPECT_EQ(os->Calls(Op::MoveFileEx), static_cast<std::uint64_t>(c.expectedMoves));
    // Each attempt first makes the target writable again.
    EXPECT_EQ(os->Calls(Op::SetFileAttributes), static_cast<std::uint64_t>(c.expectedMoves));
    // About a second in all: four waits of 200 ms at most.
    const std::vector<std::uint32_t> sleeps(static_cast<std::size_t>(c.expectedMoves - 1), 200u);
    EXPECT_EQ(os->Sleeps(), sleeps);
    EXPECT_EQ(os->FileBytes(kTarget), c.replaced ? kNew : kOld);
    EXPECT_EQ(os->Exists(kTemp), !c.replaced);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplaceRetryTest, ::testing::ValuesIn(kRetryCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceRetry, TargetStillReadOnlyAtTheFirstAttemptIsMadeWritableForTheNext) {
    platform::fake::ScopedFakeOs os;
    os->AddFile(kTarget, kOld, win::kFileAttributeReadOnly);
    os->AddFile(kTemp, kNew);
    os->InjectFault(Fault{Op::SetFileAttributes, 1, win::kErrorAccessDenied, false});

    EXPECT_TRUE(ReplaceFileWithRetries(kTemp.c_str(), kTarget.c_str()));

    EXPECT_EQ(os->Calls(Op::MoveFileEx), 2u);  // the double refuses the read-only target with 5
    EXPECT_EQ(os->FileBytes(kTarget), kNew);
}

// ---- The steps that commit through it -----------------------------------------

struct StepCase {
    const char* name;
    int archive;  // whose commit is held; -1: the record file's
    int failures;
    Codes errors;
    int steps;
};

std::ostream& operator<<(std::ostream& out, const StepCase& c) { return out << c.name; }

const StepCase kStepCases[] = {
    {"ArchiveLHeldBriefly", 0, 2, {}, 6},          {"ArchiveMHeldForGood", 1, kAlways, {205}, 4},
    {"ArchiveSHeldForGood", 2, kAlways, {206}, 5}, {"RecordHeldBriefly", -1, 3, {}, 1},
    {"RecordHeldForGood", -1, kAlways, {302}, 0},
};

class CommitRetryTest : public ::testing::TestWithParam<StepCase> {
protected:
    CommitRetryTest() {
        test_scene::SetUpDocuments(*os);
        test_scene::InstallGame(*os, Edition::Base);
        os->AddFolder(test_scene::FaceArchiveFolderInDocuments());
        os->AddFolder(test_scene::InDocuments(kRecordFolder));
        for (int i = 0; i < kFaceArchiveCount; ++i) {
            fx::ArchiveLayout layout;
            layout.seed = static_cast<std::uint8_t>(i + 1);
            os->AddFile(test_scene::InDocuments(FaceArchivePaths[i]), fx::BuildArchive(layout).bytes,
                        win::kFileAttributeReadOnly);
            images[i] = fx::Image(32, static_cast<std::uint8_t>(i));
            job.pImageData[i] = images[i].data();
            job.dwImageSize[i] = 32;
        }
        job.nFaceSlot = 1027;
        job.pRecordData = kNew.data();
        job.dwRecordSize = static_cast<std::uint32_t>(kNew.size());
        job.strRecordFileName = kBaseRecordFileName;
    }

    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
    std::vector<std::uint8_t> images[kFaceArchiveCount];
    InstallJob job;
};

TEST_P(CommitRetryTest, BriefHoldSucceedsAndLastingHoldReportsTheCommitCode) {
    const StepCase& c = GetParam();
    int result = 0;
    if (c.archive < 0) {
        FailMoves(*os, c.failures, win::kErrorSharingViolation);
        result = InstallRecordStep(job);
    } else {
        // The earlier archives' moves come first, one each.
        const int failures = c.failures == kAlways ? kHeldFileAttempts : c.failures;
        for (int nth = 1; nth <= failures; ++nth) {
            os->InjectFault(
                Fault{Op::MoveFileEx, static_cast<std::uint64_t>(c.archive + nth), win::kErrorSharingViolation, false});
        }
        result = PatchFaceArchivesStep(job);
    }

    EXPECT_EQ(result, c.errors.empty() ? 1 : 0);
    EXPECT_EQ(Errors(dialog), c.errors);
    EXPECT_EQ(StepCount(dialog), c.steps);
    const std::size_t attempts = static_cast<std::size_t>(c.failures == kAlways ? kHeldFileAttempts : c.failures + 1);
    EXPECT_EQ(os->Sleeps().size(), attempts - 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, CommitRetryTest, ::testing::ValuesIn(kStepCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The staging rename and the exclusive opens --------------------------------

struct GuardedCallCase {
    const char* name;
    Op op;              // the call that meets the holder
    std::uint64_t nth;  // its first call in the step
    int failures;       // kAlways: every attempt
    std::uint32_t error;
    bool succeeds;
    int attempts;
};

std::ostream& operator<<(std::ostream& out, const GuardedCallCase& c) { return out << c.name; }

// Staging copies only the S archive here, so each of its calls is made once.
const GuardedCallCase kStagingCases[] = {
    {"FlushOpenSharingViolationThrice", Op::CreateFile, 1, 3, win::kErrorSharingViolation, true, 4},
    {"FlushOpenHeldForGood", Op::CreateFile, 1, kAlways, win::kErrorSharingViolation, false, 5},
    {"RenameAccessDeniedOnce", Op::MoveFileEx, 1, 1, win::kErrorAccessDenied, true, 2},
    {"RenameSharingViolationUntilTheLastAttempt", Op::MoveFileEx, 1, 4, win::kErrorSharingViolation, true, 5},
    {"RenameHeldForGood", Op::MoveFileEx, 1, kAlways, win::kErrorSharingViolation, false, 5},
    {"RenamePathNotFoundIsNotRetried", Op::MoveFileEx, 1, kAlways, win::kErrorPathNotFound, false, 1},
};

class StagingRetryTest : public ::testing::TestWithParam<GuardedCallCase> {
protected:
    StagingRetryTest() {
        test_scene::SetUpDocuments(*os);
        test_scene::InstallGame(*os, Edition::Base);
        for (int i = 0; i < 2; ++i) os->AddFile(test_scene::InDocuments(FaceArchivePaths[i]), kOld);
    }
    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
};

TEST_P(StagingRetryTest, TheFlushAndTheRenameWaitForABriefHolder) {
    const GuardedCallCase& c = GetParam();
    const int failures = c.failures == kAlways ? kHeldFileAttempts + 1 : c.failures;
    for (int k = 0; k < failures; ++k) {
        os->InjectFault(Fault{c.op, c.nth + static_cast<std::uint64_t>(k), c.error, false});
    }

    EXPECT_EQ(StageFaceArchivesStep(), c.succeeds ? 1 : 0);

    EXPECT_EQ(os->Calls(c.op), static_cast<std::uint64_t>(c.attempts));
    EXPECT_EQ(os->Sleeps(), std::vector<std::uint32_t>(static_cast<std::size_t>(c.attempts - 1), 200u));
    EXPECT_EQ(Errors(dialog), c.succeeds ? Codes{} : Codes{kErrorFaceArchiveCopy});
    EXPECT_EQ(os->Exists(test_scene::InDocuments(FaceArchivePaths[2])), c.succeeds);
}

INSTANTIATE_TEST_SUITE_P(Cases, StagingRetryTest, ::testing::ValuesIn(kStagingCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- The copies -----------------------------------------------------------------

// Staging copies the L archive from the game's folder to its temporary name;
// the patch copies the player's L archive to its temporary name. Either
// copy's source, or a temporary copy left by an interrupted run, is held.
enum class CopyStep { kStaging, kPatch };
enum class Held { kSource, kLeftoverCopy };

struct CopyHoldCase {
    const char* name;
    CopyStep step;
    Held held;
    std::uint32_t access;
    std::uint32_t share;
    int attempts;  // kAlways: until the end
    int copies;
    bool copied;
};

std::ostream& operator<<(std::ostream& out, const CopyHoldCase& c) { return out << c.name; }

constexpr std::uint32_t kRead = win::kGenericRead;
constexpr std::uint32_t kReadWrite = win::kGenericRead | win::kGenericWrite;

const CopyHoldCase kCopyHoldCases[] = {
    {"StagingSourceWrittenUntilTheLastAttempt", CopyStep::kStaging, Held::kSource, kReadWrite, win::kFileShareRead,
     kHeldFileAttempts - 1, kHeldFileAttempts, true},
    {"StagingSourceOpenedSharingNothingForGood", CopyStep::kStaging, Held::kSource, kRead, 0, kAlways,
     kHeldFileAttempts, false},
    {"StagingLeftoverCopyReadOnce", CopyStep::kStaging, Held::kLeftoverCopy, kRead, win::kFileShareRead, 1, 2, true},
    {"StagingLeftoverCopyReadLongerThanTheAttempts", CopyStep::kStaging, Held::kLeftoverCopy, kRead,
     win::kFileShareRead, kHeldFileAttempts, kHeldFileAttempts, false},
    {"PatchSourceOpenedSharingNothingTwice", CopyStep::kPatch, Held::kSource, kRead, 0, 2, 3, true},
    {"PatchSourceReadSharingReadingIsNoHold", CopyStep::kPatch, Held::kSource, kRead, win::kFileShareRead, kAlways, 1,
     true},
    {"PatchSourceOpenedSharingNothingForGood", CopyStep::kPatch, Held::kSource, kRead, 0, kAlways, kHeldFileAttempts,
     false},
    {"PatchLeftoverCopyReadUntilTheLastAttempt", CopyStep::kPatch, Held::kLeftoverCopy, kRead, win::kFileShareRead,
     kHeldFileAttempts - 1, kHeldFileAttempts, true},
    {"PatchLeftoverCopyReadForGood", CopyStep::kPatch, Held::kLeftoverCopy, kRead, 0, kAlways, kHeldFileAttempts,
     false},
};

class CopyHoldTest : public ::testing::TestWithParam<CopyHoldCase> {
protected:
    CopyHoldTest() {
        test_scene::SetUpDocuments(*os);
        test_scene::InstallGame(*os, Edition::Base);
        os->AddFolder(test_scene::InDocuments("ZAVO\\Vantaris77 Tc\\GRP"));
        // Staging has only L to copy; the patch finds all three.
        for (int i = GetParam().step == CopyStep::kStaging ? 1 : 0; i < kFaceArchiveCount; ++i) {
            fx::ArchiveLayout layout;
            layout.seed = static_cast<std::uint8_t>(i + 1);
            os->AddFile(Archive(i), fx::BuildArchive(layout).bytes, win::kFileAttributeReadOnly);
        }
    }

    static std::string Archive(int index) { return test_scene::InDocuments(FaceArchivePaths[index]); }
    static std::string Source() {
        return GetParam().step == CopyStep::kStaging
                   ? test_scene::DefaultInstallDir(Edition::Base) + FaceArchiveSourcePaths[0]
                   : Archive(0);
    }
    static std::string LeftoverCopy() { return test_scene::InDocuments(FaceArchiveTempPaths[0]); }

    // 1 when the step went on past the copy, 0 after its failure.
    int RunStep() {
        if (GetParam().step == CopyStep::kStaging) return StageFaceArchivesStep();
        const std::vector<std::uint8_t> image = fx::Image(32, 7);
        return PatchFaceArchive(1027, 0, image.data(), static_cast<std::uint32_t>(image.size()));
    }

    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
};

TEST_P(CopyHoldTest, ABriefHolderIsWaitedForAndALastingOneFailsTheStep) {
    const CopyHoldCase& c = GetParam();
    if (c.held == Held::kLeftoverCopy) os->AddFile(LeftoverCopy(), kOld, win::kFileAttributeReadOnly);
    const std::string held = c.held == Held::kSource ? Source() : LeftoverCopy();
    const platform::FileHandle holder = c.attempts == kAlways
                                            ? os->HoldOpen(held, c.access, c.share)
                                            : os->HoldOpenForAttempts(held, c.access, c.share, c.attempts);
    ASSERT_NE(holder, platform::kInvalidFile);

    EXPECT_EQ(RunStep(), c.copied ? 1 : 0);

    EXPECT_EQ(os->Calls(Op::CopyFile), static_cast<std::uint64_t>(c.copies));
    EXPECT_EQ(os->Sleeps(), std::vector<std::uint32_t>(static_cast<std::size_t>(c.copies - 1), 200u));
    const std::uintptr_t code = c.step == CopyStep::kStaging ? kErrorFaceArchiveCopy : kErrorFaceArchivePatch;
    EXPECT_EQ(Errors(dialog), c.copied ? Codes{} : Codes{code});
    if (c.step == CopyStep::kStaging) {
        EXPECT_EQ(os->Exists(Archive(0)), c.copied);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyHoldTest, ::testing::ValuesIn(kCopyHoldCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Refusals that no waiting mends cost the attempts and end as before.
struct CopyRefusalCase {
    const char* name;
    Fault fault;
    bool copied;
    int copies;
};

std::ostream& operator<<(std::ostream& out, const CopyRefusalCase& c) { return out << c.name; }

const CopyRefusalCase kCopyRefusalCases[] = {
    {"ARangeLockedByAnotherProgramForOneAttempt", Fault{Op::CopyFile, 1, win::kErrorLockViolation, false}, true, 2},
    {"AReadOnlyTargetThatStaysSoIsTriedFiveTimes", Fault{Op::SetFileAttributes, 1, win::kErrorAccessDenied, true},
     false, kHeldFileAttempts},
    {"AFullDiskIsNotWaitedFor", Fault{Op::CopyFile, 1, win::kErrorDiskFull, true}, false, 1},
};

class CopyRefusalTest : public ::testing::TestWithParam<CopyRefusalCase> {};

TEST_P(CopyRefusalTest, OnlyHoldsAreRetried) {
    const CopyRefusalCase& c = GetParam();
    platform::fake::ScopedFakeOs os;
    os->AddFile(kTarget, kNew);
    os->AddFile(kTemp, kOld, win::kFileAttributeReadOnly);
    os->InjectFault(c.fault);

    EXPECT_EQ(CopyFileWithRetries(kTarget.c_str(), kTemp.c_str()), c.copied);

    EXPECT_EQ(os->Calls(Op::CopyFile), static_cast<std::uint64_t>(c.copies));
    EXPECT_EQ(os->FileBytes(kTemp), c.copied ? kNew : kOld);
    if (c.copied) {
        EXPECT_EQ(os->Attributes(kTemp), win::kFileAttributeArchive) << "writable, whatever it was";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, CopyRefusalTest, ::testing::ValuesIn(kCopyRefusalCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A temporary record left by an earlier run is being looked at when the
// record is written again.
TEST_F(CommitRetryTest, TheRecordsTemporaryFileIsWaitedForWhileSomeoneReadsIt) {
    const std::string temp = test_scene::InDocuments(std::string(kRecordFolder) + kBaseRecordFileName + kTempSuffix);
    const std::uint32_t shareAll = win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete;
    for (const int attempts : {kHeldFileAttempts - 1, kHeldFileAttempts}) {
        SCOPED_TRACE(attempts);
        os->AddFile(temp, kOld);
        ASSERT_NE(os->HoldOpenForAttempts(temp, win::kGenericRead, shareAll, attempts), platform::kInvalidFile);
        const bool waitedLongEnough = attempts < kHeldFileAttempts;

        EXPECT_EQ(InstallRecordStep(job), waitedLongEnough ? 1 : 0);

        EXPECT_EQ(Errors(dialog), waitedLongEnough ? Codes{} : Codes{kErrorRecordCreate});
    }
}

}  // namespace
