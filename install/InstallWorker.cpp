#include "install/InstallWorker.h"

#include "install/FaceArchivePatch.h"
#include "install/FaceArchiveStaging.h"
#include "install/GameDetection.h"
#include "install/InstallJob.h"
#include "install/InstallMessages.h"
#include "install/JobPreparation.h"
#include "install/Paths.h"
#include "install/ProcessUser.h"
#include "install/ProgressDialogLink.h"
#include "install/RecordInstall.h"

namespace {

// Stops at the first step that fails; that step has reported its own code.
bool RunSteps(InstallJob& job) {
    return CheckProcessUserStep() && FindGameStep() && PrepareRecordFolderStep() && StageFaceArchivesStep() &&
           PrepareJobStep(job) && PatchFaceArchivesStep(job) && InstallRecordStep(job);
}

}  // namespace

unsigned InstallWorker(void* /*param*/) {
    InstallJob job;
    if (RunSteps(job)) PostToProgressDialog(WM_INSTALL_DONE, 0);
    return 0;
}
