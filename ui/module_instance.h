// The module instance whose resources hold the page templates and the
// sample picture, kept at process attach (null on Linux). Plain pointers, so
// that the Windows entry point can include this beside <windows.h>.
#pragma once

namespace lt77::ui {

void* UiModuleInstance();
void SetUiModuleInstance(void* instance);

}  // namespace lt77::ui
