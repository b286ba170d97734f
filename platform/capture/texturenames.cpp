// The file name a texture surface takes. Kept apart from the rest of the core so that the fopen
// wrapper pulls in nothing else.
#include "texturenames.h"

#include "platform/devicetrace.h"

namespace ddraw {

namespace {
std::string openedFileName;
}

std::string TakeOpenedFileName() {
    std::string name;
    name.swap(openedFileName);
    return name;
}

}  // namespace ddraw

void platform::NoteFileOpenedForReading(const char* path) {
    if (path == nullptr) return;
    const char* base = path;
    for (const char* c = path; *c; ++c)
        if (*c == '/' || *c == '\\') base = c + 1;
    ddraw::openedFileName = base;
}
