// mingw-w64's winddi.h includes this Direct3D driver header, which Debian
// does not ship; winddi.h needs nothing from it that a printer driver uses.
#pragma once

#include <ddrawint.h>
