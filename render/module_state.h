// State shared by every device context of the loaded library. The driver
// assumes one document at a time per spooler process, so apart from the COM
// counters none of it is locked.
#pragma once

#include <atomic>

#include "platform/oem/abi_types.h"
#include "platform/oem/com_object.h"
#include "platform/platform.h"

namespace lt77 {

// Spooler job number of the document in progress; 0 when none.
extern DWORD g_dwJobId;

// Destination of the last bit-block transfer not yet entered in the page's
// picture-rectangle list; all zero when none is pending.
struct PendingRect {
    LONG left = 0, top = 0, right = 0, bottom = 0;
    bool IsSet() const { return left != 0 || top != 0 || right != 0 || bottom != 0; }
};
extern PendingRect g_pendingRect;

// Server locks taken through the class factory, and live COM objects.
extern ModuleCounters g_module;

// The platform the plug-in talks to; tests may substitute their own.
Platform& ModulePlatform();
void SetModulePlatformForTesting(Platform* platform);

}  // namespace lt77
