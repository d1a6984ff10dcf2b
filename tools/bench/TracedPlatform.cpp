#include "TracedPlatform.h"

#include "install/InstallMessages.h"

namespace bench {

namespace {

const char* MessageName(std::uint32_t message) {
    switch (message) {
    case platform::win::kWmInitDialog:
        return "WM_INITDIALOG";
    case platform::win::kWmPaint:
        return "WM_PAINT";
    case WM_INSTALL_STEP:
        return "WM_INSTALL_STEP";
    case WM_INSTALL_DONE:
        return "WM_INSTALL_DONE";
    case WM_INSTALL_ERROR:
        return "WM_INSTALL_ERROR";
    default:
        return nullptr;
    }
}

class TracedDialogHandler final : public DialogHandler {
public:
    TracedDialogHandler(CallRecorder& recorder, DialogHandler& inner) : recorder_(recorder), inner_(inner) {}
    bool HandleDialogMessage(Window dialog, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                             std::intptr_t* result) override {
        const char* name = MessageName(message);
        if (name == nullptr) return inner_.HandleDialogMessage(dialog, message, wParam, lParam, result);
        RecordedCall recorded(recorder_, name);
        return inner_.HandleDialogMessage(dialog, message, wParam, lParam, result);
    }

private:
    CallRecorder& recorder_;
    DialogHandler& inner_;
};

}  // namespace

std::intptr_t TracedPlatform::RunModalDialog(int templateId, DialogHandler& handler) {
    TracedDialogHandler traced(recorder_, handler);
    return Timed("RunModalDialog", [&] { return os_.RunModalDialog(templateId, traced); });
}

}  // namespace bench
