// Image and coupon names of text keys: only plain names of the driver's
// folder become files.
#include "render/text_keys.h"

#include <gtest/gtest.h>

namespace lt77 {
namespace {

TEST(IsPlainImageName, PathsWildcardsAndDeviceNamesAreRefused)
{
    const struct {
        const char* name;
        bool plain;
    } cases[] = {
        {"shop", true},
        {"COUPON1", true},
        {"logo.v2", true},
        {"", false},
        {"..", false},
        {"a..b", false},
        {"..\\..\\secret", false},
        {"sub/shop", false},
        {"c:shop", false},
        {"sh*p", false},
        {"CON", false},
        {"con.bin", false},
        {"Prn", false},
        {"aux.tar.gz", false},
        {"nul ", false},
        {"NUL .txt", false},
        {"COM1", false},
        {"com9.x", false},
        {"Lpt3.txt", false},
        {"LPT1", false},
        {"COM10", true},
        {"LPT", true},
        {"console", true},
        {"icon", true},
        {"nul_x", true},
        {"xcon", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsPlainImageName(c.name), c.plain);
    }
}

}  // namespace
}  // namespace lt77
