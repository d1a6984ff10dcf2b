#include "platform/framework/CWinApp.h"

namespace platform {

namespace {
// Constant-initialised, so it is valid before any static constructor runs,
// whatever the order in which they run.
CWinApp* g_app = nullptr;
}  // namespace

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

bool CWinApp::InitInstance() { return true; }

int CWinApp::ExitInstance() { return 0; }

int CWinApp::OnSystemPartMissing(const char* /*part*/, std::uint32_t /*error*/, bool /*canShowBoxes*/) { return -1; }

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain() {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return -1;
    // A true result would enter the application's message loop; no program of
    // ours asks for one, its modal dialogs run their own.
    app->InitInstance();
    return app->ExitInstance();
}

}  // namespace platform
