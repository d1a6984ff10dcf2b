// bench_runner: the Windows side of tools/run-benchmark.sh and
// tools/make-pictures.sh. Prints key=value lines.
//
//   bench_runner durable-floor PAUSE_MS SOURCE_DIR TARGET_DIR NAME...
//   bench_runner run-installer PROGRAM.exe [PICTURE_DIR]   (the installer, or ui_floor.exe)
//   bench_runner time-program ARGUMENTS    (this program again, timed from its start)
#include "DurableFloor.h"
#include "InstallerRun.h"
#include "ProgramRun.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    // The installer is DPI-aware; this program must see the same physical
    // coordinates to move its boxes and copy its windows off the screen.
    SetProcessDPIAware();
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "durable-floor" && argc >= 6) {
        const auto pauseMs = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
        return bench::RunDurableFloor(pauseMs, argv[3], argv[4], argc - 5, argv + 5);
    }
    if (command == "run-installer" && (argc == 3 || argc == 4)) {
        return bench::RunInstaller(argv[2], argc == 4 ? argv[3] : nullptr);
    }
    if (command == "time-program" && argc == 3) return bench::RunSelf(argv[2]);
    std::fprintf(stderr,
                 "usage: bench_runner durable-floor PAUSE_MS SOURCE_DIR TARGET_DIR NAME... | "
                 "run-installer PROGRAM.exe [PICTURE_DIR] | time-program ARGUMENTS\n");
    return 2;
}
