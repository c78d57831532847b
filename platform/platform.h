// Everything the portable code takes from the operating system.
#pragma once

#include "common/text_raster.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/engine.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/spooler.h"

namespace lt77 {

struct Platform {
    Spooler& spooler;
    FileSystem& files;
    Clock& clock;
    Shell& shell;
    Profile& profile;
    CodePages& codePages;
    GraphicsEngine& engine;
    TextRasterizer& text;
};

// The implementation of the target the library was built for.
Platform& SystemPlatform();

}  // namespace lt77

namespace lt77 {

// The calling thread's last system error (GetLastError on Windows, errno
// elsewhere), for trace lines that report it.
DWORD LastSystemError();

}  // namespace lt77

namespace lt77 {

void SetLastSystemError(DWORD error);

}  // namespace lt77
