// The full-screen modes offered on a display. The picture is rendered at the mode's size and
// scaled to the desktop, so any size up to the desktop's can be offered without ever changing
// the display's real mode.
#pragma once

#include "directdraw.h"
#include "platform/display.h"

#include <vector>

namespace ddraw {

// The reported modes and the classic sizes that fit the desktop, each at 16 and 32 bits per
// pixel and at the desktop's refresh rate, without duplicates, sorted by width, height, depth.
std::vector<Mode> OfferedModes(const std::vector<platform::DisplayMode>& reported, platform::DisplayMode desktop);

}  // namespace ddraw
