#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/process.h"

namespace lt77 {

void SetProcessEnvironment(const std::string& name, const std::string& value)
{
    ::setenv(name.c_str(), value.c_str(), 1);
}

void UnsetProcessEnvironment(const std::string& name) { ::unsetenv(name.c_str()); }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(::getpid()); }

uint32_t CurrentThreadId() { return static_cast<uint32_t>(::gettid()); }

void SleepMilliseconds(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace lt77
