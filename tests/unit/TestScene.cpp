#include "tests/unit/TestScene.h"

#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "install/ProgressDialogLink.h"
#include "platform/framework/CDialog.h"

#include <cstring>

namespace test_scene {

const char kDocumentsFolder[] = "C:\\Users\\u\\Documents";
const char kGameDocuments[] = "C:\\Users\\u\\Documents\\ZAVO\\Vantaris77 Tc\\";

namespace {

constexpr std::uint64_t kTicksPerSecond = 10000000;
// Days from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

void PutLe32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PutText(std::vector<std::uint8_t>& bytes, std::size_t offset, const char* text) {
    std::memcpy(bytes.data() + offset, text, std::strlen(text));
}

std::vector<std::uint8_t> WarlordRecord(bool expansion) {
    std::vector<std::uint8_t> record(expansion ? 387 : 383, 0);
    PutText(record, 0, expansion ? "VANT77EDIT_V7   " : "VANT77EDIT_V6   ");
    PutText(record, 16, expansion ? "VANT77EDITB_V7  " : "VANT77EDITB_V6  ");
    PutLe32(record, 32, expansion ? 7 : 6);
    PutText(record, 52, "\xBA\xD1\xAD\xEC");  // the family name, Big5
    PutLe32(record, 375, 1532);
    if (expansion) PutLe32(record, 383, 1);
    return record;
}

std::vector<std::uint8_t> FaceImage(std::uint32_t side) {
    const std::uint32_t size = 56 + 4 * side * side;
    std::vector<std::uint8_t> image(size, 0);
    PutLe32(image, 8, size);
    for (std::uint32_t i = 56; i < size; ++i) image[i] = static_cast<std::uint8_t>(i * 7 + side);
    return image;
}

}  // namespace

platform::FileTime UtcTime(int year, int month, int day, int hour, int minute) {
    const std::int64_t days = DaysFromCivil(year, month, day) + kDaysFrom1601To1970;
    const std::int64_t seconds = days * 86400 + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60;
    return platform::FileTime{static_cast<std::uint64_t>(seconds) * kTicksPerSecond};
}

std::string ProductKeyPath(Edition edition) {
    return edition == Edition::Expansion ? "software\\ZAVO\\Vantaris77QX Tc" : "software\\ZAVO\\Vantaris77 Tc";
}

std::string DefaultInstallDir(Edition edition) {
    return edition == Edition::Expansion ? "D:\\Games\\Vantaris77QX\\" : "D:\\Games\\Vantaris77\\";
}

std::vector<std::uint8_t> PlaceholderFaceArchive(int index) {
    const char* const names[kFaceArchiveCount] = {"L archive", "M archive", "S archive"};
    const char* name = names[index];
    return std::vector<std::uint8_t>(name, name + std::strlen(name));
}

void InstallGame(platform::fake::FakePlatform& fake, Edition edition, const GameSetup& setup) {
    const std::string dir = setup.installDir.empty() ? DefaultInstallDir(edition) : setup.installDir;
    const std::string product = ProductKeyPath(edition);
    fake.SetRegistryString(product + "\\Install", "InstallInfo", dir);
    fake.SetRegistryDword(product + "\\PL", "1", setup.patchLevel);

    // The files lie in the folder itself even when "InstallInfo" lacks its backslash.
    const std::string folder = dir.back() == '\\' ? dir : dir + "\\";
    if (folder.size() > 1 && folder[1] == ':') fake.AddDrive(folder[0]);
    fake.AddFolder(folder);
    if (setup.createExe) {
        fake.AddFile(folder + GameExeName(edition), {'M', 'Z'}, platform::win::kFileAttributeArchive,
                     setup.exeLastWrite);
    }
    if (!setup.createSourceArchives) return;
    fake.AddFolder(folder + "GRP");
    for (int i = 0; i < kFaceArchiveCount; ++i) {
        fake.AddFile(folder + FaceArchiveSourcePaths[i], setup.sourceArchives[i]);
    }
}

void SetUpDocuments(platform::fake::FakePlatform& fake) {
    fake.AddFolder(kDocumentsFolder);
    fake.SetPersonalFolder(std::string(kDocumentsFolder));
}

std::string InDocuments(const std::string& relative) { return std::string(kDocumentsFolder) + "\\" + relative; }

std::string FaceArchiveFolderInDocuments() {
    const std::string archive = InDocuments(FaceArchivePaths[0]);
    return archive.substr(0, archive.rfind('\\'));
}

namespace {
std::uint32_t FaceSide(FaceScale scale, int index) {
    const std::uint32_t largest = scale == FaceScale::kFull ? 256 : 16;
    return largest >> index;
}
}  // namespace

std::uint32_t FaceImageSize(FaceScale scale, int index) {
    const std::uint32_t side = FaceSide(scale, index);
    return 56 + 4 * side * side;
}

void AddPayload(platform::fake::FakePlatform& fake, FaceScale scale) {
    fake.AddResource(137, "BINARY", WarlordRecord(false));
    fake.AddResource(138, "BINARY", WarlordRecord(true));
    fake.AddResource(140, "BINARY", FaceImage(FaceSide(scale, 0)));
    fake.AddResource(141, "BINARY", FaceImage(FaceSide(scale, 1)));
    fake.AddResource(139, "BINARY", FaceImage(FaceSide(scale, 2)));
}

bool operator==(const Post& a, const Post& b) { return a.message == b.message && a.wParam == b.wParam; }

std::ostream& operator<<(std::ostream& out, const Post& post) {
    switch (post.message) {
    case WM_INSTALL_STEP:
        return out << "STEP";
    case WM_INSTALL_DONE:
        return out << "DONE";
    case WM_INSTALL_ERROR:
        return out << "ERROR " << post.wParam;
    default:
        return out << "message " << post.message << " wParam " << post.wParam;
    }
}

Post Step() { return Post{WM_INSTALL_STEP, 0}; }
Post Done() { return Post{WM_INSTALL_DONE, 0}; }
Post Error(int code) { return Post{WM_INSTALL_ERROR, static_cast<std::uintptr_t>(code)}; }

// A dialog that has a window but runs no modal loop: the test's thread
// stands in for the dialog's.
struct ScopedProgressDialog::Dialog : platform::CDialog {
    Dialog() : CDialog(102) {}
    bool OnInitDialog() override { return true; }
};

namespace {
constexpr std::uint32_t kWmNcDestroy = 0x0082;
}

ScopedProgressDialog::ScopedProgressDialog(platform::fake::FakePlatform& fake)
    : fake_(fake), dialog_(std::make_unique<Dialog>()) {
    std::intptr_t result = 0;
    dialog_->HandleDialogMessage(fake_.AddWindow("#32770"), platform::win::kWmInitDialog, 0, 0, &result);
    g_pProgressDlg.store(dialog_.get());
}

ScopedProgressDialog::~ScopedProgressDialog() {
    g_pProgressDlg.store(nullptr);
    std::intptr_t result = 0;
    dialog_->HandleDialogMessage(Window(), kWmNcDestroy, 0, 0, &result);
}

platform::Window ScopedProgressDialog::Window() const { return dialog_->GetSafeHwnd(); }

std::vector<Post> ScopedProgressDialog::Posts() const {
    std::vector<Post> posts;
    for (const platform::fake::PostedMessage& posted : fake_.Posted()) {
        if (posted.window == Window()) posts.push_back(Post{posted.message, posted.wParam});
    }
    return posts;
}

}  // namespace test_scene
