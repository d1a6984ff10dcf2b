#include "DurableFloor.h"

#include "WinHandle.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace bench {

namespace {

struct Archive {
    std::string source;
    std::string target;
    std::string temp;
};

std::string TempNameOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    return (dot == std::string::npos ? path : path.substr(0, dot)) + ".$$$";
}

bool Failed(const char* call, const std::string& path) {
    std::printf("failed=%s %s error=%lu\n", call, path.c_str(), GetLastError());
    return false;
}

// As the installer flushes: its own read-write handle, opened for nothing else.
bool FlushToDisk(const std::string& path) {
    WinHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failed("CreateFileA", path);
    if (!FlushFileBuffers(file.get())) return Failed("FlushFileBuffers", path);
    return true;
}

bool CopyAndFlush(const std::string& from, const std::string& to) {
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) return Failed("CopyFileA", from);
    return FlushToDisk(to);
}

bool Stage(const Archive& archive) {
    if (!CopyAndFlush(archive.source, archive.temp)) return false;
    if (!MoveFileExA(archive.temp.c_str(), archive.target.c_str(), 0)) return Failed("MoveFileExA", archive.temp);
    return true;
}

bool Replace(const Archive& archive) {
    if (!MoveFileExA(archive.temp.c_str(), archive.target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return Failed("MoveFileExA", archive.temp);
    }
    return true;
}

bool RunAll(const std::vector<Archive>& archives) {
    for (const Archive& archive : archives) {
        if (!Stage(archive)) return false;
    }
    for (const Archive& archive : archives) {
        if (!CopyAndFlush(archive.target, archive.temp)) return false;
    }
    for (const Archive& archive : archives) {
        if (!Replace(archive)) return false;
    }
    return true;
}

}  // namespace

int RunDurableFloor(const char* sourceDir, const char* targetDir, int nameCount, char** names) {
    std::vector<Archive> archives;
    for (int i = 0; i < nameCount; ++i) {
        const std::string target = std::string(targetDir) + "\\" + names[i];
        archives.push_back({std::string(sourceDir) + "\\" + names[i], target, TempNameOf(target)});
    }
    const double start = NowMs();
    if (!RunAll(archives)) return 1;
    std::printf("work_ms=%.1f\n", NowMs() - start);
    return 0;
}

}  // namespace bench
