// The system's own parts for the library of the loaded possdk.
#include "possdk/print_library.h"

namespace lt77::possdk {

SdkSystem& SystemSdkSystem()
{
    static SdkSystem system{SystemSpooler(),         SystemPortSpooler(),  SystemPrintDocuments(),
                            SystemPrinterDevices(),  SystemMessageBoxes(), SystemCodePages()};
    return system;
}

}  // namespace lt77::possdk
