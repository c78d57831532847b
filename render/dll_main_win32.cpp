// The library's entry point on Windows.
#include "render/trace.h"

#include <windows.h>

// The loader lock is held here: nothing but the trace, which only appends
// to a buffer in memory.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        lt77::TraceLog("DLL_PROCESS_ATTACH");
    } else if (reason == DLL_PROCESS_DETACH) {
        lt77::TraceLog("DLL_PROCESS_DETACH");
    }
    return TRUE;
}
