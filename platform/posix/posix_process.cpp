#include <unistd.h>

#include <cstdlib>

#include "platform/process.h"

namespace lt77 {

void SetProcessEnvironment(const std::string& name, const std::string& value)
{
    ::setenv(name.c_str(), value.c_str(), 1);
}

void UnsetProcessEnvironment(const std::string& name) { ::unsetenv(name.c_str()); }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(::getpid()); }

}  // namespace lt77
