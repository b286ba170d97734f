// The DirectDraw drivers DirectDrawEnumerateExA lists and DirectDrawCreateEx opens: on this
// platform the primary display's alone. Tests hand over drivers of their own.
#pragma once

#include <ddraw.h>

namespace platform {

struct DirectDrawDriverRecord {
    const GUID* guid;  // null for the primary display driver
    const char* description;
    const char* name;
    // 0 for a driver that is always listed, else the DDENUM_ flag that lists it.
    DWORD listedWith;
    // A new DirectDraw object of the driver with one reference, or why there is none.
    HRESULT (*create)(const DirectDrawDriverRecord& driver, IDirectDraw7** directDraw);
};

// Uses these drivers from now on (null-terminated); null goes back to the primary display's.
void UseDirectDrawDrivers(const DirectDrawDriverRecord* const* drivers);

}  // namespace platform
