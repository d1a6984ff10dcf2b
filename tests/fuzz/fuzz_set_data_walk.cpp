// Any bytes as the scenario set-data file, walked by the flag routine. The
// result is compared with a model of the walk over a byte array, written
// here from the record layout: the walk ends at the first read that comes
// back short, and only a status that was just read in full, behind a
// matching name and number, is set to 1.
#include "FuzzCheck.h"

#include "install/Paths.h"
#include "install/SetDataFlag.h"
#include "platform/fake/FakePlatform.h"
#include "tests/unit/TestScene.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using fuzz_check::Le32;
using fuzz_check::Require;

constexpr std::uint8_t kFamilyName[] = {0xBA, 0xD1, 0xAD, 0xEC};  // the packaged warlord's, Big5
constexpr std::int32_t kWarlordNumber = 1532;

// A read position over the file's bytes that fails, like a short read,
// when fewer bytes than asked remain.
class Cursor {
public:
    explicit Cursor(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
    std::uint64_t position = 0;

    bool Take(std::uint64_t count) {
        if (position > bytes_.size() || bytes_.size() - position < count) return false;
        position += count;
        return true;
    }
    bool TakeInt32(std::int32_t& value) {
        if (!Take(4)) return false;
        value = static_cast<std::int32_t>(Le32(bytes_, position - 4));
        return true;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
};

// The 11-byte field read as a zero-terminated name whose last byte is
// never looked at.
bool NameMatches(const std::vector<std::uint8_t>& bytes, std::uint64_t field) {
    for (std::size_t i = 0; i < sizeof kFamilyName; ++i) {
        if (bytes[field + i] != kFamilyName[i]) return false;
    }
    return bytes[field + sizeof kFamilyName] == 0;
}

bool IsStatus(std::int32_t value) { return value >= 0 && value <= 4; }

// One pass from a name field; false when the walk ends in it.
bool Pass(const std::vector<std::uint8_t>& before, std::vector<std::uint8_t>& after, Cursor& at) {
    const std::uint64_t nameField = at.position;
    if (!at.Take(11)) return false;
    at.position += 316;
    std::int32_t status = 0;
    if (!at.TakeInt32(status)) return false;
    for (int extra = 0; extra < 2 && !IsStatus(status); ++extra) {
        if (!at.TakeInt32(status)) return false;
    }
    if (!NameMatches(before, nameField)) return true;
    at.position -= 12;
    std::int32_t number = 0;
    if (!at.TakeInt32(number)) return false;
    if (number == kWarlordNumber) {
        at.position += 4;
        const std::uint8_t one[4] = {1, 0, 0, 0};
        for (std::size_t i = 0; i < 4; ++i) after[at.position + i] = one[i];
        at.position += 4;
    }
    return true;
}

// The walk never reads what it writes before the next pass, so the names
// and numbers can be taken from the bytes as they were.
std::vector<std::uint8_t> ExpectedAfterWalk(const std::vector<std::uint8_t>& before) {
    std::vector<std::uint8_t> after = before;
    Cursor at(before);
    at.position = 56;
    while (at.position <= before.size()) {
        if (!Pass(before, after, at)) break;
        at.position += 36;
    }
    return after;
}

// Coarser than the model and independent of it: every changed byte lies in
// a 4-byte run inside the file that now holds 01 00 00 00.
bool ChangesAreStatusOnes(const std::vector<std::uint8_t>& before, const std::vector<std::uint8_t>& after) {
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        bool inSomeOne = false;
        for (std::size_t start = i >= 3 ? i - 3 : 0; start <= i && !inSomeOne; ++start) {
            inSomeOne = start + 4 <= after.size() && after[start] == 1 && after[start + 1] == 0 &&
                        after[start + 2] == 0 && after[start + 3] == 0;
        }
        if (!inSomeOne) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> before(data, data + size);
    const std::string folder = test_scene::InDocuments(kSetDataFolder);
    const std::string path = folder + kSetDataFileName;

    platform::fake::ScopedFakeOs os;
    test_scene::SetUpDocuments(*os);
    os->AddFolder(folder);
    os->AddFile(path, before);
    test_scene::ScopedProgressDialog dialog(*os);

    const SetDataFlagResult result = FlagSetDataRecord();

    Require(result == SetDataFlagResult::kWalked, "the walk did not report a walked file");
    Require(dialog.Posts().size() == 1 && dialog.Posts()[0] == test_scene::Step(),
            "the walk did not post exactly one progress step");
    const std::vector<std::uint8_t> after = os->FileBytes(path).value_or(std::vector<std::uint8_t>{});
    Require(after.size() == before.size(), "the walk changed the file's length");
    Require(ChangesAreStatusOnes(before, after), "a changed byte is not part of a status set to 1");
    Require(after == ExpectedAfterWalk(before), "the walk changed other bytes than the model's");
    return 0;
}
