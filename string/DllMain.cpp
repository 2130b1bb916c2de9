// The Windows entry point: the library has nothing to set up or tear down.
#include <windows.h>

BOOL APIENTRY DllMain(HMODULE, DWORD, LPVOID) { return TRUE; }
