// The process start on Linux: runs in the executable's folder, so the show finds gfx//, scenes//
// and music// beside itself however it was started, then hands over to the show's WinMain.
#include <windows.h>

#include "platform/display.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

// The program's module handle: a unique address, as the program carries no resources.
char moduleTag;

void EnterExecutableFolder(const char* argument0) {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        if (argument0 == nullptr || strlen(argument0) >= sizeof path) return;
        strcpy(path, argument0);
        length = static_cast<ssize_t>(strlen(path));
    }
    path[length] = '\0';
    char* slash = strrchr(path, '/');
    if (slash == nullptr) return;
    *(slash == path ? slash + 1 : slash) = '\0';
    if (chdir(path) != 0) perror(path);
}

}  // namespace

int main(int argc, char** argv) {
    EnterExecutableFolder(argc > 0 ? argv[0] : nullptr);
    int exitCode = WinMain(reinterpret_cast<HINSTANCE>(&moduleTag), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
    // The show ends with 0 on every path of its own; one that found no display never ran.
    if (platform::DisplayMissing()) exitCode = 1;
    // The process ends as a Windows process does: threads the audio library still runs end with
    // it, instead of static destructors running underneath them.
    ExitProcess(static_cast<UINT>(exitCode));
}
