// What a contract test needs besides the platform under test: a scratch
// folder, a scratch registry key and a few facts about the system, set up by
// means the platform interface does not offer (it only reads the registry).
//
// The native build provides it over the double; the Windows build over the
// real system, working under %TEMP% and HKCU\Software\InstallerContractTests.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace contract {

constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;

// A file that another program has mapped into memory, until it goes.
class Mapping {
public:
    virtual ~Mapping() = default;
};

class Environment {
public:
    virtual ~Environment() = default;
    virtual platform::Platform& Os() = 0;
    // An existing, empty folder: an absolute path ending with a backslash.
    virtual std::string ScratchFolder() = 0;
    // A key path below HKEY_CURRENT_USER, as "Software\\...\\<test>"; it exists and
    // is removed with everything below it when the environment ends.
    virtual std::string ScratchKey() = 0;
    // Stores a value in the key `ScratchKey() + "\\" + subKey` (created if missing).
    // REG_SZ values are given as their text and terminating zero.
    virtual void SetRegistryValue(const std::string& subKey, const std::string& name, std::uint32_t type,
                                  const std::vector<std::uint8_t>& bytes) = 0;
    // The local time's offset from UTC, when this environment knows it.
    virtual std::optional<int> UtcOffsetMinutes() = 0;
    // Makes `number` the system's ANSI code page where this environment can
    // choose it (the double); elsewhere true only when it is that one already.
    virtual bool UseAnsiCodePage(std::uint32_t number) = 0;
    // True under Wine, which differs from Windows in a few rules the double
    // follows (the tests that check those rules skip there).
    virtual bool UnderWine() = 0;

    // An existing folder (absolute, ending with a backslash) in which this
    // user may change nothing, as Controlled folder access, a ransomware
    // shield or the folder's permissions make it, holding the file
    // "kept.bin" with the bytes "kept\n"; nothing where the environment has
    // none (the test runner prepares one for Wine).
    virtual std::optional<std::string> FolderRefusingWrites() = 0;
    // Maps the existing file `path` into memory as another program would;
    // null when it could not.
    virtual std::unique_ptr<Mapping> MapIntoMemory(const std::string& path) = 0;
    // Makes `path` an online-only file of a cloud sync client, and says
    // whether that client runs; false where this environment cannot.
    virtual bool MakeOnlineOnly(const std::string& path) = 0;
    virtual bool SetSyncClientRunning(bool running) = 0;
    // Runs the process elevated as another user than the one signed in to
    // its desktop; false where this environment cannot.
    virtual bool ElevateAsAnotherUser() = 0;
};

// A fresh environment for the test `testName` (letters, digits and underscores).
std::unique_ptr<Environment> MakeEnvironment(const std::string& testName);

}  // namespace contract
