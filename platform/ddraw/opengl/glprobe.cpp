#include "ddraw/opengl/glprobe.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "ddraw/opengl/glcontext.h"

extern char** environ;

namespace opengl {

namespace {

// Statuses 10 (missing), 11 (available) and 12 (preferred), apart from the usual failures.
constexpr int FirstStatus = 10;

// The probe program's path: this executable's folder and its name.
std::string ProbeProgramPath() {
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return std::string();
    const std::string path(self, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return std::string();
    return path.substr(0, slash + 1) + ProbeProgramName;
}

}  // namespace

DeviceAvailability ProbeHere() {
    if (!MakeHeadlessContextCurrent()) return DeviceAvailability::Missing;
    const bool onCpu = IsSoftwareRenderer(RendererName());
    ReleaseHeadlessContext();
    return onCpu ? DeviceAvailability::Available : DeviceAvailability::Preferred;
}

int ExitStatusOf(DeviceAvailability availability) { return FirstStatus + static_cast<int>(availability); }

bool AvailabilityOfExitStatus(int status, DeviceAvailability* availability) {
    const int answer = status - FirstStatus;
    if (answer < static_cast<int>(DeviceAvailability::Missing) || answer > static_cast<int>(DeviceAvailability::Preferred))
        return false;
    *availability = static_cast<DeviceAvailability>(answer);
    return true;
}

bool AskProbeProgram(DeviceAvailability* answer) {
    const std::string program = ProbeProgramPath();
    if (program.empty() || access(program.c_str(), X_OK) != 0) return false;
    char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ) != 0) return false;
    int status = 0;
    pid_t waited;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != child) return false;
    if (WIFSIGNALED(status)) {
        *answer = DeviceAvailability::Missing;
        return true;
    }
    return WIFEXITED(status) && AvailabilityOfExitStatus(WEXITSTATUS(status), answer);
}

}  // namespace opengl
