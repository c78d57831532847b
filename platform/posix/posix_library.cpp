#include <dlfcn.h>

#include "platform/library.h"

namespace lt77 {
namespace {

class PosixLibrary final : public SharedLibrary {
public:
    explicit PosixLibrary(void* handle) : handle_(handle) {}
    ~PosixLibrary() override { ::dlclose(handle_); }
    PosixLibrary(const PosixLibrary&) = delete;
    PosixLibrary& operator=(const PosixLibrary&) = delete;
    void* Symbol(const char* name) override { return ::dlsym(handle_, name); }

private:
    void* handle_;
};

}  // namespace

std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& path, std::string& error)
{
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        error = why != nullptr ? why : "dlopen failed";
        return nullptr;
    }
    return std::make_unique<PosixLibrary>(handle);
}

}  // namespace lt77
