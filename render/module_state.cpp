#include "render/module_state.h"

#include "render/device_record.h"

namespace lt77 {

DWORD g_dwJobId = 0;
PendingRect g_pendingRect;
ModuleCounters g_module;

namespace {
Platform* g_platformOverride = nullptr;
}

Platform& ModulePlatform() { return g_platformOverride != nullptr ? *g_platformOverride : SystemPlatform(); }

void SetModulePlatformForTesting(Platform* platform) { g_platformOverride = platform; }

Platform& PlatformOf(const OemPDEV& pdev) { return pdev.platform != nullptr ? *pdev.platform : ModulePlatform(); }

}  // namespace lt77
