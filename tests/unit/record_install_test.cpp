#include "install/RecordInstall.h"

#include "install/Paths.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/install_step_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace win = platform::win;
using install_step_fixture::Codes;
using install_step_fixture::Errors;
using install_step_fixture::StepCount;
using platform::fake::Fault;
using platform::fake::Op;

std::string RecordPath(const char* name) { return test_scene::InDocuments(std::string(kRecordFolder) + name); }
std::string TempPath(const char* name) { return RecordPath(name) + ".$$$"; }

const char* const kBase = "addonwarlord1.77B";
const char* const kExpansion = "addonwarlord1.77P";
const std::vector<std::uint8_t> kEarlierRecord = {'o', 'l', 'd'};

class RecordInstallTest : public ::testing::Test {
protected:
    RecordInstallTest() {
        test_scene::SetUpDocuments(*os);
        os->AddFolder(test_scene::InDocuments(kRecordFolder));
    }

    // The job as the preparation step fills it for `edition`, with a record
    // of the payload's size.
    void PrepareJob(Edition edition) {
        const bool expansion = edition == Edition::Expansion;
        record.assign(expansion ? 387 : 383, 0);
        for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<std::uint8_t>(i * 13 + 5);
        job.pRecordData = record.data();
        job.dwRecordSize = static_cast<std::uint32_t>(record.size());
        job.strRecordFileName = expansion ? kExpansion : kBase;
        test_scene::InstallGame(*os, edition);
    }

    std::optional<std::vector<std::uint8_t>> Bytes(const std::string& path) { return os->FileBytes(path); }

    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
    std::vector<std::uint8_t> record;
    InstallJob job;
};

struct FirstInstallCase {
    const char* name;
    Edition edition;
    const char* file;
    std::size_t size;
};

void PrintTo(const FirstInstallCase& c, std::ostream* out) { *out << c.name; }

class RecordFirstInstallTest : public RecordInstallTest, public ::testing::WithParamInterface<FirstInstallCase> {};

TEST_P(RecordFirstInstallTest, WritesTheRecordReadOnlyAndLeavesNoTemporary) {
    const FirstInstallCase& c = GetParam();
    PrepareJob(c.edition);

    EXPECT_EQ(InstallRecordStep(job), 1);

    EXPECT_EQ(Bytes(RecordPath(c.file)), record);
    EXPECT_EQ(record.size(), c.size);
    EXPECT_EQ(os->Attributes(RecordPath(c.file)), win::kFileAttributeReadOnly);
    EXPECT_FALSE(os->Exists(TempPath(c.file)));
    EXPECT_EQ(StepCount(dialog), 1);
    EXPECT_EQ(Errors(dialog), Codes{});
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordFirstInstallTest,
                         ::testing::Values(FirstInstallCase{"base", Edition::Base, kBase, 383},
                                           FirstInstallCase{"expansion", Edition::Expansion, kExpansion, 387}));

// A leftover may be read-only (the archives' temporaries are, once patched),
// hidden or system; each refuses being created over until its attributes
// are cleared.
TEST_F(RecordInstallTest, ReplacesAReadOnlyEarlierRecordAndAnyLeftoverTemporary) {
    PrepareJob(Edition::Base);
    os->AddFile(RecordPath(kBase), kEarlierRecord, win::kFileAttributeReadOnly);
    os->AddFile(TempPath(kBase), std::vector<std::uint8_t>(1000, 0xEE),
                win::kFileAttributeReadOnly | win::kFileAttributeHidden | 0x4 /*system*/);

    EXPECT_EQ(InstallRecordStep(job), 1);

    EXPECT_EQ(Bytes(RecordPath(kBase)), record);
    EXPECT_EQ(os->Attributes(RecordPath(kBase)), win::kFileAttributeReadOnly);
    EXPECT_FALSE(os->Exists(TempPath(kBase)));
}

TEST_F(RecordInstallTest, ExpansionRemovesTheReadOnlyBaseRecordAfterInstallingItsOwn) {
    PrepareJob(Edition::Expansion);
    os->AddFile(RecordPath(kBase), kEarlierRecord, win::kFileAttributeReadOnly);

    EXPECT_EQ(InstallRecordStep(job), 1);

    EXPECT_FALSE(os->Exists(RecordPath(kBase)));
    EXPECT_EQ(Bytes(RecordPath(kExpansion)), record);
}

TEST_F(RecordInstallTest, BaseLeavesAnExpansionRecordAlone) {
    PrepareJob(Edition::Base);
    os->AddFile(RecordPath(kExpansion), kEarlierRecord, win::kFileAttributeReadOnly);

    EXPECT_EQ(InstallRecordStep(job), 1);

    EXPECT_EQ(Bytes(RecordPath(kExpansion)), kEarlierRecord);
    EXPECT_EQ(Bytes(RecordPath(kBase)), record);
}

TEST_F(RecordInstallTest, BaseRecordJustInstalledSurvivesARegistryThatNowSaysExpansion) {
    PrepareJob(Edition::Base);
    os->DeleteRegistryKey(test_scene::ProductKeyPath(Edition::Base));
    test_scene::InstallGame(*os, Edition::Expansion);

    EXPECT_EQ(InstallRecordStep(job), 1);

    EXPECT_EQ(Bytes(RecordPath(kBase)), record);
}

TEST_F(RecordInstallTest, MissingRecordIsRefusedWith301AndReplacesNothing) {
    PrepareJob(Edition::Base);
    os->AddFile(RecordPath(kBase), kEarlierRecord, win::kFileAttributeReadOnly);
    job.pRecordData = nullptr;
    job.dwRecordSize = 0;

    EXPECT_EQ(InstallRecordStep(job), 0);

    EXPECT_EQ(Errors(dialog), Codes{301});
    EXPECT_EQ(Bytes(RecordPath(kBase)), kEarlierRecord);
    EXPECT_FALSE(os->Exists(TempPath(kBase)));
}

TEST_F(RecordInstallTest, RecordHeldOpenFailsWith302AndKeepsTheTemporary) {
    PrepareJob(Edition::Base);
    os->AddFile(RecordPath(kBase), kEarlierRecord, win::kFileAttributeReadOnly);
    const platform::FileHandle holder = os->HoldOpen(RecordPath(kBase), win::kGenericRead, win::kFileShareRead);

    EXPECT_EQ(InstallRecordStep(job), 0);
    os->Release(holder);

    EXPECT_EQ(Errors(dialog), Codes{302});
    EXPECT_EQ(StepCount(dialog), 0);
    EXPECT_EQ(Bytes(TempPath(kBase)), record);
    EXPECT_EQ(Bytes(RecordPath(kBase)), kEarlierRecord);
    EXPECT_EQ(os->Attributes(RecordPath(kBase)), win::kFileAttributeArchive);
}

struct CreateFailure {
    const char* name;
    std::function<void(platform::fake::FakePlatform&)> arrange;
};

void PrintTo(const CreateFailure& c, std::ostream* out) { *out << c.name; }

const CreateFailure kCreateFailures[] = {
    {"temporary cannot be created on a full disk",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::CreateFile, 1, win::kErrorDiskFull, true});
     }},
    {"temporary's folder is gone",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::CreateFile, 1, win::kErrorPathNotFound});
     }},
    {"write fails",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::WriteFile, 1, win::kErrorDiskFull});
     }},
    {"write is short", [](platform::fake::FakePlatform& f) { f.ShortWrite(1, 100); }},
    {"flush fails",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::FlushFileBuffers, 1});
     }},
    {"close fails",
     [](platform::fake::FakePlatform& f) {
         f.InjectFault(Fault{Op::CloseFile, 1});
     }},
    {"documents folder unknown", [](platform::fake::FakePlatform& f) { f.SetPersonalFolder(std::nullopt); }},
};

class RecordCreateFailureTest : public RecordInstallTest, public ::testing::WithParamInterface<CreateFailure> {};

TEST_P(RecordCreateFailureTest, FailsWith301AndLeavesTheInstalledRecordAsItWas) {
    PrepareJob(Edition::Base);
    os->AddFile(RecordPath(kBase), kEarlierRecord, win::kFileAttributeReadOnly);
    GetParam().arrange(*os);

    EXPECT_EQ(InstallRecordStep(job), 0);

    EXPECT_EQ(Errors(dialog), Codes{301});
    EXPECT_EQ(StepCount(dialog), 0);
    EXPECT_EQ(Bytes(RecordPath(kBase)), kEarlierRecord);
    EXPECT_EQ(os->Attributes(RecordPath(kBase)), win::kFileAttributeReadOnly);
    EXPECT_EQ(os->Calls(Op::MoveFileEx), 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordCreateFailureTest, ::testing::ValuesIn(kCreateFailures));

TEST_F(RecordInstallTest, MissingRecordFolderFailsWith301) {
    PrepareJob(Edition::Base);
    os->SetPersonalFolder(std::string("C:\\Users\\nobody"));

    EXPECT_EQ(InstallRecordStep(job), 0);

    EXPECT_EQ(Errors(dialog), Codes{301});
}

}  // namespace
