#include "setup/SetupSwitches.h"

namespace USetupSwitches {

namespace {
const wchar_t* const kPassThrough[] = {L"qn"};
}

std::wstring PassThrough(const std::vector<std::wstring>& arguments) {
    std::wstring text;
    for (const std::wstring& argument : arguments) {
        if (argument.empty() || (argument[0] != L'-' && argument[0] != L'/')) continue;
        for (const wchar_t* name : kPassThrough) {
            if (argument.compare(1, std::wstring::npos, name) == 0) {
                text += L' ';
                text += argument;
                break;
            }
        }
    }
    return text;
}

std::wstring InstallerParameters(const std::wstring& package, const std::wstring& passThrough) {
    // "%s \"%s\"%s %s"
    return L"/I \"" + package + L"\"" + passThrough + L" REINSTALL=ALL REINSTALLMODE=voums";
}

}  // namespace USetupSwitches
