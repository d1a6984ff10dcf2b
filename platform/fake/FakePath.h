// Windows path rules for the double: resolution against a working folder,
// separators, "." and "..", length limits and code-page-950-aware case folding.
#pragma once

#include <cstdint>
#include <string>

namespace platform::fake::detail {

struct ResolvedPath {
    std::string display;  // full path as the caller spelled it: "C:\Users\a" or "C:\"
    std::string key;      // the same, case-folded: identifies the file
    std::string leaf;     // last component as spelled; empty for a drive root
    bool trailingSeparator = false;
};

// Windows' limit for a path and its terminator.
constexpr std::size_t kMaxPath = 260;

// Relative paths resolve against this folder, which exists only if a test adds it.
extern const char kWorkingFolder[];

// Resolves `path` as Win32 does before it asks the file system. Returns 0, or the
// Win32 error for a path that cannot name a file (3, 123, 206).
std::uint32_t ResolvePath(const char* path, ResolvedPath* out);

// Key of the folder holding `key`; empty for a drive root.
std::string ParentKey(const std::string& key);
// True when `key` is `folderKey` or lies below it.
bool IsWithin(const std::string& key, const std::string& folderKey);
// Folds ASCII letters to upper case, leaving the trail bytes of double-byte
// characters (code page 950) alone, as Windows compares names.
std::string FoldCase(const std::string& text);

}  // namespace platform::fake::detail
