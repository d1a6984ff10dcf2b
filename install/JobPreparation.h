#pragma once

#include "install/InstallJob.h"

// Step 4: decides the edition, checks its patch level, tells the user what
// will be installed and fills the job; flags the set-data record for the
// expansion edition. False after posting 101, 103 or 104.
bool PrepareJobStep(InstallJob& job);
