// Loading a shared library and finding its exports (the test host and the
// programs that load plug-ins use it).
#pragma once

#include <memory>
#include <string>

namespace lt77 {

class SharedLibrary {
public:
    virtual ~SharedLibrary() = default;
    // The address of an export, or null.
    virtual void* Symbol(const char* name) = 0;
};

// Null with `error` describing why when the library cannot be loaded.
std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& path, std::string& error);

}  // namespace lt77
