// Whether this machine's OpenGL can run the hardware device. Asking means loading the driver,
// and Mesa's llvmpipe brings LLVM with it (some 50 MB that are never unloaded), so the question is
// put to a small program of its own, heliotropic-glprobe, beside the running one: a process that
// never draws with OpenGL then never holds the driver, and a driver that crashes while asked takes
// only the probe with it.
#pragma once

#include "ddraw/devicedriver.h"

namespace opengl {

constexpr const char* ProbeProgramName = "heliotropic-glprobe";

// Asks in this process: a headless OpenGL 3.3 core context made and its renderer read; the context
// is let go again, as the devices may draw in the display's.
DeviceAvailability ProbeHere();

// The probe program's exit status for an answer, and the answer for an exit status (false for a
// status no answer gives).
int ExitStatusOf(DeviceAvailability availability);
bool AvailabilityOfExitStatus(int status, DeviceAvailability* availability);

// Runs the probe program found beside this executable and waits for its answer; false when there
// is none or it could not be started. A probe that dies of a signal answers Missing.
bool AskProbeProgram(DeviceAvailability* answer);

}  // namespace opengl
