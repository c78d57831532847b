#include "render/module_state.h"

namespace lt77 {

DWORD g_dwJobId = 0;
PendingRect g_pendingRect;
ModuleCounters g_module;

namespace {
Platform* g_platformOverride = nullptr;
}

Platform& ModulePlatform() { return g_platformOverride != nullptr ? *g_platformOverride : SystemPlatform(); }

void SetModulePlatformForTesting(Platform* platform) { g_platformOverride = platform; }

}  // namespace lt77
