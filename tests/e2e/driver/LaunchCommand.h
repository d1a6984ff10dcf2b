// Starting the program under test as the harness's own child, so that its
// ending is known in full: a Unix shell sees a Wine program's status modulo
// 256, where an exception code (0xC0000005) would read as a small exit status.
// The program inherits this launcher's environment (run-in-wine.sh --env).
#pragma once

#include <string>
#include <vector>

namespace driver {

struct LaunchRequest {
    std::string program;  // relative names are taken beside this driver
    std::vector<std::string> arguments;
};

// Prints pid=ID once the program runs, waits until it ends and prints
// exit_code (the full 32-bit status, in decimal). When it cannot be started,
// prints start_error=CODE and returns 125.
int Launch(const LaunchRequest& request);

}  // namespace driver
