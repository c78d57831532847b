// The status record's section in the real object namespace: two handles
// share its bytes, a reader cannot write, and everyone but the system and
// the administrators gets only the rights to query and map it.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/shared_memory.h"
#include "platform/system_error.h"

#include <windows.h>
#include <aclapi.h>

namespace lt77 {
namespace {

constexpr DWORD kRecordBytes = 332;

// The rights the section's DACL gives the Everyone group, or none.
std::optional<ACCESS_MASK> EveryonesRights(const std::wstring& name)
{
    HANDLE section = ::OpenFileMappingW(READ_CONTROL, FALSE, name.c_str());
    if (section == nullptr) return std::nullopt;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const ::DWORD read = ::GetSecurityInfo(section, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                           &dacl, nullptr, &descriptor);
    ::CloseHandle(section);
    if (read != ERROR_SUCCESS) return std::nullopt;
    std::optional<ACCESS_MASK> rights;
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    ::DWORD size = sizeof(everyone);
    if (dacl != nullptr && ::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size)) {
        for (::DWORD i = 0; i < dacl->AceCount; ++i) {
            void* ace = nullptr;
            if (!::GetAce(dacl, i, &ace)) continue;
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            if (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && ::EqualSid(&allowed->SidStart, everyone))
                rights = rights.value_or(0) | allowed->Mask;
        }
    }
    ::LocalFree(descriptor);
    return rights;
}

TEST(Win32SharedMemory, TwoHandlesShareTheRecordAndEveryoneMayOnlyMapIt)
{
    const std::u16string name = u"Global\\BIDI_LT-77 Test " + [] {
        const std::string pid = std::to_string(::GetCurrentProcessId());
        return std::u16string(pid.begin(), pid.end());
    }();
    SharedMemory& memory = SystemSharedMemory();
    DWORD error = 0;
    EXPECT_EQ(memory.Open(name, false, error), nullptr);
    EXPECT_EQ(error, syserr::kFileNotFound);

    auto made = memory.CreateStatusSection(name, kRecordBytes, error);
    ASSERT_NE(made, nullptr) << error;
    auto writer = made->Map(true, kRecordBytes);
    ASSERT_NE(writer, nullptr);
    const uint8_t head[] = {0x10, 0x00, 0x00, 0x0F, 0x03, 0x00, 0x00, 0x00};
    std::memcpy(writer->Bytes().data(), head, sizeof(head));

    auto reader = memory.Open(name, false, error);
    ASSERT_NE(reader, nullptr) << error;
    SetLastSystemError(0);
    EXPECT_EQ(reader->Map(true, kRecordBytes), nullptr);
    EXPECT_EQ(LastSystemError(), syserr::kAccessDenied);
    // The last page is the section's; the next one is not.
    SYSTEM_INFO system{};
    ::GetSystemInfo(&system);
    EXPECT_NE(reader->Map(false, system.dwPageSize), nullptr);
    EXPECT_EQ(reader->Map(false, system.dwPageSize + 1), nullptr);
    EXPECT_EQ(LastSystemError(), syserr::kAccessDenied);
    auto view = reader->Map(false, kRecordBytes);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::memcmp(view->Bytes().data(), head, sizeof(head)), 0);

    auto other = memory.Open(name, true, error);
    ASSERT_NE(other, nullptr) << error;
    auto back = other->Map(true, kRecordBytes);
    ASSERT_NE(back, nullptr);
    back->Bytes()[320] = 7;
    EXPECT_EQ(writer->Bytes()[320], 7);

    const std::wstring wide(name.begin(), name.end());
    EXPECT_EQ(EveryonesRights(wide), ACCESS_MASK(SECTION_QUERY | SECTION_MAP_WRITE | SECTION_MAP_READ));
}

}  // namespace
}  // namespace lt77
