#include "CopyBaseline.h"

#include "WinHandle.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

namespace {

struct CopyPair {
    std::string from;
    std::string to;
};

void RemoveTarget(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

void FlushToDisk(const std::string& path) {
    WinHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) FlushFileBuffers(file.get());
}

}  // namespace

int CopyTwice(const char* sourceDir, const char* targetDir, int nameCount, char** names) {
    std::vector<CopyPair> copies;
    for (int i = 0; i < nameCount; ++i) {
        const std::string staged = std::string(targetDir) + "\\" + names[i];
        copies.push_back({std::string(sourceDir) + "\\" + names[i], staged});
        copies.push_back({staged, staged + ".copy"});
    }
    for (const CopyPair& copy : copies) RemoveTarget(copy.to);

    const double start = NowMs();
    for (const CopyPair& copy : copies) {
        if (!CopyFileA(copy.from.c_str(), copy.to.c_str(), FALSE)) {
            std::printf("copy_failed=%s error=%lu\n", copy.from.c_str(), GetLastError());
            return 1;
        }
    }
    std::printf("copy_ms=%.1f\n", NowMs() - start);
    // Not part of copy_ms: what writing the second copies through to the
    // disk costs, as the installer does with its temporary copies before it
    // moves them into place.
    const double flushStart = NowMs();
    for (std::size_t i = 1; i < copies.size(); i += 2) FlushToDisk(copies[i].to);
    std::printf("flush_ms=%.1f\n", NowMs() - flushStart);
    // Nor this: moving each second copy over the first, as the installer
    // moves its patched copies over the archives.
    const double replaceStart = NowMs();
    for (std::size_t i = 1; i < copies.size(); i += 2) {
        MoveFileExA(copies[i].to.c_str(), copies[i].from.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    std::printf("replace_ms=%.1f\n", NowMs() - replaceStart);
    for (const CopyPair& copy : copies) RemoveTarget(copy.to);
    return 0;
}

}  // namespace bench
