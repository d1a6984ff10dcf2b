#pragma once

#include "install/InstallJob.h"

// Step 6: writes the record file through a temporary file and installs it
// read-only; for the expansion edition removes the base edition's record.
// 0 after posting 301 or 302, or 106 when Windows or a security program
// refused the writes.
int InstallRecordStep(const InstallJob& job);
