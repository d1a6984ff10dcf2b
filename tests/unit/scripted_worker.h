// A stand-in for the installation worker that posts a script of messages to
// the progress dialog, for the tests of the dialog itself.
#pragma once

#include "install/InstallMessages.h"
#include "install/ProgressDialogLink.h"

#include <cstdint>
#include <vector>

namespace scripted_worker {

struct Post {
    std::uint32_t message;
    std::uintptr_t wParam;
};

// What the worker posts; set before the dialog starts its thread.
inline std::vector<Post> g_script;

inline unsigned ScriptedWorker(void* /*param*/) {
    for (const Post& post : g_script) PostToProgressDialog(post.message, post.wParam);
    return 0;
}

inline std::vector<Post> Steps(int count) {
    return std::vector<Post>(static_cast<std::size_t>(count), Post{WM_INSTALL_STEP, 0});
}

inline std::vector<Post> Then(std::vector<Post> first, const std::vector<Post>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

}  // namespace scripted_worker
