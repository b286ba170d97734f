// Music: the file the audio library is given, decoded whole as it is when the stream opens.
#include "fuzzsupport.h"
#include "audio/mp3decoder.h"

#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    EnterFuzzFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteFuzzFile("music.mp3", data, size);
    std::vector<int16_t> samples;
    std::string error;
    audio::DecodeMp3File("music.mp3", 44100, samples, error);
    return 0;
}
