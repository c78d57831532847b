// Font and string objects read through engine functions that a test plays:
// the layouts are the system's (winddi.h), the values hand-picked.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/win32/win32_platform.h"

#include <windows.h>
#include <winddi.h>

namespace lt77::win32 {
namespace {

// A metrics record with the family name stored after it, as the engine keeps it.
std::vector<BYTE> g_metrics;
int g_transform = 0;
bool g_transformFails = false;

std::vector<BYTE> MakeMetrics(const wchar_t* family)
{
    const std::size_t nameBytes = (std::wcslen(family) + 1) * sizeof(wchar_t);
    std::vector<BYTE> bytes(sizeof(::IFIMETRICS) + nameBytes);
    auto* ifi = reinterpret_cast<::IFIMETRICS*>(bytes.data());
    ifi->cjThis = static_cast<ULONG>(bytes.size());
    ifi->dpwszFamilyName = sizeof(::IFIMETRICS);
    ifi->usWinWeight = 700;
    ifi->fsSelection = 0x0021;
    ifi->jWinCharSet = 129;
    ifi->jWinPitchAndFamily = 0x31;
    ifi->fwdUnitsPerEm = 2048;
    std::memcpy(bytes.data() + sizeof(::IFIMETRICS), family, nameBytes);
    return bytes;
}

IFIMETRICS* FakePifi(FONTOBJ*) { return reinterpret_cast<IFIMETRICS*>(g_metrics.data()); }
XFORMOBJ* FakeGetXform(FONTOBJ*) { return reinterpret_cast<XFORMOBJ*>(&g_transform); }
ULONG FakeGetMatrix(XFORMOBJ*, float* matrix)
{
    if (g_transformFails) return DDI_ERROR;
    const float values[6] = {0.0f, -0.0117f, 0.0117f, 0.0f, 0.0f, 0.0f};  // a quarter turn, 24 px per 2048 units
    std::memcpy(matrix, values, sizeof(values));
    return 1;
}

const EngineFunctions& FontFunctions()
{
    static const EngineFunctions f = [] {
        EngineFunctions e;
        e.FONTOBJ_pifi = &FakePifi;
        e.FONTOBJ_pxoGetXform = &FakeGetXform;
        e.XFORMOBJ_iGetXform = &FakeGetMatrix;
        return e;
    }();
    return f;
}

FONTOBJ FontObject()
{
    FONTOBJ fo{};
    fo.cxMax = 31;
    fo.flFontType = FO_TYPE_TRUETYPE;
    fo.sizLogResPpi = {203, 203};
    return fo;
}

TEST(Win32FontObjects, DetailsComeFromTheMetricsAndTheTransform)
{
    g_metrics = MakeMetrics(L"Gulim");
    g_transformFails = false;
    FONTOBJ fo = FontObject();
    const auto details = Win32GraphicsEngine(&FontFunctions).DescribeFont(&fo);
    ASSERT_TRUE(details.has_value());
    EXPECT_EQ(details->familyName, u"Gulim");
    EXPECT_EQ(details->flFontType, FO_TYPE_TRUETYPE);
    EXPECT_EQ(details->cxMax, 31u);
    EXPECT_EQ(details->resolutionY, 203);
    EXPECT_EQ(details->weight, 700);
    EXPECT_EQ(details->fsSelection, 0x0021);
    EXPECT_EQ(details->charSet, 129);
    EXPECT_EQ(details->pitchAndFamily, 0x31);
    EXPECT_EQ(details->unitsPerEm, 2048);
    EXPECT_FLOAT_EQ(details->m21, 0.0117f);
    EXPECT_FLOAT_EQ(details->m22, 0.0f);
}

TEST(Win32FontObjects, FamilyNameOutsideTheRecordIsLeftEmpty)
{
    g_metrics = MakeMetrics(L"Arial");
    reinterpret_cast<::IFIMETRICS*>(g_metrics.data())->dpwszFamilyName = static_cast<PTRDIFF>(g_metrics.size());
    g_transformFails = false;
    FONTOBJ fo = FontObject();
    const auto details = Win32GraphicsEngine(&FontFunctions).DescribeFont(&fo);
    ASSERT_TRUE(details.has_value());
    EXPECT_TRUE(details->familyName.empty());
}

TEST(Win32FontObjects, FailingTransformOrMissingFunctionsGiveNothing)
{
    g_metrics = MakeMetrics(L"Arial");
    FONTOBJ fo = FontObject();
    g_transformFails = true;
    EXPECT_FALSE(Win32GraphicsEngine(&FontFunctions).DescribeFont(&fo).has_value());
    g_transformFails = false;
    EXPECT_FALSE(Win32GraphicsEngine([]() -> const EngineFunctions& {
                     static const EngineFunctions none{};
                     return none;
                 }).DescribeFont(&fo).has_value());
    EXPECT_FALSE(Win32GraphicsEngine(&FontFunctions).DescribeFont(nullptr).has_value());
}

TEST(Win32StringObjects, GlyphCountBackgroundAndTextAreRead)
{
    char16_t text[] = u"TOTAL 12.50";
    STROBJ so{};
    so.cGlyphs = 5;
    so.rclBkGround = RECTL{10, 20, 110, 44};
    so.pwszOrg = text;
    const auto details = Win32GraphicsEngine().DescribeString(&so);
    ASSERT_TRUE(details.has_value());
    EXPECT_EQ(details->glyphs, 5u);
    EXPECT_EQ(details->background.right, 110);
    EXPECT_TRUE(details->hasText);
    EXPECT_EQ(details->text, u"TOTAL");

    so.pwszOrg = nullptr;
    const auto glyphsOnly = Win32GraphicsEngine().DescribeString(&so);
    ASSERT_TRUE(glyphsOnly.has_value());
    EXPECT_FALSE(glyphsOnly->hasText);
    EXPECT_FALSE(Win32GraphicsEngine().DescribeString(nullptr).has_value());
}

}  // namespace
}  // namespace lt77::win32
