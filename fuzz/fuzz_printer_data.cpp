// libFuzzer entry: see fuzz/fuzz_bodies.h.
#include "fuzz/fuzz_bodies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lt77::fuzz::PrinterData(data, size);
    return 0;
}
