// The programs' scratch folder and INI writing through the system calls.
#include "platform/profile_writer.h"
#include "platform/temporary_folder.h"
#include "platform/win32/win32_utf.h"

#include <windows.h>

namespace lt77::win32 {
namespace {

class Win32TempFolder final : public TemporaryFolder {
public:
    std::string UserTempFolder() override
    {
        wchar_t buffer[MAX_PATH + 1] = {};
        const ::DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
        if (length == 0 || length > MAX_PATH) return {};
        std::wstring folder(buffer, length);
        while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
        return Utf8FromWide(folder);
    }
};

class Win32ProfileWriter final : public ProfileWriter {
public:
    DWORD ReplaceSection(std::string_view file, std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& entries) override
    {
        const std::wstring wideFile = WideFromUtf8(file);
        const std::wstring wideSection = WideFromUtf8(section);
        // Removing a section the file does not have is no failure.
        ::WritePrivateProfileStringW(wideSection.c_str(), nullptr, nullptr, wideFile.c_str());
        for (const auto& [key, value] : entries) {
            if (!::WritePrivateProfileStringW(wideSection.c_str(), WideFromUtf8(key).c_str(),
                                              WideFromUtf8(value).c_str(), wideFile.c_str()))
                return static_cast<DWORD>(::GetLastError());
        }
        // The system caches profile files; make the next reader see this one.
        ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, wideFile.c_str());
        return 0;
    }
};

}  // namespace
}  // namespace lt77::win32

namespace lt77 {

TemporaryFolder& SystemTemporaryFolder()
{
    static win32::Win32TempFolder folder;
    return folder;
}

ProfileWriter& SystemProfileWriter()
{
    static win32::Win32ProfileWriter writer;
    return writer;
}

}  // namespace lt77
