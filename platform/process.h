// The few process facilities the test host and its tests need.
#pragma once

#include <cstdint>
#include <string>

namespace lt77 {

void SetProcessEnvironment(const std::string& name, const std::string& value);
void UnsetProcessEnvironment(const std::string& name);
uint32_t CurrentProcessId();
// The system's id of the calling thread (GetCurrentThreadId, gettid).
uint32_t CurrentThreadId();
void SleepMilliseconds(uint32_t ms);

}  // namespace lt77
