// The bitmap loader: the input is a picture file, loaded as the scenes load theirs, into
// the largest surface and into one smaller than most pictures.
#include "gfx/surfaces.h"
#include "tests/fuzz/fuzz_env.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Prepare();
    fuzz::WriteInput("bmp/fuzz.bmp", data, size);
    LoadBitmapToSurface(g_offscreen3, "bmp\\fuzz.bmp");
    LoadBitmapToSurface(g_offscreen1, "bmp\\Fuzz.BMP");
    return 0;
}
