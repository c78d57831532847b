// The machine registry read as the monitor reads a port's mode string, on a
// key the test makes under HKEY_LOCAL_MACHINE and removes again.
#include <gtest/gtest.h>

#include <string>

#include "platform/registry.h"

#include <windows.h>

namespace lt77 {
namespace {

TEST(Win32Registry, OpensKeysAndMeasuresValuesInBytes)
{
    const std::string key = "Software\\LT77 Registry Test " + std::to_string(::GetCurrentProcessId());
    const std::wstring wideKey(key.begin(), key.end());
    HKEY made = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, wideKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &made, nullptr) !=
        ERROR_SUCCESS)
        GTEST_SKIP() << "HKEY_LOCAL_MACHINE is not writable here";
    const wchar_t mode[] = L"9600,n,8,1";
    ::RegSetValueExW(made, L"COM1:", 0, REG_SZ, reinterpret_cast<const BYTE*>(mode), sizeof(mode));
    ::RegCloseKey(made);

    const struct {
        std::string key;
        const char16_t* value;
        DWORD maxBytes;
        bool keyOpened;
        DWORD error;
        std::u16string text;
    } rows[] = {
        {key, u"COM1:", 64, true, 0, u"9600,n,8,1"},
        // Ten characters and the terminator: 22 bytes fit, 20 do not.
        {key, u"COM1:", 22, true, 0, u"9600,n,8,1"},
        {key, u"COM1:", 20, true, syserr::kMoreData, u""},
        {key, u"COM2:", 64, true, syserr::kFileNotFound, u""},
        {key + "\\Missing", u"COM1:", 64, false, syserr::kFileNotFound, u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key + " " + std::to_string(row.maxBytes));
        std::u16string value = u"untouched";
        const RegistryRead read = SystemRegistry().ReadMachineString(row.key, row.value, row.maxBytes, value);
        EXPECT_EQ(read.keyOpened, row.keyOpened);
        EXPECT_EQ(read.error, row.error);
        EXPECT_EQ(value, row.error == 0 ? row.text : u"untouched");
    }
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, wideKey.c_str());
}

}  // namespace
}  // namespace lt77
