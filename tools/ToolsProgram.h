#pragma once
// VelmoraEXTools.exe's start-up and dispatch: a deletion switch runs its browsing-data job;
// without one the program fetches one virtual-link command over the utility's pipe (opened
// once, no retry), carries it out with handler and sends the result back. It shows nothing and
// always ends with -1.
#include <string>
#include <vector>

class IToolCommandHandler;

namespace UToolsProgram {

constexpr int kExitCode = -1;

int Main(const std::vector<std::wstring>& arguments, IToolCommandHandler& handler);
// The program's argument vector, the first argument included.
std::vector<std::wstring> Arguments();

}  // namespace UToolsProgram
