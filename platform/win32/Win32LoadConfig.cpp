// The executable's load configuration, whose DependentLoadFlags tell Windows
// (10 version 1607 and later) to take the DLLs that the static imports pull
// in from the system folder only, before any code of the program runs.
//
// Microsoft's linker builds this structure itself: there the flags are set
// with /DEPENDENTLOADFLAG:0x800 (see app/CMakeLists.txt). GNU ld links the
// structure below by its well-known name; before binutils 2.41 it does not
// point the image's load-configuration directory at it, which the build does
// afterwards (cmake/pe_load_config.py).
#if !defined(_MSC_VER)

#include "platform/win32/WindowsApi.h"

#include <cstddef>
#include <cstdint>

namespace {

// IMAGE_LOAD_CONFIG_DIRECTORY64 as today's Windows defines it; the
// toolchain's headers may know only an older, shorter one.
struct LoadConfiguration {
    std::uint32_t Size;
    std::uint32_t TimeDateStamp;
    std::uint16_t MajorVersion;
    std::uint16_t MinorVersion;
    std::uint32_t GlobalFlagsClear;
    std::uint32_t GlobalFlagsSet;
    std::uint32_t CriticalSectionDefaultTimeout;
    std::uint64_t DeCommitFreeBlockThreshold;
    std::uint64_t DeCommitTotalFreeThreshold;
    std::uint64_t LockPrefixTable;
    std::uint64_t MaximumAllocationSize;
    std::uint64_t VirtualMemoryThreshold;
    std::uint64_t ProcessAffinityMask;
    std::uint32_t ProcessHeapFlags;
    std::uint16_t CSDVersion;
    std::uint16_t DependentLoadFlags;
    std::uint64_t EditList;
    std::uint64_t SecurityCookie;
    std::uint64_t SEHandlerTable;
    std::uint64_t SEHandlerCount;
    std::uint64_t GuardCFCheckFunctionPointer;
    std::uint64_t GuardCFDispatchFunctionPointer;
    std::uint64_t GuardCFFunctionTable;
    std::uint64_t GuardCFFunctionCount;
    std::uint32_t GuardFlags;
    std::uint16_t CodeIntegrityFlags;
    std::uint16_t CodeIntegrityCatalog;
    std::uint32_t CodeIntegrityCatalogOffset;
    std::uint32_t CodeIntegrityReserved;
    std::uint64_t GuardAddressTakenIatEntryTable;
    std::uint64_t GuardAddressTakenIatEntryCount;
    std::uint64_t GuardLongJumpTargetTable;
    std::uint64_t GuardLongJumpTargetCount;
    std::uint64_t DynamicValueRelocTable;
    std::uint64_t CHPEMetadataPointer;
    std::uint64_t GuardRFFailureRoutine;
    std::uint64_t GuardRFFailureRoutineFunctionPointer;
    std::uint32_t DynamicValueRelocTableOffset;
    std::uint16_t DynamicValueRelocTableSection;
    std::uint16_t Reserved2;
    std::uint64_t GuardRFVerifyStackPointerFunctionPointer;
    std::uint32_t HotPatchTableOffset;
    std::uint32_t Reserved3;
    std::uint64_t EnclaveConfigurationPointer;
    std::uint64_t VolatileMetadataPointer;
    std::uint64_t GuardEHContinuationTable;
    std::uint64_t GuardEHContinuationCount;
    std::uint64_t GuardXFGCheckFunctionPointer;
    std::uint64_t GuardXFGDispatchFunctionPointer;
    std::uint64_t GuardXFGTableDispatchFunctionPointer;
    std::uint64_t CastGuardOsDeterminedFailureMode;
    std::uint64_t GuardMemcpyFunctionPointer;
};
static_assert(offsetof(LoadConfiguration, DependentLoadFlags) == 0x4E, "layout of Windows' structure");
static_assert(offsetof(LoadConfiguration, GuardFlags) == 0x90, "layout of Windows' structure");
static_assert(sizeof(LoadConfiguration) == 0x140, "layout of Windows' structure");

constexpr LoadConfiguration MakeLoadConfiguration() {
    LoadConfiguration configuration{};
    configuration.Size = sizeof(LoadConfiguration);
    configuration.DependentLoadFlags = LOAD_LIBRARY_SEARCH_SYSTEM32;
    return configuration;
}

}  // namespace

extern "C" {
extern const LoadConfiguration _load_config_used;
__attribute__((used)) const LoadConfiguration _load_config_used = MakeLoadConfiguration();
}

#endif
