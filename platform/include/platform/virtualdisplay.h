// The virtual display, for tools and tests: windows are created without a screen, the display
// reports the given size as its desktop and as one of its modes, and every presented frame goes
// to the host's callback.
#pragma once

#include <platform/display.h>

namespace platform {

using PresentCallback = std::function<void(const FrameImage&)>;

// Sets the virtual display's size and host, and picks it from the display table. Call before
// the show starts.
void UseVirtualDisplay(DWORD width, DWORD height, PresentCallback onPresent);

}  // namespace platform
