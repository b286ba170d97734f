// DirectDraw surfaces: primary flip chains, back buffers, z-buffers, textures and plain
// off-screen surfaces, all in system memory.
#pragma once

#include "com.h"
#include "devicedriver.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ddraw {

class DirectDraw;

class Surface final : public ReferenceCounted<IDirectDrawSurface7> {
public:
    // A surface of the given caps and format; its owner is kept alive while it lives.
    Surface(DirectDraw* owner, DWORD caps, DWORD width, DWORD height, const DDPIXELFORMAT& format);

    HRESULT QueryInterface(REFIID riid, LPVOID* object) override;

    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) override;
    HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7 surface) override;
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 description) override;
    HRESULT GetPixelFormat(LPDDPIXELFORMAT format) override;
    HRESULT GetDDInterface(LPVOID* directDraw) override;
    HRESULT Lock(LPRECT rect, LPDDSURFACEDESC2 description, DWORD flags, HANDLE event) override;
    HRESULT Unlock(LPRECT rect) override;
    HRESULT Blt(LPRECT destinationRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags,
                LPDDBLTFX effects) override;
    HRESULT Flip(LPDIRECTDRAWSURFACE7 overrideSurface, DWORD flags) override;

    // The front of a flip chain owns its back buffer: as with DirectDraw, the whole chain goes
    // when the front's last reference does, whatever references the back buffer still counts.
    void AttachBackBuffer(Surface* backBuffer);
    // Brings the memory up to date before it is used: with what a device drew into it, and
    // with a flipped picture a device still reads back into it.
    void SettleMemory();

    SurfaceMemory memory;
    DWORD caps;
    Surface* zBuffer = nullptr;  // attached with AddAttachedSurface, one reference held
    std::string name;            // the image file of a texture, empty when unknown
    // The window the owner cooperates with.
    HWND Window() const;

private:
    ~Surface() override;
    // A back buffer stays until its front goes.
    void LastReferenceReleased() override;

    DirectDraw* owner;
    std::vector<uint8_t> storage;
    Surface* backBuffer = nullptr;  // owned by the front of a flip chain
    Surface* front = nullptr;       // set on a back buffer while its chain lives
    bool locked = false;
    bool lockedForReading = false;  // an Unlock then changes nothing
};

// Our surface behind an interface pointer, or null for one the core did not make.
Surface* AsSurface(IDirectDrawSurface7* surface);

// The size of DDSURFACEDESC2 in a 32-bit Windows program, as the show fills it in.
constexpr DWORD Win32SurfaceDescriptionSize = 124;

// Accepts the Windows 32-bit record size as well as this build's own.
inline bool ValidDescriptionSize(DWORD size) {
    return size == Win32SurfaceDescriptionSize || size == sizeof(DDSURFACEDESC2);
}

}  // namespace ddraw
