// VelmoraEXBareStart.exe: a windowless program that does nothing, the yardstick for starting
// a program under the same system.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return 0; }
