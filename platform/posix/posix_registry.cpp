#include <filesystem>

#include "common/ascii_case.h"
#include "common/utf.h"
#include "platform/posix/queue_store.h"
#include "platform/posix/store_file.h"
#include "platform/registry.h"

namespace lt77::posix {
namespace {

constexpr DWORD kRegistryCorrupt = 1009;  // ERROR_BADDB

// A key is there when its own section is, or a section of a key below it.
bool KeyExists(const StoreFile& file, std::string_view keyPath)
{
    for (const auto& section : file.Sections()) {
        if (EqualsNoCase(section, keyPath)) return true;
        if (section.size() > keyPath.size() && section[keyPath.size()] == '\\' &&
            EqualsNoCase(std::string_view(section).substr(0, keyPath.size()), keyPath))
            return true;
    }
    return false;
}

class PosixRegistry final : public Registry {
public:
    RegistryRead ReadMachineString(std::string_view keyPath, std::u16string_view value, DWORD maxBytes,
                                   std::u16string& out) override
    {
        const std::filesystem::path path = HostRoot() / "registry.ini";
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) return {false, syserr::kFileNotFound};
        auto loaded = StoreFile::Load(path);
        if (std::holds_alternative<StoreError>(loaded)) return {false, kRegistryCorrupt};
        const auto& file = std::get<StoreFile>(loaded);
        if (keyPath.empty() || !KeyExists(file, keyPath)) return {false, syserr::kFileNotFound};
        const auto text = file.Get(keyPath, Utf16ToUtf8(value));
        if (!text) return {true, syserr::kFileNotFound};
        std::u16string wide = Utf8ToUtf16(*text);
        // The value's size counts its UTF-16 units and terminator, as the
        // registry stores a string.
        if ((wide.size() + 1) * sizeof(char16_t) > maxBytes) return {true, syserr::kMoreData};
        out = std::move(wide);
        return {true, 0};
    }
};

}  // namespace
}  // namespace lt77::posix

namespace lt77 {

Registry& SystemRegistry()
{
    static posix::PosixRegistry registry;
    return registry;
}

}  // namespace lt77
