#include <memory>
#include <utility>

#include "platform/shared_memory.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>
#include <sddl.h>

namespace lt77::win32 {
namespace {

// SYSTEM and the administrators have every right; everyone else may query
// the section and map it for reading and writing (SECTION_QUERY,
// SECTION_MAP_WRITE, SECTION_MAP_READ), and nothing more. A null DACL would
// let any user rewrite the security and take the section over. Protected, so
// that no rights of the object folder are inherited into it.
constexpr wchar_t kStatusSectionSecurity[] = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x0007;;;WD)";

class Win32SharedView final : public SharedView {
public:
    Win32SharedView(void* address, std::size_t bytes) : address_(address), bytes_(bytes) {}
    ~Win32SharedView() override { ::UnmapViewOfFile(address_); }
    Win32SharedView(const Win32SharedView&) = delete;
    Win32SharedView& operator=(const Win32SharedView&) = delete;
    std::span<uint8_t> Bytes() override { return {static_cast<uint8_t*>(address_), bytes_}; }

private:
    void* address_;
    std::size_t bytes_;
};

class Win32SharedSection final : public SharedSection {
public:
    explicit Win32SharedSection(HANDLE handle) : handle_(handle) {}
    ~Win32SharedSection() override { ::CloseHandle(handle_); }
    Win32SharedSection(const Win32SharedSection&) = delete;
    Win32SharedSection& operator=(const Win32SharedSection&) = delete;

    std::unique_ptr<SharedView> Map(bool writable, DWORD bytes) override
    {
        if (bytes == 0) {
            ::SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        void* address = ::MapViewOfFile(handle_, writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, bytes);
        if (address == nullptr) return nullptr;
        return std::make_unique<Win32SharedView>(address, bytes);
    }

private:
    HANDLE handle_;
};

struct LocalFreer {
    void operator()(void* memory) const { ::LocalFree(memory); }
};

class Win32SharedMemory final : public SharedMemory {
public:
    std::unique_ptr<SharedSection> CreateStatusSection(std::u16string_view name, DWORD bytes,
                                                       DWORD& error) override
    {
        PSECURITY_DESCRIPTOR made = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(kStatusSectionSecurity, SDDL_REVISION_1, &made,
                                                                    nullptr)) {
            error = static_cast<DWORD>(::GetLastError());
            return nullptr;
        }
        const std::unique_ptr<void, LocalFreer> descriptor(made);
        SECURITY_ATTRIBUTES security{sizeof(security), descriptor.get(), FALSE};
        HANDLE handle = ::CreateFileMappingW(INVALID_HANDLE_VALUE, &security, PAGE_READWRITE, 0, bytes,
                                             WideFromU16(name).c_str());
        if (handle == nullptr) {
            error = static_cast<DWORD>(::GetLastError());
            return nullptr;
        }
        error = 0;
        return std::make_unique<Win32SharedSection>(handle);
    }

    // Only the rights the section's DACL gives everyone: an ordinary user
    // asking for all access would be refused.
    std::unique_ptr<SharedSection> Open(std::u16string_view name, bool writable, DWORD& error) override
    {
        const ::DWORD access = writable ? FILE_MAP_READ | FILE_MAP_WRITE : FILE_MAP_READ;
        HANDLE handle = ::OpenFileMappingW(access, FALSE, WideFromU16(name).c_str());
        if (handle == nullptr) {
            error = static_cast<DWORD>(::GetLastError());
            return nullptr;
        }
        error = 0;
        return std::make_unique<Win32SharedSection>(handle);
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

SharedMemory& SystemSharedMemory()
{
    static win32::Win32SharedMemory memory;
    return memory;
}

}  // namespace lt77
