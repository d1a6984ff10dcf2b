// The taskbar button's progress, the one use of COM: without ole32 the
// extra is lost and nothing else; with it, the apartment is entered only
// once the shell announces the button. Under Wine a real ole32 cannot be
// taken away from one program (Wine's own imm32 needs it for every window),
// so its absence is given here as missing functions.
#include "platform/win32/Win32Taskbar.h"

#include <gtest/gtest.h>

namespace {

using platform::TaskbarProgress;
using platform::win32::ComFunctions;
using platform::win32::SystemComFunctions;
using platform::win32::TaskbarProgressMirror;

// Whether this thread had entered no COM apartment before asking: S_OK
// enters one now (and is left again), S_FALSE means one was entered already.
bool ApartmentWasFree() {
    const HRESULT entered = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(entered)) ::CoUninitialize();
    return entered == S_OK;
}

TEST(TaskbarProgress, WithoutOle32TheButtonShowsNothingAndTheDialogGoesOn) {
    const ComFunctions missing{};
    {
        TaskbarProgressMirror mirror(missing);
        mirror.Request(nullptr, TaskbarProgress::kNormal, 3, 12);
        mirror.OnButtonCreated(nullptr);
        mirror.Request(nullptr, TaskbarProgress::kError, 4, 12);
        EXPECT_TRUE(ApartmentWasFree());
    }
    EXPECT_TRUE(ApartmentWasFree());
}

TEST(TaskbarProgress, Ole32IsFoundInTheSystemFolderAndUsedOnlyOnceTheButtonExists) {
    ASSERT_TRUE(SystemComFunctions().Available());
    {
        TaskbarProgressMirror mirror;
        mirror.Request(nullptr, TaskbarProgress::kNormal, 3, 12);
        EXPECT_TRUE(ApartmentWasFree()) << "entered before the shell announced the button";
        mirror.OnButtonCreated(nullptr);
        EXPECT_FALSE(ApartmentWasFree()) << "the button's announcement should enter the apartment";
    }
    EXPECT_TRUE(ApartmentWasFree()) << "the apartment must be left with the dialog";
}

}  // namespace
