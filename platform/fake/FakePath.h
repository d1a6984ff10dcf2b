// Windows path rules for the double: resolution against a working folder,
// drive and share roots, separators, "." and "..", length limits and case
// folding, all by characters of the system's ANSI code page.
//
// Windows turns an ANSI name into UTF-16 before it looks at it, so a
// separator is a backslash character, never the second byte of a double-byte
// character (0x5C is a valid trail byte in code pages 950, 936 and 932).
// Case folds for ASCII letters only, in every code page.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <optional>
#include <string>

namespace platform::fake::detail {

struct ResolvedPath {
    std::string display;  // full path as the caller spelled it: "C:\Users\a", "C:\" or "\\srv\share\"
    std::string key;      // the same, case-folded: identifies the file
    std::string leaf;     // last component as spelled; empty for a drive or share root
    bool trailingSeparator = false;
};

// Windows' limit for a path and its terminator.
constexpr std::size_t kMaxPath = 260;

// Relative paths resolve against this folder, which exists only if a test adds it.
extern const char kWorkingFolder[];

// The code pages the double knows: 1252 (single-byte), 950, 936 and 932, with
// the lead-byte ranges GetCPInfo reports for them, and 65001 (UTF-8).
std::optional<AnsiCodePage> KnownCodePage(std::uint32_t number);

// Resolves `path` as Win32 does before it asks the file system. Returns 0, or the
// Win32 error for a path that cannot name a file (3, 53, 123, 206); a path
// that ends with half a character is an invalid name (123). In UTF-8, bytes
// that form no character are read as U+FFFD, as Windows reads them.
std::uint32_t ResolvePath(const AnsiCodePage& codePage, const char* path, ResolvedPath* out);

// Bytes of the root of a resolved key: 3 for "C:\", the whole "\\srv\share\" for a share.
std::size_t RootLength(const AnsiCodePage& codePage, const std::string& key);
// Key of the folder holding `key`; empty for a root.
std::string ParentKey(const AnsiCodePage& codePage, const std::string& key);
// True when `key` is `folderKey` or lies below it.
bool IsWithin(const AnsiCodePage& codePage, const std::string& key, const std::string& folderKey);
// Folds ASCII letters to upper case, leaving the trail bytes of double-byte
// characters alone, as Windows compares names.
std::string FoldCase(const AnsiCodePage& codePage, const std::string& text);
// The same for names outside the file system (registry keys and values,
// window classes, resource types), which the double folds by code page
// 950's rules whatever the system's code page.
std::string FoldCase(const std::string& text);
// `path` without its trailing backslashes, but a root keeps its own.
std::string WithoutTrailingSeparators(const AnsiCodePage& codePage, const std::string& path);

}  // namespace platform::fake::detail
