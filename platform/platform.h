// What the rendering plug-in takes from the operating system. Other binaries
// take only the interfaces they use, each from its own header.
#pragma once

#include "common/text_raster.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/engine.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/spooler.h"
#include "platform/system_error.h"

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
