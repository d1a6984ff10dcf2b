// The worker thread: runs the installation's steps in order and reports the
// first failure or the completion to the progress dialog.
//
// Step contract: a step returns true on success; a step that returns false
// has posted exactly one WM_INSTALL_ERROR with its own code.
#pragma once

// Thread procedure; the parameter is not read. Always returns 0.
unsigned InstallWorker(void* param);
