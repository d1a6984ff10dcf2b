#include "DurableFloor.h"

#include "ProcessTimes.h"
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

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// Each call's time and CPU time, told after the work so that printing adds
// nothing to it; the traced installer records the same for its calls.
class FileCalls {
public:
    template <typename Call>
    bool Timed(const char* name, const std::string& path, Call call) {
        const double cpuBefore = ThreadCpuMs();
        const double before = NowMs();
        const bool done = call();
        const double after = NowMs();
        calls_.push_back({name, FileNameOf(path), after - before, ThreadCpuMs() - cpuBefore});
        if (!done) std::printf("failed=%s %s error=%lu\n", name, path.c_str(), GetLastError());
        return done;
    }
    void Print() const {
        for (const Call& call : calls_) {
            std::printf("file_call=%s %s %.1f %.1f\n", call.name, call.file.c_str(), call.ms, call.cpuMs);
        }
    }

private:
    struct Call {
        const char* name;
        std::string file;
        double ms;
        double cpuMs;
    };
    std::vector<Call> calls_;
};

// As the installer flushes: its own read-write handle, opened for nothing else.
bool FlushToDisk(FileCalls& calls, const std::string& path) {
    WinHandle file;
    if (!calls.Timed("CreateFileA", path, [&] {
            file = WinHandle(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
            return static_cast<bool>(file);
        })) {
        return false;
    }
    return calls.Timed("FlushFileBuffers", path, [&] { return FlushFileBuffers(file.get()) != FALSE; });
}

bool CopyAndFlush(FileCalls& calls, const std::string& from, const std::string& to) {
    if (!calls.Timed("CopyFileA", to, [&] { return CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE; })) {
        return false;
    }
    return FlushToDisk(calls, to);
}

bool Move(FileCalls& calls, const Archive& archive, DWORD flags) {
    return calls.Timed("MoveFileExA", archive.target,
                       [&] { return MoveFileExA(archive.temp.c_str(), archive.target.c_str(), flags) != FALSE; });
}

bool RunAll(FileCalls& calls, const std::vector<Archive>& archives, unsigned pauseMs, double& pausedMs) {
    for (const Archive& archive : archives) {
        if (!CopyAndFlush(calls, archive.source, archive.temp) || !Move(calls, archive, 0)) return false;
    }
    const double pauseStart = NowMs();
    if (pauseMs > 0) Sleep(pauseMs);
    pausedMs = NowMs() - pauseStart;
    for (const Archive& archive : archives) {
        if (!CopyAndFlush(calls, archive.target, archive.temp)) return false;
    }
    for (const Archive& archive : archives) {
        if (!Move(calls, archive, MOVEFILE_REPLACE_EXISTING)) return false;
    }
    return true;
}

}  // namespace

int RunDurableFloor(unsigned pauseMs, const char* sourceDir, const char* targetDir, int nameCount, char** names) {
    const double startedMs = MsSinceProcessCreation();
    std::vector<Archive> archives;
    for (int i = 0; i < nameCount; ++i) {
        const std::string target = std::string(targetDir) + "\\" + names[i];
        archives.push_back({std::string(sourceDir) + "\\" + names[i], target, TempNameOf(target)});
    }
    FileCalls calls;
    double pausedMs = 0;
    const double start = NowMs();
    const bool done = RunAll(calls, archives, pauseMs, pausedMs);
    const double doneAt = NowMs();
    const double workMs = doneAt - start - pausedMs;
    calls.Print();
    if (!done) return 1;
    std::printf("started_ms=%.1f\n", startedMs);
    std::printf("pause_ms=%.1f\n", pausedMs);
    std::printf("work_ms=%.1f\n", workMs);
    // Where the installer shows its completion box: the moment the run is
    // timed to, on the clock that the starting program read.
    std::printf("done_at_ms=%.1f\n", doneAt);
    // From here on only the program's end: on the system's clock of process
    // times, so that how long the end takes can be told apart from how long
    // the watcher takes to see it.
    std::printf("leaving_ms=%.1f\n", MsSinceProcessCreation());
    return 0;
}

}  // namespace bench
