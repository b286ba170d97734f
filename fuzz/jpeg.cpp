// Pictures: a file in gfx/ decoded as the show decodes its images, then made into a texture of
// the software device and uploaded, as start-up does.
#include "fuzzsupport.h"
#include "renderdevice.h"
#include "texture.h"

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    OpenShowDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFuzzFile("gfx/fuzz.jpg", data, size);
    Image image = {};
    if (LoadJpeg("fuzz.jpg", &image)) {
        if (LPDIRECTDRAWSURFACE7 texture = CreateTexture(renderDevice.device, image.width, image.height)) {
            UploadImage(texture, &image);
            texture->Release();
        }
        free(image.pixels);
    }
    return 0;
}
