// The tracing wrapper every created device goes through: records each call for the installed
// trace sink, then forwards it to the device that does the work.
#pragma once

#include "devicedriver.h"

namespace ddraw {

// Takes over the inner device's reference; null when out of memory.
IDirect3DDevice7* CreateTracingDevice(IDirect3DDevice7* inner);

}  // namespace ddraw
