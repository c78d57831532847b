#include <sys/time.h>

#include <ctime>
#include <deque>
#include <fstream>
#include <iconv.h>
#include <mutex>

#include "common/ini_file.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/queue_store.h"

namespace lt77::posix {
namespace fs = std::filesystem;

LocalTime ToLocalTime(std::time_t seconds, long milliseconds)
{
    std::tm tm{};
    localtime_r(&seconds, &tm);
    LocalTime t;
    t.year = static_cast<uint16_t>(tm.tm_year + 1900);
    t.month = static_cast<uint16_t>(tm.tm_mon + 1);
    t.dayOfWeek = static_cast<uint16_t>(tm.tm_wday);
    t.day = static_cast<uint16_t>(tm.tm_mday);
    t.hour = static_cast<uint16_t>(tm.tm_hour);
    t.minute = static_cast<uint16_t>(tm.tm_min);
    t.second = static_cast<uint16_t>(tm.tm_sec);
    t.milliseconds = static_cast<uint16_t>(milliseconds);
    return t;
}

LocalTime PosixClock::Now()
{
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    return ToLocalTime(tv.tv_sec, tv.tv_usec / 1000);
}

// The host records every start so that tests and people can see what the
// driver asked for; a program is "found" when its file exists in the folder.
intptr_t PosixShell::Open(std::string_view program, std::u16string_view parameters,
                          std::string_view workingFolder, DWORD& error)
{
    const fs::path log = HostRoot() / "host" / "shell-starts.log";
    std::error_code ec;
    fs::create_directories(log.parent_path(), ec);
    const bool found = fs::is_regular_file(MapWindowsPath(JoinPath(workingFolder, program)), ec);
    {
        std::ofstream out(log, std::ios::app | std::ios::binary);
        out << "program=" << program << "\tparameters=" << Utf16ToUtf8(parameters)
            << "\tfolder=" << workingFolder << "\tfound=" << (found ? "yes" : "no") << '\n';
    }
    if (!found) {
        error = syserr::kFileNotFound;
        return 2;  // SE_ERR_FNF
    }
    error = 0;
    return 42;
}

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

HPALETTE PosixGraphicsEngine::CreateBgrPalette()
{
    // Palettes live as long as the process, as engine palettes of a device do.
    static std::mutex lock;
    static std::deque<PosixPalette> palettes;
    std::lock_guard guard(lock);
    PosixPalette& p = palettes.emplace_back();
    p.bgr = true;
    return &p;
}

std::optional<std::array<PaletteEntry, 256>> PosixGraphicsEngine::ReadPalette(HPALETTE palette)
{
    if (palette == nullptr) return std::nullopt;
    const auto* p = static_cast<const PosixPalette*>(palette);
    if (p->tag != PosixPalette::kTag || p->bgr) return std::nullopt;
    std::array<PaletteEntry, 256> entries{};
    for (uint32_t i = 0; i < std::min<uint32_t>(p->count, 256); ++i) entries[i] = p->entries[i];
    return entries;
}

std::optional<FontDetails> PosixGraphicsEngine::DescribeFont(FONTOBJ* font)
{
    if (font == nullptr) return std::nullopt;
    const auto* host = reinterpret_cast<const HostFont*>(font);
    if (host->tag != HostFont::kTag) return std::nullopt;
    FontDetails d;
    d.flFontType = host->fo.flFontType;
    d.cxMax = host->fo.cxMax;
    d.resolutionY = host->fo.sizLogResPpi.cy;
    for (char16_t c : host->familyName) {
        if (c == 0) break;
        d.familyName.push_back(c);
    }
    d.weight = host->weight;
    d.fsSelection = host->fsSelection;
    d.charSet = host->charSet;
    d.pitchAndFamily = host->pitchAndFamily;
    d.unitsPerEm = host->unitsPerEm;
    d.m21 = host->m21;
    d.m22 = host->m22;
    return d;
}

std::optional<StringDetails> PosixGraphicsEngine::DescribeString(STROBJ* string)
{
    if (string == nullptr) return std::nullopt;
    StringDetails d;
    d.glyphs = string->cGlyphs;
    d.background = string->rclBkGround;
    d.hasText = string->pwszOrg != nullptr;
    if (d.hasText) d.text.assign(string->pwszOrg, string->pwszOrg + string->cGlyphs);
    return d;
}

}  // namespace lt77::posix

namespace lt77 {

Platform& SystemPlatform()
{
    static posix::PosixSpooler spooler;
    static posix::PosixFileSystem files;
    static posix::PosixClock clock;
    static posix::PosixShell shell;
    static posix::PosixProfile profile;
    static posix::PosixCodePages codePages;
    static posix::PosixGraphicsEngine engine;
    static posix::PosixTextRasterizer text;
    static Platform platform{spooler, files, clock, shell, profile, codePages, engine, text};
    return platform;
}

}  // namespace lt77

namespace lt77 {

DWORD LastSystemError() { return static_cast<DWORD>(errno); }

}  // namespace lt77

namespace lt77 {

void SetLastSystemError(DWORD error) { errno = static_cast<int>(error); }

}  // namespace lt77
