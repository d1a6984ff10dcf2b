// Any bytes as a face archive, patched as the L, M or S archive (the first
// input byte chooses). The patch either rejects the archive, leaving it as
// it was, or produces exactly what a correct patch makes of it; the check of
// the latter is written here from the file format, not by calling the patch
// code again.
#include "FuzzCheck.h"

#include "install/FaceArchivePatch.h"
#include "install/InstallMessages.h"
#include "install/Paths.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using fuzz_check::Le32;
using fuzz_check::Require;
namespace win = platform::win;

constexpr std::uint32_t kSlot = 1027;
constexpr std::uint64_t kHeaderSize = 32;
constexpr std::uint64_t kSlotEntrySize = 8;
constexpr std::uint64_t kEntrySize = 12;
constexpr std::uint64_t kBitmapSize = 138;
constexpr std::uint64_t kBitmapByteOfSlot = kSlot / 8;
constexpr std::uint8_t kBitmapMaskOfSlot = 1u << (kSlot % 8);

// Small stand-ins for the real images, so that the seed archives stay small;
// distinct bytes show a misplaced or truncated write.
std::vector<std::uint8_t> MakeImage(std::uint32_t size, std::uint8_t seed) {
    std::vector<std::uint8_t> image(size);
    for (std::uint32_t i = 0; i < size; ++i) image[i] = static_cast<std::uint8_t>(seed + 37 * i + 1);
    return image;
}

const std::vector<std::uint8_t>& Image(int index) {
    static const std::vector<std::uint8_t> images[kFaceArchiveCount] = {MakeImage(64, 0x10), MakeImage(48, 0x20),
                                                                        MakeImage(32, 0x30)};
    return images[index];
}

// What a correct patch makes of `archive`, or nothing when the archive does
// not fit its header: then the only sound outcome is a rejection. Every
// position comes from the archive as given, and the writes land in the
// documented order (entry table, image, bitmap), which decides the bytes
// where regions overlap.
std::optional<std::vector<std::uint8_t>> CorrectPatch(const std::vector<std::uint8_t>& archive, int index,
                                                      const std::vector<std::uint8_t>& image) {
    const std::uint64_t length = archive.size();
    auto inside = [length](std::uint64_t start, std::uint64_t size) { return start + size <= length; };
    const bool large = index == 0;

    if (length < kHeaderSize) return std::nullopt;
    const std::uint64_t slotCount = Le32(archive, 4);
    const std::uint64_t slotTable = Le32(archive, 8);
    const std::uint64_t entryTable = Le32(archive, 16);
    if (slotCount <= kSlot) return std::nullopt;
    if (!inside(slotTable, kSlotEntrySize * slotCount)) return std::nullopt;
    if (large && !inside(entryTable, kEntrySize * slotCount)) return std::nullopt;

    const std::uint64_t block = Le32(archive, slotTable + kSlotEntrySize * kSlot);
    const std::uint64_t blockLength = Le32(archive, slotTable + kSlotEntrySize * kSlot + 4);
    if (!inside(block, blockLength) || image.size() > blockLength) return std::nullopt;
    std::uint64_t bitmap = 0;
    if (large) {
        const std::uint64_t last = slotTable + kSlotEntrySize * (slotCount - 1);
        bitmap = std::uint64_t{Le32(archive, last)} + Le32(archive, last + 4);
        if (!inside(bitmap, kBitmapSize)) return std::nullopt;
    }

    std::vector<std::uint8_t> patched = archive;
    if (large) {
        for (std::uint64_t k = 0; k < slotCount; ++k) {
            const std::uint64_t words = entryTable + kEntrySize * k + 4;
            patched[words] = 0xF0;
            patched[words + 1] = 0x00;
            patched[words + 2] = 0xF0;
            patched[words + 3] = 0x00;
        }
    }
    for (std::size_t i = 0; i < image.size(); ++i) patched[block + i] = image[i];
    if (large) patched[bitmap + kBitmapByteOfSlot] |= kBitmapMaskOfSlot;
    return patched;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int index = data[0] % kFaceArchiveCount;
    const std::vector<std::uint8_t> archive(data + 1, data + size);
    const std::vector<std::uint8_t>& image = Image(index);
    const std::string archivePath = test_scene::InDocuments(FaceArchivePaths[index]);
    const std::string tempPath = test_scene::InDocuments(FaceArchiveTempPaths[index]);

    platform::fake::ScopedFakeOs os;
    test_scene::SetUpDocuments(*os);
    os->AddFolder(test_scene::InDocuments("ZAVO\\Vantaris77 Tc\\GRP"));
    os->AddFile(archivePath, archive);
    test_scene::ScopedProgressDialog dialog(*os);
    const std::size_t entriesBefore = os->ListAll().size();

    const int result = PatchFaceArchive(kSlot, index, image.data(), static_cast<std::uint32_t>(image.size()));

    // The patch phase works on the copy only, whatever the outcome.
    Require(os->FileBytes(archivePath) == archive, "the archive itself was changed");
    Require(os->Attributes(archivePath) == win::kFileAttributeArchive, "the archive's attributes were changed");
    Require(os->ListAll().size() <= entriesBefore + 1, "something besides the temporary copy was created");

    const std::optional<std::vector<std::uint8_t>> expected = CorrectPatch(archive, index, image);
    const std::vector<test_scene::Post> posts = dialog.Posts();
    if (result == 0) {
        Require(posts.size() == 1 && posts[0] == test_scene::Error(kErrorFaceArchivePatch + index),
                "a rejection did not post exactly 201 + index");
        Require(!expected.has_value(), "an archive that fits its header was rejected");
        // Read-only marks a finished copy; a rejected one must not look like it.
        const std::uint32_t tempAttributes = os->Attributes(tempPath);
        Require(tempAttributes == win::kInvalidFileAttributes || (tempAttributes & win::kFileAttributeReadOnly) == 0,
                "a rejected copy was marked read-only");
        return 0;
    }
    Require(result == 1, "the patch returned neither 0 nor 1");
    Require(posts.empty(), "an accepted patch posted a message");
    Require(expected.has_value(), "an archive that does not fit its header was accepted");
    Require(os->FileBytes(tempPath) == *expected, "the copy differs from a correct patch");
    Require(os->Attributes(tempPath) == win::kFileAttributeReadOnly, "the patched copy is not read-only");
    return 0;
}
