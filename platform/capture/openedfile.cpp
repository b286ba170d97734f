// fopen, wrapped at link time (-Wl,--wrap=fopen on every program linking the platform), so that
// a texture created after an image file was read can be named after that file. Nothing else
// references this unit: it is linked only where the wrap asks for it.
#include "platform/devicetrace.h"

#include <cstdio>
#include <cstring>

extern "C" FILE* __real_fopen(const char* path, const char* mode);

extern "C" FILE* __wrap_fopen(const char* path, const char* mode) {
    FILE* file = __real_fopen(path, mode);
    if (file != nullptr && mode != nullptr && mode[0] == 'r' && std::strchr(mode, '+') == nullptr)
        platform::NoteFileOpenedForReading(path);
    return file;
}
