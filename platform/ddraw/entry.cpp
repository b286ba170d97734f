// The two entry points of DirectDraw. They stand alone in this unit so that a test program
// can provide its own drivers by defining both itself.
#include "directdraw.h"

#include "platform/display.h"

#include <new>

HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    // One driver: the primary display, which has no GUID.
    char description[] = "Primary Display Driver";
    char name[] = "display";
    callback(nullptr, description, name, context, nullptr);
    return DD_OK;
}

HRESULT WINAPI DirectDrawCreateEx(GUID* driverGuid, LPVOID* directDraw, REFIID iid, IUnknown* outer) {
    if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
    *directDraw = nullptr;
    if (outer != nullptr) return DDERR_INVALIDPARAMS;
    if (iid != IID_IDirectDraw7) return E_NOINTERFACE;
    if (driverGuid != nullptr) return DDERR_INVALIDPARAMS;  // there is no secondary driver
    if (!platform::OpenDisplay()) return DDERR_NODIRECTDRAWHW;
    auto* created = new (std::nothrow) ddraw::DirectDraw();
    if (created == nullptr) return DDERR_OUTOFMEMORY;
    *directDraw = static_cast<IDirectDraw7*>(created);
    return DD_OK;
}
