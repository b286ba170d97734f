// What a Direct3D device backend offers the DirectDraw core, and what the core offers it.
// Every backend is one record in the device table; the core walks the table and never names a
// backend itself.
#pragma once

#include <d3d.h>

#include <cstdint>
#include <string>

// Direct3D 7 answers a call it cannot take with DDERR_INVALIDPARAMS; the devices call it by the
// name later Direct3D versions gave it. Not part of d3d.h, which has only Direct3D 7's own names.
#define D3DERR_INVALIDCALL DDERR_INVALIDPARAMS

// What a device keeps for a surface beside the surface's memory: a GL texture mirroring it, or
// the GL framebuffer a render target is really drawn into. The core asks it before it reads or
// shows the pixels, and tells it when the surface goes.
class SurfaceCompanion {
public:
    // How the picture of a back buffer reaches the display at a flip.
    enum class FlipPicture {
        InMemory,  // the memory holds it (brought up to date): the core shows it
        Shown,     // the device showed it on the window itself
        // The device reads it back into the memory the front takes at this flip while the next
        // frame is drawn, and hands it to the display once read (see FinishReadBack).
        ReadingBack,
    };

    // Brings the surface's memory up to date with what the device drew there.
    virtual void WriteBack() = 0;
    // Sends the surface's picture on its way to the window at a flip, after the picture of an
    // earlier flip still being read back.
    virtual FlipPicture Present(HWND window, DWORD refreshRate) = 0;
    // Finishes a picture an earlier flip left being read back: the front's memory gets it and
    // the display is handed it. The core calls it before the front's memory is used.
    virtual void FinishReadBack() = 0;
    // The surface is going: the companion lets go of it and of itself.
    virtual void SurfaceGone() = 0;

protected:
    ~SurfaceCompanion() = default;
};

// The memory behind a surface, as a device draws into it or samples from it.
struct SurfaceMemory {
    void* pixels;  // height rows of pitch bytes, the padding after each row included
    LONG pitch;  // bytes per row
    DWORD width;
    DWORD height;
    DDPIXELFORMAT format;  // RGB formats with masks, or DDPF_ZBUFFER with its bit depth
    // Renewed whenever the core changes the pixels (Unlock, Blt into the surface, Flip), from one
    // counter for all surfaces: a device keeping a copy of the pixels, or something found from
    // them, knows when it is stale, even for a surface made where another was freed.
    uint32_t changes;
    SurfaceCompanion* companion;  // null when no device keeps anything for the surface
};

// Provided by the DirectDraw core for any surface or vertex buffer it created (null otherwise).
SurfaceMemory* SurfaceMemoryOf(IDirectDrawSurface7* surface);
// Whether the surface was created with DDSCAPS_TEXTURE: Direct3D samples no other surface, and
// takes any other set as a texture as no texture at all.
bool IsTextureSurface(IDirectDrawSurface7* surface);
IDirectDrawSurface7* AttachedZBufferOf(IDirectDrawSurface7* surface);
// The window the surface's DirectDraw object cooperates with (where Flip shows it), or null.
HWND CooperativeWindowOf(IDirectDrawSurface7* surface);
void* VertexBufferMemoryOf(IDirect3DVertexBuffer7* vertexBuffer, DWORD* vertexFormat, DWORD* vertexCount);
// The name a texture surface took when it was created (see DeviceLayerRecord), or null.
const char* SurfaceNameOf(IDirectDrawSurface7* surface);
// Finishes the pictures every flip chain still has being read back (see SurfaceCompanion): the
// show never releases its surfaces at its end, so a host wanting every frame calls this then.
void FinishReadBacks();

// The depth a viewport maps z = 1 to. Direct3D widens a range narrower than a thousandth (an
// empty or inverted one too) to exactly that, so depth still orders what is drawn.
inline float ViewportMaxZ(const D3DVIEWPORT7& viewport) {
    const float widened = viewport.dvMinZ + 0.001f;
    return viewport.dvMaxZ > widened ? viewport.dvMaxZ : widened;
}

// Whether a device can be used on this machine, and whether it should be offered first.
enum class DeviceAvailability { Missing, Available, Preferred };

struct DeviceDriverRecord {
    const char* name;          // device name, as EnumDevices reports it
    const char* description;   // device description
    const GUID* guid;
    void (*describe)(D3DDEVICEDESC7* description);
    // Texture formats in the order EnumTextureFormats reports them, ending with dwSize 0.
    const DDPIXELFORMAT* textureFormats;
    // Z-buffer formats in the order EnumZBufferFormats reports them, ending with dwSize 0.
    const DDPIXELFORMAT* zBufferFormats;
    // A new device drawing into the render target, with one reference; null when it cannot.
    IDirect3DDevice7* (*create)(IDirect3D7* direct3D, IDirectDrawSurface7* renderTarget);
    // Whether the machine can run the device; null for a device that always runs.
    DeviceAvailability (*probe)();
};

DeviceAvailability AvailabilityOf(const DeviceDriverRecord& record);

// A layer every created device is handed through before the program gets it: the tracing device
// of the capture component. It also names texture surfaces as they are created.
struct DeviceLayerRecord {
    const char* name;
    // A device standing in front of the inner one; takes over the inner device's reference.
    // Null when out of memory.
    IDirect3DDevice7* (*wrap)(IDirect3DDevice7* inner);
    // The name of a texture surface being created now; empty for none.
    std::string (*textureName)();
};

extern const DeviceDriverRecord softwareDeviceRecord;
extern const DeviceDriverRecord openglDeviceRecord;
extern const DeviceLayerRecord tracingDeviceLayer;

// The device table, ending with null. EnumDevices reports the preferred devices first, then the
// other available ones, each group in table order.
extern const DeviceDriverRecord* const deviceDrivers[];
// The layers, innermost first; ends with null.
extern const DeviceLayerRecord* const deviceLayers[];

namespace platform {
// Devices from this table from now on (a test's own drivers, say); null goes back to
// deviceDrivers.
void UseDeviceDrivers(const DeviceDriverRecord* const* table);
}  // namespace platform
