// Entry point of VelmoraEXTools.exe: windowless, one job or one command a run.
#include <windows.h>

#include <clocale>

#include "tools/LinkCommandDispatch.h"
#include "tools/ToolsProgram.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    // Wide/narrow conversions follow the user's code page.
    setlocale(LC_ALL, "");
    CLinkCommandDispatch dispatch;
    return UToolsProgram::Main(UToolsProgram::Arguments(), dispatch);
}
