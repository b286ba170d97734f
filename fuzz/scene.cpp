// Scene files: the parser on the raw bytes, then the loader and the renderer on the software
// device. The last byte picks the frame scale and whether the load is flat (a baked file ends
// with the end tag 0: scale 1, indexed).
#include "fuzzsupport.h"
#include "scenefile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    OpenShowDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t choice = size ? data[size - 1] : 0;
    const float frameScale = FrameScaleOf(choice);
    const int flatMesh = (choice >> 4) & 1;
    SceneFile file;
    ParseSceneFile(data, size, frameScale, flatMesh, file);
    WriteFuzzFile("scenes/fuzz.3d", data, size);
    LoadAndDrawScene("fuzz.3d", frameScale, flatMesh);
    return 0;
}
