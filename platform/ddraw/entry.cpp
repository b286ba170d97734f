// The two entry points of DirectDraw, over the table of drivers.
#include "directdraw.h"

#include "platform/directdrawdrivers.h"
#include "platform/display.h"

#include <new>
#include <string>

namespace {

HRESULT CreatePrimaryDisplayDriver(const platform::DirectDrawDriverRecord&, IDirectDraw7** directDraw) {
    if (!platform::OpenDisplay()) return DDERR_NODIRECTDRAWHW;
    auto* created = new (std::nothrow) ddraw::DirectDraw();
    if (created == nullptr) return DDERR_OUTOFMEMORY;
    *directDraw = created;
    return DD_OK;
}

const platform::DirectDrawDriverRecord primaryDisplayDriver = {nullptr, "Primary Display Driver", "display", 0,
                                                               CreatePrimaryDisplayDriver};
const platform::DirectDrawDriverRecord* const machineDrivers[] = {&primaryDisplayDriver, nullptr};
const platform::DirectDrawDriverRecord* const* drivers = machineDrivers;

}  // namespace

void platform::UseDirectDrawDrivers(const DirectDrawDriverRecord* const* table) {
    drivers = table ? table : machineDrivers;
}

HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    for (const platform::DirectDrawDriverRecord* const* driver = drivers; *driver != nullptr; ++driver) {
        if ((*driver)->listedWith != 0 && !(flags & (*driver)->listedWith)) continue;
        // The callback gets its own copies: it may keep the GUID, and the texts are not const.
        GUID guid = (*driver)->guid ? *(*driver)->guid : GUID{};
        std::string description = (*driver)->description, name = (*driver)->name;
        if (!callback((*driver)->guid ? &guid : nullptr, &description[0], &name[0], context, nullptr)) break;
    }
    return DD_OK;
}

HRESULT WINAPI DirectDrawCreateEx(GUID* driverGuid, LPVOID* directDraw, REFIID iid, IUnknown* outer) {
    if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer != nullptr) return DDERR_INVALIDPARAMS;
    if (iid != IID_IDirectDraw7) return E_NOINTERFACE;
    for (const platform::DirectDrawDriverRecord* const* driver = drivers; *driver != nullptr; ++driver) {
        const GUID* guid = (*driver)->guid;
        if (guid ? driverGuid && *driverGuid == *guid : !driverGuid)
            return (*driver)->create(**driver, reinterpret_cast<IDirectDraw7**>(directDraw));
    }
    return DDERR_INVALIDPARAMS;  // no such driver
}
