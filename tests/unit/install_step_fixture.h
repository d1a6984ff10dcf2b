// Readers of what an installation step posted to the progress dialog.
#pragma once

#include "install/InstallMessages.h"
#include "tests/unit/TestScene.h"

#include <cstdint>
#include <vector>

namespace install_step_fixture {

using Codes = std::vector<std::uintptr_t>;

inline int StepCount(const test_scene::ScopedProgressDialog& dialog) {
    int steps = 0;
    for (const auto& post : dialog.Posts()) {
        if (post.message == WM_INSTALL_STEP) ++steps;
    }
    return steps;
}

inline Codes Errors(const test_scene::ScopedProgressDialog& dialog) {
    Codes codes;
    for (const auto& post : dialog.Posts()) {
        if (post.message == WM_INSTALL_ERROR) codes.push_back(post.wParam);
    }
    return codes;
}

}  // namespace install_step_fixture
