#include "ddraw/software/formats.h"

#include "ddraw/pixelformats.h"

namespace software {

ColourFormat ColourFormatOf(const DDPIXELFORMAT& format) {
    if (!(format.dwFlags & DDPF_RGB)) return ColourFormat::Unsupported;
    if (format.dwRGBBitCount == 16 && format.dwRBitMask == 0xF800 && format.dwGBitMask == 0x07E0 &&
        format.dwBBitMask == 0x001F)
        return ColourFormat::R5G6B5;
    if (format.dwRGBBitCount == 16 && format.dwRBitMask == 0x7C00 && format.dwGBitMask == 0x03E0 &&
        format.dwBBitMask == 0x001F)
        return ColourFormat::X1R5G5B5;
    if (format.dwRGBBitCount == 32 && format.dwRBitMask == 0xFF0000 && format.dwGBitMask == 0xFF00 &&
        format.dwBBitMask == 0xFF)
        return ColourFormat::X8R8G8B8;
    return ColourFormat::Unsupported;
}

DepthFormat DepthFormatOf(const DDPIXELFORMAT& format) {
    if (!(format.dwFlags & DDPF_ZBUFFER)) return DepthFormat::Unsupported;
    // A zero mask means "all bits of the depth" for callers that fill only the bit depth.
    if (format.dwZBufferBitDepth == 16 && (format.dwZBitMask == 0xFFFF || format.dwZBitMask == 0))
        return DepthFormat::Z16;
    if (format.dwZBufferBitDepth == 32 && (format.dwZBitMask == 0xFFFFFFFF || format.dwZBitMask == 0))
        return DepthFormat::Z32;
    return DepthFormat::Unsupported;
}

int BytesPerPixel(ColourFormat format) {
    switch (format) {
    case ColourFormat::R5G6B5:
    case ColourFormat::X1R5G5B5: return 2;
    case ColourFormat::X8R8G8B8: return 4;
    default: return 0;
    }
}

namespace {

bool HasSaneLayout(const SurfaceMemory& memory, int bytesPerPixel, DWORD maxSide) {
    return memory.pixels && memory.width >= 1 && memory.height >= 1 && memory.width <= maxSide &&
           memory.height <= maxSide && memory.pitch >= static_cast<LONG>(memory.width * bytesPerPixel);
}

}  // namespace

bool IsUsableColourSurface(const SurfaceMemory& memory, DWORD maxSide) {
    int bytes = BytesPerPixel(ColourFormatOf(memory.format));
    return bytes && HasSaneLayout(memory, bytes, maxSide);
}

bool IsUsableDepthSurface(const SurfaceMemory& memory) {
    DepthFormat format = DepthFormatOf(memory.format);
    if (format == DepthFormat::Unsupported) return false;
    return HasSaneLayout(memory, format == DepthFormat::Z16 ? 2 : 4, MaxRenderTargetSide);
}

HRESULT CheckRenderTarget(IDirectDrawSurface7* surface, IDirectDrawSurface7** depth) {
    if (!surface) return DDERR_INVALIDPARAMS;
    const SurfaceMemory* memory = SurfaceMemoryOf(surface);
    if (!memory) return DDERR_INVALIDPARAMS;
    if (ColourFormatOf(memory->format) == ColourFormat::Unsupported) return DDERR_INVALIDPIXELFORMAT;
    if (!IsUsableColourSurface(*memory, MaxRenderTargetSide)) return DDERR_INVALIDPARAMS;
    *depth = AttachedZBufferOf(surface);
    if (*depth) {
        const SurfaceMemory* depthMemory = SurfaceMemoryOf(*depth);
        if (!depthMemory || !IsUsableDepthSurface(*depthMemory)) return DDERR_INVALIDPIXELFORMAT;
        if (depthMemory->width < memory->width || depthMemory->height < memory->height) return DDERR_INVALIDPARAMS;
    }
    return D3D_OK;
}

const DDPIXELFORMAT softwareTextureFormats[] = {
    ddraw::RgbFormat(16),
    ddraw::RgbFormat(16, 0x7C00, 0x03E0, 0x001F),
    ddraw::RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
    ddraw::RgbFormat(32),
    DDPIXELFORMAT{},
};

const DDPIXELFORMAT softwareZBufferFormats[] = {
    ddraw::ZBufferFormat(16),
    ddraw::ZBufferFormat(32),
    DDPIXELFORMAT{},
};

}  // namespace software
