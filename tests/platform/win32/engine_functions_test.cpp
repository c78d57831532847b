#include <gtest/gtest.h>

#include "platform/win32/win32_platform.h"

#include <windows.h>

namespace lt77::win32 {
namespace {

// A stand-in engine: one indexed palette of 256 colours and one BGR palette.
int g_indexedPalette = 0;
int g_bgrPalette = 0;
ULONG g_lastCreateMode = 0;

HPALETTE FakeCreatePalette(ULONG mode, ULONG, ULONG*, FLONG, FLONG, FLONG)
{
    g_lastCreateMode = mode;
    return &g_bgrPalette;
}

ULONG FakeQueryPalette(HPALETTE palette, ULONG* mode, ULONG count, ULONG* colors)
{
    if (palette == &g_bgrPalette) {
        *mode = ENG_PAL_BGR;
        return 0;
    }
    *mode = ENG_PAL_INDEXED;
    if (colors == nullptr) return 256;
    // Colour i: red i, green 255 - i, blue 0x40, flags 0.
    for (ULONG i = 0; i < count; ++i) colors[i] = i | ((255 - i) << 8) | (0x40u << 16);
    return count;
}

const EngineFunctions& FakeFunctions()
{
    static const EngineFunctions f{&FakeCreatePalette, &FakeQueryPalette};
    return f;
}

const EngineFunctions& NoFunctions()
{
    static const EngineFunctions f{};
    return f;
}

TEST(Win32GraphicsEngine, CreatesTheBgrPaletteThroughTheEngine)
{
    Win32GraphicsEngine engine(&FakeFunctions);
    EXPECT_EQ(engine.CreateBgrPalette(), &g_bgrPalette);
    EXPECT_EQ(g_lastCreateMode, ENG_PAL_BGR);
}

TEST(Win32GraphicsEngine, ReadsAnIndexedPaletteRedFromTheLowByte)
{
    Win32GraphicsEngine engine(&FakeFunctions);
    const auto entries = engine.ReadPalette(&g_indexedPalette);
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ((*entries)[0].red, 0);
    EXPECT_EQ((*entries)[0].green, 255);
    EXPECT_EQ((*entries)[0].blue, 0x40);
    EXPECT_EQ((*entries)[200].red, 200);
    EXPECT_EQ((*entries)[200].green, 55);
    EXPECT_EQ((*entries)[255].flags, 0);
}

TEST(Win32GraphicsEngine, BgrOrNullPaletteHasNoEntries)
{
    Win32GraphicsEngine engine(&FakeFunctions);
    EXPECT_FALSE(engine.ReadPalette(&g_bgrPalette).has_value());
    EXPECT_FALSE(engine.ReadPalette(nullptr).has_value());
}

TEST(Win32GraphicsEngine, WithoutEngineFunctionsEverythingComesBackEmpty)
{
    Win32GraphicsEngine engine(&NoFunctions);
    EXPECT_EQ(engine.CreateBgrPalette(), nullptr);
    EXPECT_FALSE(engine.ReadPalette(&g_indexedPalette).has_value());
}

TEST(Win32GraphicsEngine, SystemFunctionsAreThoseGdi32Exports)
{
    const HMODULE gdi32 = ::LoadLibraryW(L"gdi32.dll");
    ASSERT_NE(gdi32, nullptr);
    const EngineFunctions& f = SystemEngineFunctions();
    EXPECT_EQ(reinterpret_cast<void*>(f.EngCreatePalette),
              reinterpret_cast<void*>(::GetProcAddress(gdi32, "EngCreatePalette")));
    EXPECT_EQ(reinterpret_cast<void*>(f.EngQueryPalette),
              reinterpret_cast<void*>(::GetProcAddress(gdi32, "EngQueryPalette")));
    if (f.EngCreatePalette == nullptr) {
        EXPECT_EQ(Win32GraphicsEngine().CreateBgrPalette(), nullptr);
    }
}

TEST(Win32GraphicsEngine, GdiPaletteIsReadThroughGdi)
{
    // An engine without palette queries, as under Wine, but with GDI.
    static const EngineFunctions gdiOnly = [] {
        EngineFunctions f;
        f.GetPaletteEntries = [](HPALETTE palette, uint32_t start, uint32_t count, PVOID out) -> uint32_t {
            return ::GetPaletteEntries(static_cast<::HPALETTE>(palette), start, count,
                                       static_cast<PALETTEENTRY*>(out));
        };
        return f;
    }();
    struct {
        LOGPALETTE header;
        PALETTEENTRY rest[2];
    } three{};
    three.header.palVersion = 0x300;
    three.header.palNumEntries = 3;
    PALETTEENTRY* entries = &three.header.palPalEntry[0];
    entries[0] = {10, 20, 30, 0};
    three.rest[0] = {40, 50, 60, 0};
    three.rest[1] = {255, 255, 255, 0};
    const ::HPALETTE palette = ::CreatePalette(&three.header);
    ASSERT_NE(palette, nullptr);

    Win32GraphicsEngine engine([]() -> const EngineFunctions& { return gdiOnly; });
    const auto read = engine.ReadPalette(palette);
    ::DeleteObject(palette);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ((*read)[0].red, 10);
    EXPECT_EQ((*read)[0].green, 20);
    EXPECT_EQ((*read)[0].blue, 30);
    EXPECT_EQ((*read)[1].blue, 60);
    EXPECT_EQ((*read)[2].red, 255);
    EXPECT_EQ((*read)[3].red, 0);
}

TEST(Win32GraphicsEngine, SomethingThatIsNotAPaletteHasNoEntries)
{
    int notAPalette = 0;
    EXPECT_FALSE(Win32GraphicsEngine().ReadPalette(&notAPalette).has_value());
}

}  // namespace
}  // namespace lt77::win32
