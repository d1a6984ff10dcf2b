#include "install/FaceArchivePatch.h"
#include "install/JobPreparation.h"
#include "install/Paths.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/face_archive_fixture.h"
#include "tests/unit/install_step_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
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

std::string ArchivePath(int index) { return test_scene::InDocuments(FaceArchivePaths[index]); }
std::string TempPath(int index) { return test_scene::InDocuments(FaceArchiveTempPaths[index]); }

class FaceArchivePatchTest : public ::testing::Test {
protected:
    FaceArchivePatchTest() {
        test_scene::SetUpDocuments(*os);
        os->AddFolder(test_scene::FaceArchiveFolderInDocuments());
        const std::uint32_t imageSizes[kFaceArchiveCount] = {64, 48, 32};
        for (int i = 0; i < kFaceArchiveCount; ++i) {
            images[i] = fx::Image(imageSizes[i], static_cast<std::uint8_t>(i));
            job.pImageData[i] = images[i].data();
            job.dwImageSize[i] = imageSizes[i];
        }
        job.nFaceSlot = 1027;
    }

    void PutArchive(int index, const fx::ArchiveLayout& layout, std::uint32_t attributes = win::kFileAttributeArchive) {
        archives[index] = fx::BuildArchive(layout);
        os->AddFile(ArchivePath(index), archives[index].bytes, attributes);
    }

    void PutArchives(std::uint32_t attributes = win::kFileAttributeArchive) {
        for (int i = 0; i < kFaceArchiveCount; ++i) {
            fx::ArchiveLayout layout;
            layout.seed = static_cast<std::uint8_t>(i + 1);
            PutArchive(i, layout, attributes);
        }
    }

    std::vector<std::uint8_t> Expected(int index) const {
        return fx::ExpectedAfterPatch(archives[index], index == 0, images[index]);
    }

    std::vector<std::uint8_t> Bytes(const std::string& path) {
        return os->FileBytes(path).value_or(std::vector<std::uint8_t>{});
    }

    void ExpectArchivesUntouched(std::uint32_t attributes = win::kFileAttributeArchive) {
        for (int i = 0; i < kFaceArchiveCount; ++i) {
            EXPECT_EQ(Bytes(ArchivePath(i)), archives[i].bytes) << "archive " << i;
            EXPECT_EQ(os->Attributes(ArchivePath(i)), attributes) << "archive " << i;
        }
    }

    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
    fx::Archive archives[kFaceArchiveCount];
    std::vector<std::uint8_t> images[kFaceArchiveCount];
    InstallJob job;
};

TEST_F(FaceArchivePatchTest, PatchesAllThreeAndCommitsThemReadOnly) {
    PutArchives();

    EXPECT_EQ(PatchFaceArchivesStep(job), 1);

    EXPECT_EQ(StepCount(dialog), 6);
    EXPECT_EQ(Errors(dialog), Codes{});
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        // L: every entry's words, the image and the bitmap bit; M and S: the image only.
        EXPECT_EQ(Bytes(ArchivePath(i)), Expected(i)) << "archive " << i;
        EXPECT_EQ(os->Attributes(ArchivePath(i)), win::kFileAttributeReadOnly) << "archive " << i;
        EXPECT_FALSE(os->Exists(TempPath(i))) << "temporary " << i;
    }
}

TEST_F(FaceArchivePatchTest, WritesThePayloadImagesThatTheJobPointsAt) {
    test_scene::AddPayload(*os);
    test_scene::InstallGame(*os, Edition::Base);
    InstallJob prepared;
    ASSERT_TRUE(PrepareJobStep(prepared));
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        images[i].assign(prepared.pImageData[i], prepared.pImageData[i] + prepared.dwImageSize[i]);
        fx::ArchiveLayout layout;
        layout.seed = static_cast<std::uint8_t>(i + 1);
        layout.targetBlockLength = prepared.dwImageSize[i];
        PutArchive(i, layout);
    }

    EXPECT_EQ(PatchFaceArchivesStep(prepared), 1);

    for (int i = 0; i < kFaceArchiveCount; ++i) EXPECT_EQ(Bytes(ArchivePath(i)), Expected(i)) << "archive " << i;
}

TEST_F(FaceArchivePatchTest, BitmapIsFoundBehindTheLastSlotsBlockWhereverSlot1027Lies) {
    struct Case {
        const char* name;
        std::uint32_t slotCount;
        bool targetAfterBitmap;
        bool bitAlreadySet;
    };
    const Case cases[] = {
        {"target among the blocks", 1030, false, false},
        {"target behind the bitmap", 1030, true, false},
        {"target is the last slot", 1028, false, false},
        {"bit already set", 1030, false, true},
    };
    for (const Case& c : cases) {
        fx::ArchiveLayout layout;
        layout.slotCount = c.slotCount;
        layout.targetBlockAfterBitmap = c.targetAfterBitmap;
        layout.bit1027AlreadySet = c.bitAlreadySet;
        PutArchive(0, layout);

        EXPECT_EQ(PatchFaceArchive(1027, 0, images[0].data(), 64), 1) << c.name;

        EXPECT_EQ(Bytes(TempPath(0)), Expected(0)) << c.name;
        EXPECT_EQ(os->Attributes(TempPath(0)), win::kFileAttributeReadOnly) << c.name;
        EXPECT_EQ(Bytes(ArchivePath(0)), archives[0].bytes) << c.name;
    }
    EXPECT_EQ(StepCount(dialog), 0);
    EXPECT_EQ(Errors(dialog), Codes{});
}

TEST_F(FaceArchivePatchTest, SecondRunOverReadOnlyArchivesGivesTheSameBytes) {
    PutArchives();
    ASSERT_EQ(PatchFaceArchivesStep(job), 1);
    std::vector<std::uint8_t> afterFirst[kFaceArchiveCount];
    for (int i = 0; i < kFaceArchiveCount; ++i) afterFirst[i] = Bytes(ArchivePath(i));

    EXPECT_EQ(PatchFaceArchivesStep(job), 1);

    EXPECT_EQ(StepCount(dialog), 12);
    EXPECT_EQ(Errors(dialog), Codes{});
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        EXPECT_EQ(Bytes(ArchivePath(i)), afterFirst[i]) << "archive " << i;
        EXPECT_EQ(os->Attributes(ArchivePath(i)), win::kFileAttributeReadOnly) << "archive " << i;
        EXPECT_FALSE(os->Exists(TempPath(i)));
    }
}

class FaceArchivePatchFailureTest : public FaceArchivePatchTest, public ::testing::WithParamInterface<int> {};

TEST_P(FaceArchivePatchFailureTest, TemporaryThatCannotBeOpenedFailsWithItsIndexAndCommitsNothing) {
    const int failing = GetParam();
    PutArchives(win::kFileAttributeReadOnly);
    // The copies are opened in the order L, M, S; from the failing one on,
    // every open meets a holder that never lets go.
    os->InjectFault(Fault{Op::CreateFile, static_cast<std::uint64_t>(failing + 1), win::kErrorSharingViolation, true});

    EXPECT_EQ(PatchFaceArchivesStep(job), 0);

    EXPECT_EQ(StepCount(dialog), failing);
    EXPECT_EQ(Errors(dialog), Codes{static_cast<std::uintptr_t>(201 + failing)});
    ExpectArchivesUntouched(win::kFileAttributeReadOnly);
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        SCOPED_TRACE(i);
        if (i < failing) {
            EXPECT_EQ(Bytes(TempPath(i)), Expected(i));
            EXPECT_EQ(os->Attributes(TempPath(i)), win::kFileAttributeReadOnly);
        } else if (i == failing) {
            EXPECT_EQ(Bytes(TempPath(i)), archives[i].bytes);
            EXPECT_EQ(os->Attributes(TempPath(i)), win::kFileAttributeArchive);
        } else {
            EXPECT_FALSE(os->Exists(TempPath(i)));
        }
    }
}

TEST_P(FaceArchivePatchFailureTest, ArchiveHeldOpenAtTheCommitFailsWithItsIndex) {
    const int failing = GetParam();
    PutArchives(win::kFileAttributeReadOnly);
    const platform::FileHandle holder = os->HoldOpen(ArchivePath(failing), win::kGenericRead, win::kFileShareRead);

    EXPECT_EQ(PatchFaceArchivesStep(job), 0);
    os->Release(holder);

    EXPECT_EQ(StepCount(dialog), 3 + failing);
    EXPECT_EQ(Errors(dialog), Codes{static_cast<std::uintptr_t>(204 + failing)});
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        SCOPED_TRACE(i);
        if (i < failing) {
            EXPECT_EQ(Bytes(ArchivePath(i)), Expected(i));
            EXPECT_EQ(os->Attributes(ArchivePath(i)), win::kFileAttributeReadOnly);
            EXPECT_FALSE(os->Exists(TempPath(i)));
        } else {
            EXPECT_EQ(Bytes(ArchivePath(i)), archives[i].bytes);
            EXPECT_EQ(os->Attributes(ArchivePath(i)),
                      i == failing ? win::kFileAttributeArchive : win::kFileAttributeReadOnly);
            EXPECT_EQ(Bytes(TempPath(i)), Expected(i));
            EXPECT_EQ(os->Attributes(TempPath(i)), win::kFileAttributeReadOnly);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EachArchive, FaceArchivePatchFailureTest, ::testing::Values(0, 1, 2));

// One archive that does not fit its header; the others are well formed.
struct BrokenArchive {
    const char* name;
    int index;
    std::function<void(fx::Archive&)> breakIt;
};

void PrintTo(const BrokenArchive& broken, std::ostream* out) { *out << broken.name; }

std::uint32_t SlotEntryAt(const fx::Archive& archive, std::uint32_t slot) { return archive.slotTable + 8 * slot; }

const BrokenArchive kBrokenArchives[] = {
    {"file shorter than its header", 0, [](fx::Archive& a) { a.bytes.resize(31); }},
    {"no slots", 0, [](fx::Archive& a) { fx::PutLe32(a.bytes, 4, 0); }},
    {"slot 1027 not below slotCount", 0, [](fx::Archive& a) { fx::PutLe32(a.bytes, 4, 1027); }},
    {"slot table past the end", 0,
     [](fx::Archive& a) { fx::PutLe32(a.bytes, 8, static_cast<std::uint32_t>(a.bytes.size()) - 8 * a.slotCount + 1); }},
    {"slot entry position wrapping 32 bits", 0,
     [](fx::Archive& a) { fx::PutLe32(a.bytes, 8, 0xFFFFFFFFu - 8 * 1027 + 1 + a.slotTable); }},
    {"entry table past the end", 0,
     [](fx::Archive& a) {
         fx::PutLe32(a.bytes, 16, static_cast<std::uint32_t>(a.bytes.size()) - 12 * a.slotCount + 1);
     }},
    {"slot 1027's block past the end", 0,
     [](fx::Archive& a) {
         fx::PutLe32(a.bytes, SlotEntryAt(a, 1027), static_cast<std::uint32_t>(a.bytes.size()) - a.targetLength + 1);
     }},
    {"slot 1027's block wrapping 32 bits", 0,
     [](fx::Archive& a) { fx::PutLe32(a.bytes, SlotEntryAt(a, 1027), 0xFFFFFFF0u); }},
    {"image longer than slot 1027's block", 0,
     [](fx::Archive& a) { fx::PutLe32(a.bytes, SlotEntryAt(a, 1027) + 4, 63); }},
    {"bitmap past the end", 0,
     [](fx::Archive& a) {
         const std::uint32_t last = SlotEntryAt(a, a.slotCount - 1);
         const std::uint32_t offset = fx::GetLe32(a.bytes, last);
         fx::PutLe32(a.bytes, last + 4, static_cast<std::uint32_t>(a.bytes.size()) - 138 - offset + 1);
     }},
    {"bitmap position wrapping 32 bits into the file", 0,
     [](fx::Archive& a) {
         const std::uint32_t last = SlotEntryAt(a, a.slotCount - 1);
         fx::PutLe32(a.bytes, last, 0xFFFFFFF0u);
         fx::PutLe32(a.bytes, last + 4, 0x20);
     }},
    {"M: slot table past the end", 1,
     [](fx::Archive& a) { fx::PutLe32(a.bytes, 8, static_cast<std::uint32_t>(a.bytes.size())); }},
    {"M: image longer than slot 1027's block", 1,
     [](fx::Archive& a) { fx::PutLe32(a.bytes, SlotEntryAt(a, 1027) + 4, 47); }},
    {"S: no slots", 2, [](fx::Archive& a) { fx::PutLe32(a.bytes, 4, 0); }},
};

class FaceArchiveRejectionTest : public FaceArchivePatchTest, public ::testing::WithParamInterface<BrokenArchive> {};

TEST_P(FaceArchiveRejectionTest, ArchiveNotFittingItsHeaderIsRejectedUnwrittenAndNeverCommitted) {
    const BrokenArchive& broken = GetParam();
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        fx::ArchiveLayout layout;
        layout.seed = static_cast<std::uint8_t>(i + 1);
        archives[i] = fx::BuildArchive(layout);
        if (i == broken.index) broken.breakIt(archives[i]);
        os->AddFile(ArchivePath(i), archives[i].bytes, win::kFileAttributeReadOnly);
    }

    EXPECT_EQ(PatchFaceArchivesStep(job), 0);

    EXPECT_EQ(StepCount(dialog), broken.index);
    EXPECT_EQ(Errors(dialog), Codes{static_cast<std::uintptr_t>(201 + broken.index)});
    ExpectArchivesUntouched(win::kFileAttributeReadOnly);
    EXPECT_EQ(Bytes(TempPath(broken.index)), archives[broken.index].bytes);
}

INSTANTIATE_TEST_SUITE_P(EachRule, FaceArchiveRejectionTest, ::testing::ValuesIn(kBrokenArchives));

TEST_F(FaceArchivePatchTest, SlotOutsideTheBitmapIsRejected) {
    fx::ArchiveLayout layout;
    layout.slotCount = 1200;
    PutArchive(0, layout);

    EXPECT_EQ(PatchFaceArchive(1104, 0, images[0].data(), 64), 0);

    EXPECT_EQ(Errors(dialog), Codes{201});
    EXPECT_EQ(Bytes(TempPath(0)), archives[0].bytes);
}

struct FileFault {
    const char* name;
    std::function<void(platform::fake::FakePlatform&)> arm;
};

void PrintTo(const FileFault& fault, std::ostream* out) { *out << fault.name; }

const FileFault kFileFaults[] = {
    {"length",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::GetFileSizeEx, 1});
     }},
    {"first read",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::ReadFile, 1});
     }},
    {"a later read",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::ReadFile, 40});
     }},
    {"short header read", [](platform::fake::FakePlatform& f) { f.ShortRead(1, 10); }},
    {"first write",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::WriteFile, 1, win::kErrorDiskFull});
     }},
    {"short write", [](platform::fake::FakePlatform& f) { f.ShortWrite(5, 6); }},
    {"seek",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::SetFilePointerEx, 3});
     }},
    {"flush",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::FlushFileBuffers, 1});
     }},
    {"close",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::CloseFile, 1});
     }},
};

class FaceArchiveFileFaultTest : public FaceArchivePatchTest, public ::testing::WithParamInterface<FileFault> {};

TEST_P(FaceArchiveFileFaultTest, FaultInsideTheOpenCopyEndsWithItsOwnCodeAndMovesNothing) {
    PutArchives(win::kFileAttributeReadOnly);
    GetParam().arm(*os);

    EXPECT_EQ(PatchFaceArchivesStep(job), 0);

    EXPECT_EQ(StepCount(dialog), 0);
    EXPECT_EQ(Errors(dialog), Codes{201});
    EXPECT_EQ(os->Calls(Op::MoveFileEx), 0u);
    ExpectArchivesUntouched(win::kFileAttributeReadOnly);
    EXPECT_FALSE(os->Exists(TempPath(1)));
}

INSTANTIATE_TEST_SUITE_P(EachOperation, FaceArchiveFileFaultTest, ::testing::ValuesIn(kFileFaults));

TEST_F(FaceArchivePatchTest, ReadOnlyLeftoverTemporaryIsReplacedByAFreshCopy) {
    PutArchives(win::kFileAttributeReadOnly);
    // A patched copy of an older archive, left by an interrupted run.
    fx::ArchiveLayout older;
    older.seed = 9;
    os->AddFile(TempPath(0), fx::BuildArchive(older).bytes, win::kFileAttributeReadOnly);

    EXPECT_EQ(PatchFaceArchivesStep(job), 1);

    EXPECT_EQ(Bytes(ArchivePath(0)), Expected(0));
    EXPECT_EQ(Errors(dialog), Codes{});
}

TEST_F(FaceArchivePatchTest, LeftoverTemporaryIsNeverCommittedWhenTheFreshCopyFails) {
    PutArchives(win::kFileAttributeReadOnly);
    fx::ArchiveLayout older;
    older.seed = 9;
    const std::vector<std::uint8_t> leftover = fx::BuildArchive(older).bytes;
    os->AddFile(TempPath(0), leftover, win::kFileAttributeReadOnly);
    os->InjectFault(Fault{Op::CopyFile, 1, win::kErrorDiskFull});

    EXPECT_EQ(PatchFaceArchivesStep(job), 0);

    EXPECT_EQ(Errors(dialog), Codes{201});
    ExpectArchivesUntouched(win::kFileAttributeReadOnly);
    EXPECT_EQ(Bytes(TempPath(0)), leftover);
}

TEST_F(FaceArchivePatchTest, UnknownDocumentsFolderFailsWithoutWritingAnything) {
    PutArchives();
    os->SetPersonalFolder(std::nullopt);
    const std::vector<std::string> before = os->ListAll();

    EXPECT_EQ(PatchFaceArchivesStep(job), 0);

    EXPECT_EQ(Errors(dialog), Codes{201});
    EXPECT_EQ(os->ListAll(), before);
    EXPECT_EQ(os->Calls(Op::CopyFile), 0u);
    EXPECT_EQ(os->Calls(Op::SetFileAttributes), 0u);
}

}  // namespace
