// The test host's machine registry: what opens, what is missing, and values
// measured in UTF-16 bytes with their terminator, as the system measures them.
#include "platform/registry.h"
#include "temporary_root.h"

namespace lt77::testing {
namespace {

constexpr const char* kPorts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports";

using PosixRegistry = TemporaryRootTest;

TEST_F(PosixRegistry, ReadsStringsOfTheKeysInTheFile)
{
    Registry& registry = SystemRegistry();
    std::u16string value;
    RegistryRead read = registry.ReadMachineString(kPorts, u"COM1:", 64, value);
    EXPECT_FALSE(read.keyOpened);
    EXPECT_EQ(read.error, syserr::kFileNotFound);

    WriteFile("registry.ini",
              "[Software\\Microsoft\\Windows NT\\CurrentVersion\\Ports]\n"
              "COM1:=9600,n,8,1\n"
              "COM2:=baud=115200 parity=N data=8 stop=1\n"
              "[Software\\LT77\\Deep\\Below]\n"
              "Name=x\n");
    const struct {
        const char* key;
        const char16_t* value;
        DWORD maxBytes;
        bool keyOpened;
        DWORD error;
        std::u16string text;
    } rows[] = {
        {kPorts, u"COM1:", 64, true, 0, u"9600,n,8,1"},
        {kPorts, u"com1:", 64, true, 0, u"9600,n,8,1"},
        // Ten characters and the terminator: 22 bytes fit, 20 do not.
        {kPorts, u"COM1:", 22, true, 0, u"9600,n,8,1"},
        {kPorts, u"COM1:", 20, true, syserr::kMoreData, u""},
        {kPorts, u"COM2:", 64, true, syserr::kMoreData, u""},
        {kPorts, u"COM3:", 64, true, syserr::kFileNotFound, u""},
        {"software\\lt77\\deep", u"Name", 64, true, syserr::kFileNotFound, u""},
        {"Software\\LT77\\Deep\\Below", u"Name", 64, true, 0, u"x"},
        {"Software\\Missing", u"COM1:", 64, false, syserr::kFileNotFound, u""},
        {"Software\\LT77\\De", u"Name", 64, false, syserr::kFileNotFound, u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.key) + " " + ::testing::PrintToString(std::u16string(row.value)) + " " +
                     std::to_string(row.maxBytes));
        value = u"untouched";
        read = registry.ReadMachineString(row.key, row.value, row.maxBytes, value);
        EXPECT_EQ(read.keyOpened, row.keyOpened);
        EXPECT_EQ(read.error, row.error);
        EXPECT_EQ(value, row.error == 0 ? row.text : u"untouched");
    }
}

}  // namespace
}  // namespace lt77::testing
