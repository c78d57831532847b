#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/posix/posix_platform.h"

namespace lt77::posix {

unsigned PosixCodePages::AnsiCodePage()
{
    if (const char* env = std::getenv("LT77_ANSI_CODE_PAGE")) {
        const int cp = std::atoi(env);
        if (cp > 0) return static_cast<unsigned>(cp);
    }
    return 1252;
}

namespace {

std::string IconvName(unsigned codePage)
{
    switch (codePage) {
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 65001: return "UTF-8";
    default: return "CP" + std::to_string(codePage);
    }
}

// Converts one character at a time so that an unmappable one becomes '?'
// (or U+FFFD) without losing the rest, as the system conversions do.
std::string Convert(const std::string& from, const std::string& to, std::string_view input,
                    std::size_t unit, std::string_view replacement)
{
    iconv_t cd = ::iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(replacement);
    std::string out;
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[64];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof(buffer);
        const std::size_t r = ::iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, sizeof(buffer) - oLeft);
        if (r == static_cast<std::size_t>(-1)) {
            if (errno == E2BIG) continue;
            out.append(replacement);
            const std::size_t skip = std::min(unit, inLeft);
            in += skip;
            inLeft -= skip;
            ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    ::iconv_close(cd);
    return out;
}

}  // namespace

std::string PosixCodePages::FromWide(unsigned codePage, std::u16string_view text)
{
    if (codePage == CP_SYSTEM_ANSI) codePage = AnsiCodePage();
    const std::string_view raw(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return Convert("UTF-16LE", IconvName(codePage), raw, 2, "?");
}

std::u16string PosixCodePages::ToWide(unsigned codePage, std::string_view bytes)
{
    if (codePage == CP_SYSTEM_ANSI) codePage = AnsiCodePage();
    const std::string utf16 = Convert(IconvName(codePage), "UTF-16LE", bytes, 1, "\xFD\xFF");
    std::u16string out(utf16.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<uint8_t>(utf16[2 * i]) |
                                       (static_cast<uint8_t>(utf16[2 * i + 1]) << 8));
    return out;
}

}  // namespace lt77::posix

namespace lt77 {

CodePages& SystemCodePages()
{
    static posix::PosixCodePages codePages;
    return codePages;
}

}  // namespace lt77
