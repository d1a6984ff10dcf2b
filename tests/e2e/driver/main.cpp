// e2e_driver: drives the installer under test from inside the same Wine
// prefix, as a user at the screen would, and prints what it sees as
// key=value lines. Every wait ends after its timeout (a hang guard), and
// with --pid ends at once when that process (the installer as `launch`
// started it) has ended, saying so and with which status.
//
//   e2e_driver launch PROGRAM [ARGS...]
//   e2e_driver [--exe NAME] [--pid ID] wait-dialog SECONDS
//   e2e_driver [--exe NAME] [--pid ID] wait-box SECONDS
//   e2e_driver [--exe NAME] [--pid ID] press-ok SECONDS
//   e2e_driver [--exe NAME] count-windows
//   e2e_driver make-window CLASS [--minimised] [--popup]
//   e2e_driver window-state CLASS SECONDS [iconic=0|1] [foreground=ROLE]
//   e2e_driver reg-set KEY NAME sz|sz-utf8-hex|dword|qword|binary DATA [KEY NAME TYPE DATA]...
//   e2e_driver set-file-time PATH "YYYY-MM-DD hh:mm:ss"      (UTC)
//   e2e_driver set-readonly PATH
//   e2e_driver code-page
//   e2e_driver hold-file PATH [--share-nothing]
//   e2e_driver [--exe NAME] [--pid ID] hold-file-shared PATH MS [--press-ok]   (MS < 0: until killed)
//   e2e_driver [--exe NAME] [--pid ID] unattended SECONDS [--kill-after MS] [--poke SEED]
//   e2e_driver --pid ID load-in DLLNAME SECONDS
#include "DialogCommands.h"
#include "LaunchCommand.h"
#include "ProcessCommands.h"
#include "RemoteLoad.h"
#include "SetupCommands.h"
#include "StandInWindows.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: e2e_driver [--exe NAME] COMMAND ARGS... (see the source for the commands)\n");
    return 1;
}

// The number after an option, or fallback when the option is absent.
long long OptionValue(int argc, char** argv, int from, const char* option, long long fallback) {
    for (int i = from; i + 1 < argc; ++i) {
        if (std::string(argv[i]) == option) return std::atoll(argv[i + 1]);
    }
    return fallback;
}

bool HasFlag(int argc, char** argv, int from, const char* flag) {
    for (int i = from; i < argc; ++i) {
        if (std::string(argv[i]) == flag) return true;
    }
    return false;
}

int Launch(int count, char** arguments) {
    driver::LaunchRequest request;
    if (count < 1) return Usage();
    request.program = arguments[0];
    request.arguments.assign(arguments + 1, arguments + count);
    return driver::Launch(request);
}

}  // namespace

int main(int argc, char** argv) {
    std::string exeName = "addonwarlord1_setup.exe";
    unsigned long processId = 0;
    int first = 1;
    for (; first + 1 < argc; first += 2) {
        const std::string option = argv[first];
        if (option == "--exe") exeName = argv[first + 1];
        else if (option == "--pid") processId = std::strtoul(argv[first + 1], nullptr, 10);
        else break;
    }
    if (argc <= first) return Usage();
    const std::string command = argv[first];
    const int rest = argc - first - 1;
    char** args = argv + first + 1;
    const double seconds = rest >= 1 ? std::atof(args[rest - 1]) : 0;
    const driver::WatchedProcess watched(processId);
    const driver::Installer installer{exeName, watched};

    if (command == "launch") return Launch(rest, args);
    if (command == "wait-dialog" && rest == 1) return driver::WaitDialog(installer, seconds);
    if (command == "wait-box" && rest == 1) return driver::WaitBox(installer, seconds);
    if (command == "press-ok" && rest == 1) return driver::PressOk(installer, seconds);
    if (command == "count-windows" && rest == 0) return driver::CountWindows(exeName);
    if (command == "make-window" && rest >= 1) {
        return driver::MakeWindow(args[0], HasFlag(argc, argv, first + 2, "--minimised"),
                                  HasFlag(argc, argv, first + 2, "--popup"));
    }
    if (command == "window-state" && rest >= 2) {
        std::string untilIconic, untilForeground;
        for (int i = 2; i < rest; ++i) {
            const std::string expectation = args[i];
            if (expectation.rfind("iconic=", 0) == 0) untilIconic = expectation.substr(7);
            else if (expectation.rfind("foreground=", 0) == 0) untilForeground = expectation.substr(11);
            else return Usage();
        }
        return driver::WindowState(args[0], std::atof(args[1]), untilIconic, untilForeground);
    }
    if (command == "reg-set") return driver::RegSet(rest, args);
    if (command == "set-file-time" && rest == 2) return driver::SetFileTimeUtc(args[0], args[1]);
    if (command == "set-readonly" && rest == 1) return driver::SetReadOnly(args[0]);
    if (command == "code-page" && rest == 0) return driver::PrintCodePage();
    if (command == "hold-file" && (rest == 1 || rest == 2)) {
        const bool shareNothing = rest == 2 && std::string(args[1]) == "--share-nothing";
        if (rest == 2 && !shareNothing) return Usage();
        return driver::HoldFile(args[0], shareNothing);
    }
    if (command == "hold-file-shared" && (rest == 2 || rest == 3)) {
        const bool pressOk = rest == 3 && std::string(args[2]) == "--press-ok";
        if (rest == 3 && !pressOk) return Usage();
        return driver::HoldFileShared(args[0], std::atoll(args[1]), pressOk ? &installer : nullptr, 60);
    }
    if (command == "load-in" && rest == 2) return driver::LoadInProcess(watched, args[0], seconds);
    if (command == "unattended" && rest >= 1) {
        driver::UnattendedOptions options;
        options.timeoutSeconds = std::atof(args[0]);
        options.killAfterMs = OptionValue(argc, argv, first + 2, "--kill-after", -1);
        options.pokeSeed = static_cast<unsigned>(OptionValue(argc, argv, first + 2, "--poke", 0));
        return driver::RunUnattended(installer, options);
    }
    return Usage();
}
