// Run under Wine beside DLLs named like system ones, with Wine told to prefer
// such files to its own (as Windows does for names it does not protect):
// whichever way the program loads a system DLL, the one it gets lies in the
// system folder.
#include "platform/win32/Win32SystemLibrary.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

using platform::win32::LoadSystemLibraryByPath;

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string FolderOf(HMODULE module) {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
    std::string text(path, length);
    return Lower(text.substr(0, text.find_last_of('\\')));
}

std::string SystemFolder() {
    char path[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    return Lower(std::string(path, length));
}

std::string ProgramFolder() { return FolderOf(nullptr); }

// The names the test's runner plants beside the test program, each loaded
// in one case only: a DLL loaded once is found again by its name, wherever
// a later load would have searched. The cases run in their order here: the
// restriction, once made, holds for the process.
const char* const kLoadedByPath[] = {"version.dll", "msimg32.dll"};
const char* const kLoadedAfterTheRestriction[] = {"dwmapi.dll", "uxtheme.dll", "wtsapi32.dll"};
const char* const kLoadedAsTheProgramDoes = "propsys.dll";

TEST(SystemLibrary, PlantedDllsLieBesideTheProgramAndWouldLoadByBareName) {
    // The fixture's own check: without the restriction, Wine takes the
    // planted file, so the cases below can tell the two apart.
    HMODULE planted = ::LoadLibraryExA("version.dll", nullptr, 0);
    ASSERT_NE(planted, nullptr);
    EXPECT_EQ(FolderOf(planted), ProgramFolder());
    ::FreeLibrary(planted);
}

TEST(SystemLibrary, ByPathLoadsFromTheSystemFolder) {
    for (const char* name : kLoadedByPath) {
        HMODULE module = LoadSystemLibraryByPath(name);
        ASSERT_NE(module, nullptr) << name;
        EXPECT_EQ(FolderOf(module), SystemFolder()) << name;
    }
}

// Plain loads by bare name, the way Windows' own DLLs load theirs: only the
// restriction keeps them from the planted files beside the program.
TEST(SystemLibrary, AfterTheRestrictionBareNamesComeFromTheSystemFolder) {
    for (const char* name : kLoadedAfterTheRestriction) {
        ASSERT_EQ(::GetModuleHandleA(name), nullptr) << name << " is loaded already: any search would find it";
    }
    ASSERT_EQ(::GetModuleHandleA(kLoadedAsTheProgramDoes), nullptr);
    platform::win32::RestrictDllSearchToSystemFolder();
    for (const char* name : kLoadedAfterTheRestriction) {
        HMODULE module = ::LoadLibraryA(name);
        ASSERT_NE(module, nullptr) << name;
        EXPECT_EQ(FolderOf(module), SystemFolder()) << name;
    }
    HMODULE own = platform::win32::LoadSystemLibrary(kLoadedAsTheProgramDoes);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(FolderOf(own), SystemFolder());
}

TEST(SystemLibrary, AMissingDllIsNullWithTheSystemsError) {
    ::SetLastError(0);
    EXPECT_EQ(LoadSystemLibraryByPath("no-such-library-here.dll"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace
