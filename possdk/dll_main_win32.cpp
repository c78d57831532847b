// The library's entry point on Windows. Nothing is done at attach or detach
// (the library instance is a static object, made and ended by the runtime),
// but the DLL has an entry of its own, so that no import library's DllMain
// can become this library's (mingw-w64's spoolss import library lists one,
// and under Wine it is an unimplemented stub: the load fails).
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
