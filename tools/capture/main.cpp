// heliotropic-capture: the show rendered headless, frame-exact, to PNG files or video, with a
// trace of every device call. See --help and the README.
#include "jobs.h"
#include "options.h"
#include "session.h"

#include <platform/executablefolder.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

std::string Absolute(const std::string& path) {
    if (path.empty()) return path;
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// The show finds gfx/, scenes/ and music/ beside its program, as the live run does.
bool EnterProgramFolder(const char* argument0) {
    const std::string folder = platform::ExecutableFolder(argument0);
    return !folder.empty() && chdir(folder.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    CaptureOptions options;
    std::string error;
    if (!ParseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "heliotropic-capture: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }
    // Outputs are named from where the user stands; the show itself runs from its own folder.
    if (options.Stills() && options.framesDir.empty()) options.framesDir = ".";
    options.framesDir = Absolute(options.framesDir);
    options.videoFile = Absolute(options.videoFile);
    options.traceFile = Absolute(options.traceFile);
    if (!EnterProgramFolder(argv[0])) {
        std::perror("heliotropic-capture: cannot enter the program's folder");
        return 1;
    }
    const int code = options.listDevices ? ListDevices(options) : RunCaptureJobs(options);
    // Ends as the show's own process does: no static destructors under the audio library's threads.
    std::fflush(nullptr);
    std::_Exit(code);
}
