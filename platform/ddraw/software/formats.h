// Pixel layouts the software device draws into, samples from and tests depth against.
#pragma once

#include <cstdint>

#include "ddraw/devicedriver.h"
#include "ddraw/surfacelimits.h"

namespace software {

enum class ColourFormat : uint8_t { Unsupported, R5G6B5, X1R5G5B5, X8R8G8B8 };
enum class DepthFormat : uint8_t { Unsupported, Z16, Z32 };

// RGB layouts by their masks; an alpha bit or byte beside them is ignored.
ColourFormat ColourFormatOf(const DDPIXELFORMAT& format);
DepthFormat DepthFormatOf(const DDPIXELFORMAT& format);
int BytesPerPixel(ColourFormat format);
// The bits of a pixel of the layout that hold colour (not the unused top bit or byte).
constexpr uint32_t ColourBitsOf(ColourFormat format) {
    return format == ColourFormat::R5G6B5 ? 0xFFFF : format == ColourFormat::X1R5G5B5 ? 0x7FFF : 0xFFFFFF;
}

// A colour surface the device can use: known layout, sane size, pitch and memory.
bool IsUsableColourSurface(const SurfaceMemory& memory, DWORD maxSide);
bool IsUsableDepthSurface(const SurfaceMemory& memory);
// Whether a device can draw into the surface and the z-buffer attached to it now, whichever
// device it is: D3D_OK with that z-buffer (null when there is none), or the reason it cannot.
HRESULT CheckRenderTarget(IDirectDrawSurface7* surface, IDirectDrawSurface7** depth);

// The formats as EnumTextureFormats and EnumZBufferFormats report them, each list ending with
// a record of size 0.
extern const DDPIXELFORMAT softwareTextureFormats[];
extern const DDPIXELFORMAT softwareZBufferFormats[];

}  // namespace software
