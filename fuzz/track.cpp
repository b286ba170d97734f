// Track sampling: a scene file with no records but its tracks, so every mutation lands in the
// track list. The first byte picks the frame scale; the rest is the track list as it stands at
// the end of a scene file. The loader samples each track it keeps, and drawing reads the samples
// at the first and last frames and past the end.
#include "fuzzsupport.h"

#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    OpenShowDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // A 9-byte header of zero counts: the tracks follow at once.
    std::vector<uint8_t> bytes(9, 0);
    bytes.insert(bytes.end(), data + 1, data + size);
    WriteFuzzFile("scenes/tracks.3d", bytes.data(), bytes.size());
    LoadAndDrawScene("tracks.3d", FrameScaleOf(data[0]), 0);
    return 0;
}
