// The library's entry point on Windows: the module instance holds the page
// templates and the sample picture.
#include <windows.h>

#include "ui/module_instance.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) lt77::ui::SetUiModuleInstance(instance);
    return TRUE;
}
