#include <windows.h>

#include <cstdlib>

#include "platform/process.h"

namespace lt77 {

void SetProcessEnvironment(const std::string& name, const std::string& value)
{
    ::_putenv_s(name.c_str(), value.c_str());
}

// An empty value removes the variable from the C runtime's environment.
void UnsetProcessEnvironment(const std::string& name) { ::_putenv_s(name.c_str(), ""); }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(::GetCurrentProcessId()); }

uint32_t CurrentThreadId() { return static_cast<uint32_t>(::GetCurrentThreadId()); }

void SleepMilliseconds(uint32_t ms) { ::Sleep(ms); }

}  // namespace lt77
