#include "platform/mapped_file.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77 {
namespace {

class Win32MappedFile final : public MappedFile {
public:
    Win32MappedFile(HANDLE mapping, const void* view, std::size_t size) : mapping_(mapping), view_(view), size_(size) {}
    ~Win32MappedFile() override
    {
        ::UnmapViewOfFile(view_);
        ::CloseHandle(mapping_);
    }
    std::span<const uint8_t> Bytes() const override { return {static_cast<const uint8_t*>(view_), size_}; }

private:
    HANDLE mapping_;
    const void* view_;
    std::size_t size_;
};

}  // namespace

MapResult MapFileForReading(std::u16string_view path)
{
    MapResult result;
    const std::wstring wide = win32::WideFromU16(path);
    HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result.openError = ::GetLastError();
        return result;
    }
    result.opened = true;
    LARGE_INTEGER size{};
    // An empty file cannot be mapped; the mapping keeps its own reference to the file.
    if (::GetFileSizeEx(file, &size) && size.QuadPart > 0 && static_cast<uint64_t>(size.QuadPart) <= SIZE_MAX) {
        HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        if (mapping != nullptr) {
            const void* view = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
            if (view != nullptr)
                result.file = std::make_unique<Win32MappedFile>(mapping, view, static_cast<std::size_t>(size.QuadPart));
            else
                ::CloseHandle(mapping);
        }
    }
    ::CloseHandle(file);
    return result;
}

}  // namespace lt77
