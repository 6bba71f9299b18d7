// VelmoraEXTools.exe as the virtual-link page's end-to-end test builds it beside its own program:
// the real program and link procedures, with junctions in the registry store the test shares
// (Wine cannot set reparse points) and the folder work through SHFileOperationW (Wine's
// IFileOperation answers E_NOTIMPL).
#include <windows.h>

#include <clocale>
#include <memory>

#include "tests/common/StoredReparsePoints.h"
#include "tools/LinkCommandDispatch.h"
#include "tools/ToolsProgram.h"

namespace {

std::unique_ptr<UVelmoraVlink::IShellFileOperations> ShellFileOperationMethod() {
    return std::make_unique<UVelmoraVlink::CSHFileOperationMethod>();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    setlocale(LC_ALL, "");
    StoredReparsePoints junctions;
    CLinkCommandDispatch dispatch(ShellFileOperationMethod);
    return UToolsProgram::Main(UToolsProgram::Arguments(), dispatch);
}
