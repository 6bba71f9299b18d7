// Entry point of VelmoraEX.exe: updates the installed suite from the embedded package.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "framework/LocalMemory.h"
#include "setup/SetupLauncher.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int count = 0;
    CLocalMemory<LPWSTR*> argv(::CommandLineToArgvW(::GetCommandLineW(), &count));
    std::vector<std::wstring> arguments;
    for (int i = 1; argv && i < count; ++i) arguments.emplace_back(argv.Get()[i]);
    CMessageBoxPrompt prompt;
    CProcessWow64Query wow64;
    CSetupLauncher launcher(instance, prompt, wow64);
    launcher.Run(arguments);
    return 0;
}
