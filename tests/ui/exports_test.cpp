// uilt77 through its exports, as the driver core and the spooler hold it.
#include "platform/library.h"
#include "platform/oem/oem_ui.h"
#include "platform/system_error.h"
#include "ui_fixture.h"

namespace lt77::ui::testing {
namespace {

class UiExports : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        std::string error;
        library_ = LoadSharedLibrary(LT77_UI_PLUGIN_PATH, error);
        ASSERT_TRUE(library_) << error;
        getClassObject_ = reinterpret_cast<DllGetClassObjectFn>(library_->Symbol("DllGetClassObject"));
        canUnloadNow_ = reinterpret_cast<DllCanUnloadNowFn>(library_->Symbol("DllCanUnloadNow"));
        ASSERT_TRUE(getClassObject_ && canUnloadNow_);
    }
    void TearDown() override
    {
        if (ui_ != nullptr) ui_->Release();
        unsetenv("LT77_UI_LANGUAGE");
        UiTest::TearDown();
    }
    IClassFactory* Factory()
    {
        void* f = nullptr;
        EXPECT_EQ(getClassObject_(CLSID_OEMUI, IID_IClassFactory, &f), hr::kOk);
        return static_cast<IClassFactory*>(f);
    }
    // As the core makes it: IUnknown first, then the UI interface.
    IPrintOemUI* Ui()
    {
        if (ui_ != nullptr) return ui_;
        IClassFactory* factory = Factory();
        void* unknown = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &unknown), hr::kOk);
        factory->Release();
        void* ui = nullptr;
        EXPECT_EQ(static_cast<IUnknown*>(unknown)->QueryInterface(IID_IPrintOemUI, &ui), hr::kOk);
        static_cast<IUnknown*>(unknown)->Release();
        ui_ = static_cast<IPrintOemUI*>(ui);
        return ui_;
    }
    void SetAttributes(const char* text) { ASSERT_FALSE(host::SetQueueSetting(kQueue, "Attributes", text)); }
    PrinterLevel2 Level2()
    {
        PrinterLevel2 info;
        EXPECT_EQ(SystemPrinterSetup().GetLevel2(core_->Handle(), info), 0u);
        return info;
    }

    std::unique_ptr<SharedLibrary> library_;
    DllGetClassObjectFn getClassObject_ = nullptr;
    DllCanUnloadNowFn canUnloadNow_ = nullptr;
    IPrintOemUI* ui_ = nullptr;
};

TEST_F(UiExports, UnloadWaitsForFactoriesObjectsAndLocks)
{
    void* none = &none;
    const GUID other = IID_IPrintOemUI;
    EXPECT_EQ(getClassObject_(other, IID_IClassFactory, &none), hr::kClassNotAvailable);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(canUnloadNow_(), hr::kOk);

    IClassFactory* factory = Factory();
    EXPECT_EQ(canUnloadNow_(), hr::kFalse);
    void* object = &object;
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown, &object),
              hr::kNoAggregation);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI, &object), hr::kOk);
    EXPECT_EQ(factory->LockServer(kBoolTrue), hr::kOk);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), hr::kFalse);  // the object lives, and the lock

    auto* ui = static_cast<IPrintOemUI*>(object);
    void* other2 = &other2;
    EXPECT_EQ(ui->QueryInterface(IID_IClassFactory, &other2), hr::kNoInterface);
    EXPECT_EQ(other2, nullptr);
    ui->Release();
    EXPECT_EQ(canUnloadNow_(), hr::kFalse);  // the lock alone
    IClassFactory* again = Factory();
    again->LockServer(kBoolFalse);
    again->Release();
    EXPECT_EQ(canUnloadNow_(), hr::kOk);
}

TEST_F(UiExports, GetInfoModes)
{
    struct Case {
        const char* name;
        DWORD mode;
        DWORD size;
        bool withNeeded;
        HRESULT result;
        DWORD error;
        DWORD needed;
        DWORD value;
    };
    const Case cases[] = {
        {"signature", 1, 4, true, hr::kOk, 0, 4, 0x4D534654},
        {"version", 3, 4, true, hr::kOk, 0, 4, 1},
        {"interface version is not answered", 2, 4, true, hr::kFail, 87, 99, 0},
        {"3-byte buffer", 1, 3, true, hr::kFail, 122, 4, 0},
        {"publisher information", 4, 4, true, hr::kFail, 50, 0, 0},
        {"no needed pointer", 1, 4, false, hr::kFail, 87, 99, 0},
        {"unknown mode", 9, 4, true, hr::kFail, 87, 99, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DWORD buffer = 0;
        DWORD needed = 99;
        SetLastSystemError(0);
        EXPECT_EQ(Ui()->GetInfo(c.mode, &buffer, c.size, c.withNeeded ? &needed : nullptr), c.result);
        if (c.result != hr::kOk) {
            EXPECT_EQ(LastSystemError(), c.error);
        }
        EXPECT_EQ(needed, c.needed);
        EXPECT_EQ(buffer, c.value);
    }
    EXPECT_EQ(Ui()->DevMode(1, nullptr), hr::kNotImpl);
    EXPECT_EQ(Ui()->PublishDriverInterface(nullptr), hr::kFail);
}

TEST_F(UiExports, QueryColorProfileWantsThirtyTwoBytes)
{
    char16_t buffer[17] = {};
    ULONG size = 31;
    FLONG flags = 0;
    EXPECT_EQ(Ui()->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, buffer, &size, &flags), hr::kFail);
    EXPECT_EQ(size, 32u);
    EXPECT_EQ(LastSystemError(), syserr::kInsufficientBuffer);
    EXPECT_EQ(buffer[0], 0);
    size = 32;
    EXPECT_EQ(Ui()->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 0, buffer, &size, &flags), hr::kOk);
    EXPECT_EQ(std::u16string(buffer), u"OEMPROFILE.icm");
    EXPECT_EQ(flags, 2u);
    EXPECT_EQ(Ui()->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, 1, buffer, &size, &flags), hr::kFail);
}

TEST_F(UiExports, CommonUiPropHidesEveryItemOfTheCore)
{
    OPTITEM items[3] = {};
    items[1].Flags = 0x40;
    OEMCUIPPARAM param{};
    param.pDrvOptItems = items;
    param.cDrvOptItems = 3;
    EXPECT_EQ(Ui()->CommonUIProp(OEMCUIP_PRNPROP, &param), hr::kOk);
    EXPECT_EQ(items[0].Flags, OPTIF_HIDE);
    EXPECT_EQ(items[1].Flags, 0x42u);
    EXPECT_EQ(items[2].Flags, OPTIF_HIDE);
    EXPECT_EQ(Ui()->CommonUIProp(3, &param), hr::kFail);
    EXPECT_EQ(LastSystemError(), syserr::kInvalidParameter);
}

TEST_F(UiExports, InstallationSeedsTheQueueAndLeavesOnlyRawOnly)
{
    SetAttributes("0x00000A48");
    setenv("LT77_UI_LANGUAGE", "0x0412", 1);  // Korean
    WriteIni("[LT77]\r\nPREFERENCE[0]=3\r\nPREFERENCE[5]=300\r\nPREFERENCE[28]=2\r\n"
             "START_DOCUMENT_CMD=<1B40>\r\nEND_DOCUMENT_CMD=<1d56 4>\r\n1D_BARCODE[3]=<0203320101>\r\n"
             "1D_BARCODE[4]=<030332010>\r\n");
    char16_t name[] = u"UiQ";
    EXPECT_EQ(Ui()->PrinterEvent(name, PRINTER_EVENT_INITIALIZE, 0, 0), hr::kOk);
    EXPECT_EQ(Level2().attributes, 0x1000u);
    EXPECT_EQ(Level2().printProcessor, u"PRINT PROCESSOR LT-77");
    std::vector<uint8_t> misc(44, 0);
    misc[0] = 3;
    misc[5] = 44;  // 300's low byte
    misc[28] = 5;  // the system's own language, whatever the file says
    EXPECT_EQ(Misc(), misc);
    EXPECT_EQ(Data(kStartDocValue), (std::vector<uint8_t>{0x1B, 0x40}));
    EXPECT_EQ(Data(kEndDocValue), (std::vector<uint8_t>{0x1D, 0x56}));  // the lone digit dropped
    EXPECT_FALSE(Data(kStartPageValue).has_value());
    const auto info = Data(kBarcodeInfoValue).value();
    ASSERT_EQ(info.size(), 45u);
    EXPECT_EQ(std::vector<uint8_t>(info.begin() + 10, info.begin() + 20),
              (std::vector<uint8_t>{2, 3, 50, 1, 1, 3, 3, 50, 0, 0}));  // 11 characters are ignored
    EXPECT_EQ(Data(kCodeDataValue).value().size(), 160u);
    EXPECT_EQ(Data("MajorVersion"), (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(Data("ExtraVersion"), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(UiExports, InstallationWithoutTheFileWritesOnlyTheVersion)
{
    char16_t name[] = u"UiQ";
    EXPECT_EQ(Ui()->PrinterEvent(name, PRINTER_EVENT_INITIALIZE, 0, 0), hr::kOk);
    EXPECT_FALSE(Data(kMiscValue).has_value());
    EXPECT_FALSE(Data(kBarcodeInfoValue).has_value());
    EXPECT_TRUE(Data("MajorVersion").has_value());
    char16_t missing[] = u"NoSuchQueue";
    EXPECT_EQ(Ui()->PrinterEvent(missing, PRINTER_EVENT_INITIALIZE, 0, 0), hr::kOk);
    EXPECT_EQ(Ui()->PrinterEvent(nullptr, PRINTER_EVENT_INITIALIZE, 0, 0), hr::kOk);
}

TEST_F(UiExports, AttributesChangedAddsRawOnlyWhereItLacks)
{
    char16_t name[] = u"UiQ";
    SetAttributes("0x00000840");
    PRINTER_EVENT_ATTRIBUTES_INFO has{12, 0x840, 0x1840};
    EXPECT_EQ(Ui()->PrinterEvent(name, PRINTER_EVENT_ATTRIBUTES_CHANGED, 0, reinterpret_cast<LPARAM>(&has)), hr::kOk);
    EXPECT_EQ(Level2().attributes, 0x840u);  // untouched
    EXPECT_EQ(Level2().printProcessor, u"winprint");
    PRINTER_EVENT_ATTRIBUTES_INFO lacks{12, 0x1840, 0x840};
    EXPECT_EQ(Ui()->PrinterEvent(name, PRINTER_EVENT_ATTRIBUTES_CHANGED, 0, reinterpret_cast<LPARAM>(&lacks)),
              hr::kOk);
    EXPECT_EQ(Level2().attributes, 0x1840u);
    EXPECT_EQ(Level2().printProcessor, u"PRINT PROCESSOR LT-77");
    EXPECT_EQ(Ui()->PrinterEvent(name, PRINTER_EVENT_ATTRIBUTES_CHANGED, 0, 0), hr::kOk);
}

// The core's add-page callback, recording the templates it is given.
struct RecordedSheet {
    std::vector<std::u16string> templates;
    std::vector<PageContext*> contexts;
    int refuseAt = -1;
};

LONG_PTR RecordPage(HANDLE sheet, UINT function, LPARAM page, LPARAM)
{
    auto* recorded = static_cast<RecordedSheet*>(sheet);
    if (function != CPSFUNC_ADD_PROPSHEETPAGEW) return -1;
    if (static_cast<int>(recorded->templates.size()) == recorded->refuseAt) return 0;
    const auto* record = reinterpret_cast<const PROPSHEETPAGEW_V1*>(page);
    EXPECT_EQ(record->dwSize, sizeof(PROPSHEETPAGEW_V1));
    recorded->templates.push_back(record->pszTemplate);
    recorded->contexts.push_back(ContextOfPage(record));
    return 1;
}

TEST_F(UiExports, SheetsAddTheirPagesAndSeedMissingSettings)
{
    setenv("LT77_UI_LANGUAGE", "0x0415", 1);  // Polish
    RecordedSheet doc;
    char16_t name[] = u"UiQ";
    OEMUIPSPARAM params{};
    params.hPrinter = core_->Handle();
    params.pPrinterName = name;
    PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.Version = 0x0100;
    info.hComPropSheet = &doc;
    info.pfnComPropSheet = &RecordPage;
    info.lParamInit = reinterpret_cast<LPARAM>(&params);
    EXPECT_EQ(Ui()->DocumentPropertySheets(&info, 0), hr::kOk);
    EXPECT_EQ(doc.templates, (std::vector<std::u16string>{u"Layout", u"Document Settings", u"NV Image", u"Barcode",
                                                          u"Dithering", u"Utility"}));
    ASSERT_NE(doc.contexts[0], nullptr);
    EXPECT_EQ(doc.contexts[0], doc.contexts[5]);  // one context for every page
    EXPECT_EQ(info.Result, 1u);
    // "MISC" was missing: the defaults are written at once, with the language index.
    auto misc = UiDefaultSettings();
    misc[IDX_UI_LANGUAGE] = 5;
    EXPECT_EQ(Misc(), std::vector<uint8_t>(misc.begin(), misc.end()));

    PROPSHEETUI_INFO_HEADER header{};
    info.Reason = PROPSHEETUI_REASON_GET_INFO_HEADER;
    EXPECT_EQ(Ui()->DocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&header)), hr::kOk);
    EXPECT_EQ(std::u16string(header.pTitle), u"OEM UI Page");
    SETRESULT_INFO set{sizeof set, 0, nullptr, 0};
    info.Reason = PROPSHEETUI_REASON_SET_RESULT;
    EXPECT_EQ(Ui()->DocumentPropertySheets(&info, reinterpret_cast<LPARAM>(&set)), hr::kFail);
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    EXPECT_EQ(Ui()->DocumentPropertySheets(&info, 0), hr::kOk);
    EXPECT_EQ(info.UserData, 0u);

    RecordedSheet device;
    device.refuseAt = 1;
    info.Reason = PROPSHEETUI_REASON_INIT;
    info.hComPropSheet = &device;
    EXPECT_EQ(Ui()->DevicePropertySheets(&info, 0), hr::kFail);  // the Version page was refused
    EXPECT_EQ(device.templates, std::vector<std::u16string>{u"Language"});
    info.Reason = PROPSHEETUI_REASON_DESTROY;
    Ui()->DevicePropertySheets(&info, 0);

    info.Version = 0x0099;
    SetLastSystemError(0);
    EXPECT_EQ(Ui()->DocumentPropertySheets(&info, 0), hr::kFail);
    EXPECT_EQ(LastSystemError(), syserr::kInvalidParameter);
}

}  // namespace
}  // namespace lt77::ui::testing
