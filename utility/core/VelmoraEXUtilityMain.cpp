// Entry point of VelmoraEXUtility.exe.
#include <windows.h>

#include "utility/core/VelmoraUtilityApp.h"

namespace {
// The one application object; its mutex and manager exist before start-up runs.
CVelmoraUtilityApp theApp;
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int show) {
    return CWinApp::Main(&theApp, instance, commandLine, show);
}
