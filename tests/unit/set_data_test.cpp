#include "install/SetDataFlag.h"

#include "install/Paths.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"
#include "tests/unit/install_step_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
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

constexpr std::size_t kRecordSize = 367;
constexpr char kFamilyName[] = "\xBA\xD1\xAD\xEC";  // the packaged warlord's family name

std::size_t RecordStart(std::size_t k) { return 20 + kRecordSize * k; }
std::size_t StatusAt(std::size_t k) { return RecordStart(k) + 363; }

void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t at, std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(raw >> (8 * i));
}

void PutName(std::vector<std::uint8_t>& bytes, std::size_t record, const char* name) {
    std::memset(&bytes[RecordStart(record) + 36], 0, 11);
    std::memcpy(&bytes[RecordStart(record) + 36], name, std::strlen(name));
}

void PutWarlord(std::vector<std::uint8_t>& bytes, std::size_t record, std::int32_t number, std::int32_t status) {
    PutName(bytes, record, kFamilyName);
    PutLe32(bytes, RecordStart(record) + 355, number);
    PutLe32(bytes, RecordStart(record) + 363, status);
}

// `count` records of other warlords, each with a name, a number and a valid
// status, and patterned bytes in the fields the walk does not read.
std::vector<std::uint8_t> SetData(std::size_t count) {
    std::vector<std::uint8_t> bytes(RecordStart(count));
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    for (std::size_t k = 0; k < count; ++k) {
        PutLe32(bytes, RecordStart(k), 0);
        PutName(bytes, k, "\xA7\x64\xA4\xFD");
        PutLe32(bytes, RecordStart(k) + 355, 1000 + static_cast<std::int32_t>(k));
        PutLe32(bytes, RecordStart(k) + 359, 3);
        PutLe32(bytes, StatusAt(k), static_cast<std::int32_t>(k % 5));
    }
    return bytes;
}

std::string SetDataPath() { return test_scene::InDocuments(std::string(kSetDataFolder) + kSetDataFileName); }

class SetDataTest : public ::testing::Test {
protected:
    SetDataTest() {
        test_scene::SetUpDocuments(*os);
        os->AddFolder(test_scene::InDocuments(kSetDataFolder));
    }

    std::vector<std::uint8_t> Bytes() { return os->FileBytes(SetDataPath()).value_or(std::vector<std::uint8_t>{}); }

    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
};

struct WalkCase {
    const char* name;
    std::function<std::vector<std::uint8_t>()> file;
    std::vector<std::size_t> flagged;  // records whose status must become 1
};

void PrintTo(const WalkCase& c, std::ostream* out) { *out << c.name; }

const WalkCase kWalkCases[] = {
    {"record 5 is the warlord's",
     [] {
         auto bytes = SetData(8);
         PutWarlord(bytes, 5, 1532, 0);
         return bytes;
     },
     {5}},
    {"record already flagged",
     [] {
         auto bytes = SetData(8);
         PutWarlord(bytes, 5, 1532, 1);
         return bytes;
     },
     {5}},
    {"two records of the warlord",
     [] {
         auto bytes = SetData(8);
         PutWarlord(bytes, 2, 1532, 4);
         PutWarlord(bytes, 6, 1532, 0);
         return bytes;
     },
     {2, 6}},
    {"same family name with another number throws the next pass out of step",
     [] {
         auto bytes = SetData(8);
         PutWarlord(bytes, 3, 1000, 0);
         PutWarlord(bytes, 4, 1532, 0);
         std::memset(&bytes[RecordStart(4) + 28], 0, 8);
         PutLe32(bytes, RecordStart(4) + 359, 9);
         PutWarlord(bytes, 5, 1532, 2);
         return bytes;
     },
     {5}},
    {"status out of range leaves the following passes four bytes late",
     [] {
         auto bytes = SetData(8);
         PutLe32(bytes, StatusAt(2), 9);
         PutLe32(bytes, RecordStart(3), 2);
         PutWarlord(bytes, 3, 1532, 0);
         return bytes;
     },
     {}},
    {"file shorter than the first name field", [] { return std::vector<std::uint8_t>(40, 0xBA); }, {}},
    {"file ending where the first name field begins",
     [] {
         auto bytes = SetData(1);
         bytes.resize(56);
         return bytes;
     },
     {}},
    {"last record cut inside its status",
     [] {
         auto bytes = SetData(5);
         PutWarlord(bytes, 4, 1532, 0);
         bytes.resize(StatusAt(4) + 2);
         return bytes;
     },
     {}},
    // The name buffer of the cut record would otherwise still hold the bytes
    // of the flagged record before it, and its number too.
    {"last record cut after four bytes of the same family name",
     [] {
         auto bytes = SetData(5);
         PutWarlord(bytes, 3, 1532, 0);
         PutWarlord(bytes, 4, 1532, 0);
         bytes.resize(RecordStart(4) + 36 + 4);
         return bytes;
     },
     {3}},
};

class SetDataWalkTest : public SetDataTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(SetDataWalkTest, FlagsExactlyTheRecordsTheWalkFindsAndNothingElse) {
    const WalkCase& c = GetParam();
    const std::vector<std::uint8_t> before = c.file();
    os->AddFile(SetDataPath(), before);
    std::vector<std::uint8_t> expected = before;
    for (std::size_t k : c.flagged) PutLe32(expected, StatusAt(k), 1);

    EXPECT_EQ(FlagSetDataRecord(), SetDataFlagResult::kWalked);

    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(os->Calls(Op::WriteFile), c.flagged.size());
    EXPECT_EQ(StepCount(dialog), 1);
    EXPECT_EQ(Errors(dialog), Codes{});
}

INSTANTIATE_TEST_SUITE_P(Cases, SetDataWalkTest, ::testing::ValuesIn(kWalkCases));

TEST_F(SetDataTest, ReadOnlyFileIsPatchedAndLeftWritable) {
    auto bytes = SetData(8);
    PutWarlord(bytes, 5, 1532, 0);
    os->AddFile(SetDataPath(), bytes, win::kFileAttributeReadOnly);

    EXPECT_EQ(FlagSetDataRecord(), SetDataFlagResult::kWalked);

    EXPECT_EQ(Bytes()[StatusAt(5)], 1);
    EXPECT_EQ(os->Attributes(SetDataPath()), win::kFileAttributeArchive);
}

TEST_F(SetDataTest, MissingFileIsNoFailureAndPostsNothing) {
    EXPECT_EQ(FlagSetDataRecord(), SetDataFlagResult::kNoFile);

    EXPECT_TRUE(dialog.Posts().empty());
    EXPECT_FALSE(os->Exists(SetDataPath()));
    EXPECT_EQ(os->Calls(Op::Sleep), 0u) << "an absent file is not waited for";
}

TEST(SetDataWithoutFolder, IsNoFailureAndCreatesNothing) {
    platform::fake::ScopedFakeOs os;
    test_scene::SetUpDocuments(*os);
    test_scene::ScopedProgressDialog dialog{*os};

    EXPECT_EQ(FlagSetDataRecord(), SetDataFlagResult::kNoFile);

    EXPECT_TRUE(dialog.Posts().empty());
    EXPECT_FALSE(os->Exists(test_scene::InDocuments(kSetDataFolder)));
}

TEST_F(SetDataTest, UnknownDocumentsFolderTouchesNothingAndCannotCountAsNoFile) {
    os->SetPersonalFolder(std::nullopt);

    EXPECT_EQ(FlagSetDataRecord(), SetDataFlagResult::kNoDocumentsFolder);

    EXPECT_TRUE(dialog.Posts().empty());
    EXPECT_EQ(os->Calls(Op::SetFileAttributes), 0u);
    EXPECT_EQ(os->Calls(Op::CreateFile), 0u);
}

// Only a set-data file that is there can fail the flag; whatever else stands
// in its way is what the game would meet too: no file to read.
struct OpenFailureCase {
    const char* name;
    std::function<void(platform::fake::FakePlatform&)> arrange;
    SetDataFlagResult result;
};

void PrintTo(const OpenFailureCase& c, std::ostream* out) { *out << c.name; }

class SetDataOpenFailureTest : public SetDataTest, public ::testing::WithParamInterface<OpenFailureCase> {};

TEST_P(SetDataOpenFailureTest, FailsOnlyWhereTheFileIsThere) {
    GetParam().arrange(*os);
    const std::vector<std::string> before = os->ListAll();
    const std::optional<std::vector<std::uint8_t>> bytes = os->FileBytes(SetDataPath());

    EXPECT_EQ(FlagSetDataRecord(), GetParam().result);

    EXPECT_TRUE(dialog.Posts().empty());
    EXPECT_EQ(os->ListAll(), before);
    EXPECT_EQ(os->FileBytes(SetDataPath()), bytes);
}

const OpenFailureCase kOpenFailureCases[] = {
    {"a folder bearing the file's name", [](platform::fake::FakePlatform& fake) { fake.AddFolder(SetDataPath()); },
     SetDataFlagResult::kNoFile},
    {"the file there, every open refused with access denied (Windows or a security program refuses the write)",
     [](platform::fake::FakePlatform& fake) {
         fake.AddFile(SetDataPath(), SetData(8));
         fake.InjectFault(Fault{Op::CreateFile, 1, win::kErrorAccessDenied, true});
     },
     SetDataFlagResult::kRefused},
    {"the file there, its drive not ready",
     [](platform::fake::FakePlatform& fake) {
         fake.AddFile(SetDataPath(), SetData(8));
         fake.InjectFault(Fault{Op::CreateFile, 1, 21 /*ERROR_NOT_READY*/, true});
     },
     SetDataFlagResult::kFailed},
    {"the open refused and then not even its attributes readable",
     [](platform::fake::FakePlatform& fake) {
         fake.AddFile(SetDataPath(), SetData(8));
         fake.InjectFault(Fault{Op::CreateFile, 1, 21 /*ERROR_NOT_READY*/, true});
         fake.InjectFault(Fault{Op::GetFileAttributes, 1, 21 /*ERROR_NOT_READY*/, true});
     },
     SetDataFlagResult::kFailed},
    {"the open refused with access denied and the file gone since",
     [](platform::fake::FakePlatform& fake) {
         fake.InjectFault(Fault{Op::CreateFile, 1, win::kErrorAccessDenied, true});
     },
     SetDataFlagResult::kNoFile},
};

INSTANTIATE_TEST_SUITE_P(Cases, SetDataOpenFailureTest, ::testing::ValuesIn(kOpenFailureCases));

// Paths are built on a documents folder of `rootBytes` bytes (its backslash included).
class SetDataPathLengthTest : public ::testing::Test {
protected:
    std::string UseDocumentsFolderOf(std::size_t rootBytes) {
        const std::string folder = "C:\\" + std::string(rootBytes - 4, 'd');
        os->AddFolder(folder);
        os->SetPersonalFolder(folder);
        const std::string setDataFolder = folder + "\\" + kSetDataFolder;
        return setDataFolder + kSetDataFileName;
    }

    platform::fake::ScopedFakeOs os;
    test_scene::ScopedProgressDialog dialog{*os};
};

// No program that names files as the game does reaches a set-data file at a
// path of 260 bytes or more: there is none for the game, and none to flag.
TEST_F(SetDataPathLengthTest, APathAtTheLimitIsNoFileAndIsNotTouched) {
    const std::string path = UseDocumentsFolderOf(216);
    ASSERT_EQ(path.size(), 260u);

    EXPECT_EQ(FlagSetDataRecord(), SetDataFlagResult::kNoFile);

    EXPECT_EQ(os->Calls(Op::SetFileAttributes), 0u);
    EXPECT_EQ(os->Calls(Op::CreateFile), 0u);
    EXPECT_TRUE(dialog.Posts().empty());
}

TEST_F(SetDataPathLengthTest, APathJustBelowTheLimitIsFlagged) {
    const std::string path = UseDocumentsFolderOf(215);
    ASSERT_EQ(path.size(), 259u);
    os->AddFolder(path.substr(0, path.size() - std::strlen(kSetDataFileName)));
    auto bytes = SetData(8);
    PutWarlord(bytes, 5, 1532, 0);
    os->AddFile(path, bytes);

    EXPECT_EQ(FlagSetDataRecord(), SetDataFlagResult::kWalked);

    EXPECT_EQ(os->FileBytes(path).value_or(std::vector<std::uint8_t>{})[StatusAt(5)], 1);
}

// A file error part-way leaves the flag unknown: the walk reports a failure,
// posts nothing and closes the file, so that a later run can walk it again.
struct FileErrorCase {
    const char* name;
    Fault fault;
};

void PrintTo(const FileErrorCase& c, std::ostream* out) { *out << c.name; }

class SetDataFileErrorTest : public SetDataTest, public ::testing::WithParamInterface<FileErrorCase> {};

TEST_P(SetDataFileErrorTest, EndsTheWalkReportsAFailureAndClosesTheFile) {
    auto bytes = SetData(8);
    PutWarlord(bytes, 5, 1532, 0);
    os->AddFile(SetDataPath(), bytes);
    os->InjectFault(GetParam().fault);

    EXPECT_EQ(FlagSetDataRecord(), SetDataFlagResult::kFailed);

    EXPECT_TRUE(dialog.Posts().empty());
    // A close that failed leaves the double's handle open, so only the
    // other errors can show that the file was closed.
    if (GetParam().fault.op == Op::CloseFile) return;
    const platform::FileHandle reopened = os->HoldOpen(SetDataPath(), win::kGenericRead | win::kGenericWrite, 0);
    EXPECT_NE(reopened, platform::kInvalidFile);
    if (reopened != platform::kInvalidFile) os->Release(reopened);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetDataFileErrorTest,
    ::testing::Values(FileErrorCase{"length", Fault{Op::GetFileSizeEx, 1, win::kErrorAccessDenied}},
                      FileErrorCase{"a read in the middle", Fault{Op::ReadFile, 7, 23 /*ERROR_CRC*/}},
                      FileErrorCase{"the flag's write", Fault{Op::WriteFile, 1, win::kErrorDiskFull}},
                      FileErrorCase{"a seek", Fault{Op::SetFilePointerEx, 4, win::kErrorInvalidParameter}},
                      FileErrorCase{"the flush", Fault{Op::FlushFileBuffers, 1, win::kErrorDiskFull}},
                      FileErrorCase{"the close", Fault{Op::CloseFile, 1, win::kErrorDiskFull}}));

// Another program holds the file open. Only a holder that lets go within the
// attempts lets the flag be set; the attempts are spaced by the one policy.
struct HolderCase {
    const char* name;
    std::uint32_t access;
    std::uint32_t share;
    int attempts;  // kHeldForGood: until the end
    SetDataFlagResult result;
    int opens;
};

constexpr int kHeldForGood = -1;
constexpr std::uint32_t kShareAll = win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete;

void PrintTo(const HolderCase& c, std::ostream* out) { *out << c.name; }

class SetDataHolderTest : public SetDataTest, public ::testing::WithParamInterface<HolderCase> {};

TEST_P(SetDataHolderTest, WaitsForABriefHolderAndFailsBesideALastingOne) {
    const HolderCase& c = GetParam();
    auto bytes = SetData(8);
    PutWarlord(bytes, 5, 1532, 0);
    os->AddFile(SetDataPath(), bytes);
    const platform::FileHandle holder = c.attempts == kHeldForGood
                                            ? os->HoldOpen(SetDataPath(), c.access, c.share)
                                            : os->HoldOpenForAttempts(SetDataPath(), c.access, c.share, c.attempts);
    ASSERT_NE(holder, platform::kInvalidFile);

    EXPECT_EQ(FlagSetDataRecord(), c.result);

    EXPECT_EQ(os->Calls(Op::CreateFile), static_cast<std::uint64_t>(c.opens));
    EXPECT_EQ(os->Sleeps(), std::vector<std::uint32_t>(static_cast<std::size_t>(c.opens - 1), 200u));
    const bool flagged = c.result == SetDataFlagResult::kWalked;
    EXPECT_EQ(Bytes()[StatusAt(5)], flagged ? 1 : 0);
    EXPECT_EQ(StepCount(dialog), flagged ? 1 : 0);
    EXPECT_EQ(Errors(dialog), Codes{});
}

INSTANTIATE_TEST_SUITE_P(Cases, SetDataHolderTest,
                         ::testing::Values(HolderCase{"reader sharing everything, one attempt", win::kGenericRead,
                                                      kShareAll, 1, SetDataFlagResult::kWalked, 2},
                                           HolderCase{"reader sharing everything, until the last attempt",
                                                      win::kGenericRead, kShareAll, 4, SetDataFlagResult::kWalked, 5},
                                           HolderCase{"reader sharing everything, longer than the attempts",
                                                      win::kGenericRead, kShareAll, 5, SetDataFlagResult::kFailed, 5},
                                           HolderCase{"reader sharing everything, for good", win::kGenericRead,
                                                      kShareAll, kHeldForGood, SetDataFlagResult::kFailed, 5},
                                           HolderCase{"writer sharing nothing, for good",
                                                      win::kGenericRead | win::kGenericWrite, 0, kHeldForGood,
                                                      SetDataFlagResult::kFailed, 5}));

}  // namespace
