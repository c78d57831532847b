// The library's entry point on Windows. The monitor needs nothing done at
// attach or detach (the loaded monitor is a static object, made and ended
// by the runtime), but it must have an entry of its own: mingw-w64's spoolss
// import library lists a DllMain, and without ours the runtime's entry
// would call spoolss's for this library (under Wine an unimplemented stub,
// and the load fails).
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
