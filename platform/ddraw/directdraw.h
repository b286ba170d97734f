// The DirectDraw object of the one display driver: display modes, cooperation, surfaces.
#pragma once

#include "com.h"
#include "devicedriver.h"

#include <vector>

namespace ddraw {

struct Mode {
    DWORD width;
    DWORD height;
    DWORD bitCount;
    DWORD refreshRate;
};

class DirectDraw final : public ReferenceCounted<IDirectDraw7> {
public:
    DirectDraw();

    HRESULT QueryInterface(REFIID riid, LPVOID* object) override;

    HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS emulationCaps) override;
    HRESULT EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                             LPDDENUMMODESCALLBACK2 callback) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) override;
    HRESULT CreateSurface(LPDDSURFACEDESC2 description, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) override;

    // What Flip needs to show a frame: the cooperating window and the mode's refresh rate.
    HWND window = nullptr;
    bool exclusive = false;
    Mode mode = {};  // the mode set with SetDisplayMode; width 0 before

private:
    ~DirectDraw() override;
    HRESULT CreateFlipChain(const DDSURFACEDESC2& description, LPDIRECTDRAWSURFACE7* surface);

    std::vector<Mode> modes;
};

}  // namespace ddraw
