#include "platform/platform.h"
#include "platform/text_rasterizer.h"

namespace lt77 {

Platform& SystemPlatform()
{
    static Platform platform{SystemSpooler(),   SystemFileSystem(),     SystemClock(),
                             SystemShell(),     SystemProfile(),        SystemCodePages(),
                             SystemGraphicsEngine(), SystemTextRasterizer()};
    return platform;
}

}  // namespace lt77
