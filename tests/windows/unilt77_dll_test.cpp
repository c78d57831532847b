// The rendering plug-in as shipped: its export and import tables, and that
// it loads and hands out the plug-in object under Wine.
#include <gtest/gtest.h>

#include <algorithm>

#include "pe_image.h"
#include "platform/library.h"
#include "platform/oem/com.h"

namespace lt77::test_support {
namespace {

const PeImage& Unilt77() { return PeImageOf(LT77_UNILT77_DLL); }

TEST(Unilt77Dll, IsA64BitImage) { EXPECT_EQ(Unilt77().machine, kMachineAmd64); }

TEST(Unilt77Dll, ExportsExactlyTheTwoComEntryPoints)
{
    auto names = Unilt77().exportNames;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"DllCanUnloadNow", "DllGetClassObject"}));
}

TEST(Unilt77Dll, ImportsOnlySystemLibraries)
{
    // The GCC runtime, the C++ library and winpthreads are linked in; a
    // plug-in that needed their DLLs would not load on a print server.
    EXPECT_FALSE(Unilt77().imports.empty());
    EXPECT_EQ(ForeignImports(Unilt77(), {"kernel32.dll", "msvcrt.dll", "user32.dll", "gdi32.dll", "winspool.drv",
                                         "shell32.dll", "advapi32.dll"}),
              std::vector<std::string>{});
}

TEST(Unilt77Dll, ImportsNoGraphicsEngineServiceStatically)
{
    // Wine's gdi32 lacks them, and a DLL importing one does not load there.
    for (const auto& [library, functions] : Unilt77().imports) {
        for (const auto& f : functions) {
            SCOPED_TRACE(library + "!" + f);
            for (const char* prefix : {"Eng", "FONTOBJ_", "STROBJ_", "XFORMOBJ_", "PALOBJ_", "CLIPOBJ_", "BRUSHOBJ_"})
                EXPECT_NE(f.rfind(prefix, 0), 0u);
        }
    }
}

TEST(Unilt77Dll, LoadsAndHandsOutTheRenderingPlugin)
{
    std::string error;
    auto library = LoadSharedLibrary(LT77_UNILT77_DLL, error);
    ASSERT_NE(library, nullptr) << error;
    const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(library->Symbol("DllGetClassObject"));
    const auto canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(library->Symbol("DllCanUnloadNow"));
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(canUnloadNow, nullptr);

    void* unused = nullptr;
    EXPECT_EQ(getClassObject(IID_IPrintOemUni, IID_IClassFactory, &unused), hr::kClassNotAvailable);

    void* factoryPtr = nullptr;
    ASSERT_EQ(getClassObject(CLSID_OEMRENDER, IID_IClassFactory, &factoryPtr), hr::kOk);
    auto* factory = static_cast<IClassFactory*>(factoryPtr);
    void* unknownPtr = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &unknownPtr), hr::kOk);
    factory->Release();
    auto* unknown = static_cast<IUnknown*>(unknownPtr);
    void* pluginPtr = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IPrintOemUni, &pluginPtr), hr::kOk);
    unknown->Release();
    auto* plugin = static_cast<IPrintOemUni*>(pluginPtr);

    // A live object keeps the library loaded.
    EXPECT_EQ(canUnloadNow(), hr::kFalse);
    DWORD signature = 0;
    DWORD needed = 0;
    EXPECT_EQ(plugin->GetInfo(OEMGI_GETSIGNATURE, &signature, sizeof(signature), &needed), hr::kOk);
    EXPECT_EQ(needed, sizeof(DWORD));
    EXPECT_NE(signature, 0u);
    plugin->Release();
    EXPECT_EQ(canUnloadNow(), hr::kOk);
}

}  // namespace
}  // namespace lt77::test_support
