// One headless run of the show: the real WinMain on the virtual display, the virtual music clock
// and the scripted setup dialog, with the outputs the options ask for.
#pragma once

#include "options.h"

#include <string>

// Runs the show from the current folder (where gfx/, scenes/ and music/ are). Output paths in
// the options must be absolute or relative to that folder. Returns the process exit code:
// 0 when everything asked for was written, 1 otherwise (with the reason on stderr).
int RunCapture(const CaptureOptions& options);

// Prints one line per device the setup dialog would offer on the virtual display of the
// options' size: its description in double quotes, "hardware" or "software", and its number of
// display modes. Returns the process exit code.
int ListDevices(const CaptureOptions& options);
