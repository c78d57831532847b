// The library's entry point on Windows. The monitor needs nothing done at
// attach or detach (the loaded monitor is a static object, made and ended
// by the runtime), but it has an entry of its own, so that no import
// library's DllMain can become this library's (mingw-w64's spoolss import
// library lists one, and under Wine it is an unimplemented stub).
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
