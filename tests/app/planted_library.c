/* A library that a test puts beside its program under a name of its own, as a stranger might
   plant one beside Morvane.exe: only a load that searches the program's folder finds it. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
