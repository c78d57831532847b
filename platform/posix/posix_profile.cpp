#include <fstream>
#include <iterator>

#include "common/ini_file.h"
#include "common/utf.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/queue_store.h"

namespace lt77::posix {

std::optional<std::u16string> PosixProfile::ReadString(std::string_view file, std::string_view section,
                                                       std::string_view key, DWORD maxChars,
                                                       DWORD& error)
{
    std::ifstream in(MapWindowsPath(file), std::ios::binary);
    if (!in) {
        error = syserr::kFileNotFound;
        return std::nullopt;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    PosixCodePages cp;
    const auto doc = IniDocument::FromBytes(
        bytes, [&cp](std::string_view s) { return cp.ToWide(CP_SYSTEM_ANSI, s); });
    auto value = doc.Value(Utf8ToUtf16(section), Utf8ToUtf16(key));
    if (!value) {
        error = syserr::kFileNotFound;
        return std::nullopt;
    }
    if (maxChars == 0) {
        value->clear();
    } else if (value->size() > maxChars - 1) {
        value->resize(maxChars - 1);
    }
    error = 0;
    return value;
}

}  // namespace lt77::posix

namespace lt77 {

Profile& SystemProfile()
{
    static posix::PosixProfile profile;
    return profile;
}

}  // namespace lt77
