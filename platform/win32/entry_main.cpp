// The process start on Linux: runs in the executable's folder, so the show finds gfx//, scenes//
// and music// beside itself however it was started, reads the live settings beside it, then
// hands over to the show's WinMain.
#include <platform/executablefolder.h>
#include <platform/livesettings.h>

#include <windows.h>

#include "platform/display.h"

#include <unistd.h>

#include <cstdio>

namespace {

// The program's module handle: a unique address, as the program carries no resources.
char moduleTag;

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = platform::ExecutableFolder(argc > 0 ? argv[0] : nullptr);
    if (!folder.empty() && chdir(folder.c_str()) != 0) perror(folder.c_str());
    platform::LoadLiveSettings(folder);
    int exitCode = WinMain(reinterpret_cast<HINSTANCE>(&moduleTag), nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
    // The show ends with 0 on every path of its own; one that found no display never ran.
    if (platform::DisplayMissing()) exitCode = 1;
    // The process ends as a Windows process does: threads the audio library still runs end with
    // it, instead of static destructors running underneath them.
    ExitProcess(static_cast<UINT>(exitCode));
}
