// Stand-ins for the game's and the launcher's windows, and a look at their state.
#pragma once

#include <string>

namespace driver {

// Creates a top-level window of windowClass (optionally minimised, optionally
// with an owned pop-up that was active last), then activates an unrelated
// window so that the stand-in is not in the foreground; prints ready=1 and
// stays until killed.
int MakeWindow(const std::string& windowClass, bool minimised, bool withPopup);

// Prints iconic=0|1 and foreground=main|popup|bystander|other|none, once
// they are as expected (an empty expectation matches anything); when the
// timeout passes first, prints them with window=unsettled and what it
// waited for, and returns 2.
int WindowState(const std::string& windowClass, double timeoutSeconds, const std::string& untilIconic,
                const std::string& untilForeground);

}  // namespace driver
