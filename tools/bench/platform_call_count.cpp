// Counts the platform calls of one whole installation against the platform
// double, for archives of 1104 slots and of the fewest slots that still hold
// the target slot, so that the cost of one slot shows apart from the fixed cost.
//
//   platform_call_count [PAYLOAD_DIR]
//
// The count does not depend on the size of the image blocks, so the archives
// are small. Exits 1 when the installation did not succeed.
#include "app/ExitCodes.h"
#include "app/KestrelApp.h"
#include "install/InstallWorker.h"
#include "install/Paths.h"
#include "install/Payload.h"
#include "platform/fake/FakePlatform.h"
#include "platform/framework/CWinApp.h"
#include "tests/unit/face_archive_fixture.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using platform::fake::FakePlatform;
using platform::fake::Op;
using platform::fake::ScopedFakeOs;

constexpr char kInstallDir[] = "D:\\Games\\Vantaris77\\";
// 2012-06-01 00:00 UTC in 100 ns ticks since 1601: a game patched far enough.
constexpr std::uint64_t kGameExeDate = 129829824000000000ULL;

struct PayloadFile {
    std::uint16_t id;
    const char* name;
};
constexpr PayloadFile kPayloadFiles[] = {
    {kPayloadBaseRecord, "record_base.bin"}, {kPayloadExpansionRecord, "record_expansion.bin"},
    {kPayloadFaceL, "face_l.bin"},           {kPayloadFaceM, "face_m.bin"},
    {kPayloadFaceS, "face_s.bin"},
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct RunResult {
    int exitCode = -1;
    std::uint64_t totalCalls = 0;
    std::uint64_t callsPerOp[static_cast<int>(Op::Count_)] = {};
};

RunResult InstallWithSlots(const std::string& payloadDir, std::uint32_t slotCount) {
    ScopedFakeOs os;
    FakePlatform& fake = *os;
    std::uint32_t imageSizes[kFaceArchiveCount] = {};
    for (const PayloadFile& file : kPayloadFiles) {
        const std::vector<std::uint8_t> bytes = ReadWholeFile(payloadDir + "/" + file.name);
        fake.AddResource(file.id, "BINARY", bytes);
        if (file.id == kPayloadFaceL) imageSizes[0] = static_cast<std::uint32_t>(bytes.size());
        if (file.id == kPayloadFaceM) imageSizes[1] = static_cast<std::uint32_t>(bytes.size());
        if (file.id == kPayloadFaceS) imageSizes[2] = static_cast<std::uint32_t>(bytes.size());
    }
    fake.SetRegistryString("software\\ZAVO\\Vantaris77 Tc\\Install", "InstallInfo", kInstallDir);
    fake.SetRegistryDword("software\\ZAVO\\Vantaris77 Tc\\PL", "1", 2);
    fake.AddDrive('D');
    fake.AddFolder(std::string(kInstallDir) + "GRP");
    fake.AddFile(std::string(kInstallDir) + "VANT77.exe", {'M', 'Z'}, platform::win::kFileAttributeArchive,
                 platform::FileTime{kGameExeDate});
    for (int index = 0; index < kFaceArchiveCount; ++index) {
        // The count does not depend on the other slots' block sizes.
        face_archive_fixture::ArchiveLayout layout;
        layout.slotCount = slotCount;
        layout.otherBlockLength = 64;
        layout.targetBlockLength = imageSizes[index];
        fake.AddFile(std::string(kInstallDir) + FaceArchiveSourcePaths[index],
                     face_archive_fixture::BuildArchive(layout).bytes);
    }
    fake.SetModalIdleLimitMs(10000);
    fake.ResetCounts();

    RunResult result;
    {
        CKestrelApp app(InstallWorker);
        result.exitCode = platform::AfxWinMain();
    }
    result.totalCalls = fake.TotalCalls();
    for (int op = 0; op < static_cast<int>(Op::Count_); ++op) {
        result.callsPerOp[op] = fake.Calls(static_cast<Op>(op));
    }
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string payloadDir = argc > 1 ? argv[1] : INSTALLER_PAYLOAD_DIR;
    constexpr std::uint32_t kFullSlots = 1104;
    constexpr std::uint32_t kFewestSlots = 1028;
    const RunResult full = InstallWithSlots(payloadDir, kFullSlots);
    const RunResult fewest = InstallWithSlots(payloadDir, kFewestSlots);
    if (full.exitCode != exit_code::kInstalled || fewest.exitCode != exit_code::kInstalled) {
        std::fprintf(stderr, "the installation did not succeed (exit codes %d and %d)\n", full.exitCode,
                     fewest.exitCode);
        return 1;
    }

    std::printf("%-26s %10s %10s\n", "platform operation", "1104 slots", "1028 slots");
    for (int op = 0; op < static_cast<int>(Op::Count_); ++op) {
        if (full.callsPerOp[op] == 0 && fewest.callsPerOp[op] == 0) continue;
        std::printf("%-26s %10llu %10llu\n", platform::fake::OpName(static_cast<Op>(op)),
                    static_cast<unsigned long long>(full.callsPerOp[op]),
                    static_cast<unsigned long long>(fewest.callsPerOp[op]));
    }
    const std::uint64_t limit = 4 * kFullSlots + 100;
    const double perSlot = static_cast<double>(full.totalCalls - fewest.totalCalls) / (kFullSlots - kFewestSlots);
    std::printf("TotalCalls_1104_slots=%llu\n", static_cast<unsigned long long>(full.totalCalls));
    std::printf("TotalCalls_1028_slots=%llu\n", static_cast<unsigned long long>(fewest.totalCalls));
    std::printf("calls_per_slot=%.2f\n", perSlot);
    std::printf("fixed_calls=%.0f\n", static_cast<double>(full.totalCalls) - perSlot * kFullSlots);
    std::printf("limit_4n_plus_100=%llu\n", static_cast<unsigned long long>(limit));
    std::printf("within_limit=%s\n", full.totalCalls <= limit ? "yes" : "no");
    return 0;
}
