// A render target, depth buffer and textures in plain memory, driven straight through the
// software pipeline.
#pragma once

#include <cstring>
#include <vector>

#include "ddraw/software/renderer.h"
#include "ddraw/software/texturesampling.h"

namespace softdevtest {

using software::ColourFormat;
using software::DepthFormat;

// Vertex of format 0x1C4.
struct TlVertex {
    float x, y, z, rhw;
    DWORD diffuse, specular;
    float u, v;
};
constexpr DWORD kTlFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// Vertex of format 0x112.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
constexpr DWORD kMeshFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

inline DDPIXELFORMAT RgbFormat(ColourFormat format) {
    DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    f.dwFlags = DDPF_RGB;
    switch (format) {
    case ColourFormat::R5G6B5: f.dwRGBBitCount = 16; f.dwRBitMask = 0xF800; f.dwGBitMask = 0x07E0; f.dwBBitMask = 0x1F; break;
    case ColourFormat::X1R5G5B5: f.dwRGBBitCount = 16; f.dwRBitMask = 0x7C00; f.dwGBitMask = 0x03E0; f.dwBBitMask = 0x1F; break;
    default: f.dwRGBBitCount = 32; f.dwRBitMask = 0xFF0000; f.dwGBitMask = 0xFF00; f.dwBBitMask = 0xFF; break;
    }
    return f;
}

inline DDPIXELFORMAT ZFormat(DepthFormat format) {
    DDPIXELFORMAT f{};
    f.dwSize = sizeof f;
    f.dwFlags = DDPF_ZBUFFER;
    f.dwZBufferBitDepth = format == DepthFormat::Z16 ? 16 : 32;
    f.dwZBitMask = format == DepthFormat::Z16 ? 0xFFFF : 0xFFFFFFFF;
    return f;
}

// A surface with its own memory; rows padded so pitch differs from the row size.
struct Image {
    std::vector<uint8_t> bytes;
    SurfaceMemory memory{};

    Image() = default;
    Image(int width, int height, const DDPIXELFORMAT& format, int bytesPerPixel) {
        memory.width = width;
        memory.height = height;
        memory.pitch = width * bytesPerPixel + 8;
        memory.format = format;
        bytes.assign((size_t)memory.pitch * height, 0);
        memory.pixels = bytes.data();
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    uint8_t* Row(int y) { return bytes.data() + (size_t)y * memory.pitch; }
};

// Builds a texture from 0x00RRGGBB texels, packed into the given layout.
inline void FillTexture(Image& image, ColourFormat format, const std::vector<uint32_t>& texels) {
    int w = image.memory.width;
    for (int y = 0; y < (int)image.memory.height; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = texels[y * w + x], r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
            if (format == ColourFormat::X8R8G8B8) {
                std::memcpy(image.Row(y) + 4 * x, &c, 4);
            } else {
                uint16_t p = format == ColourFormat::R5G6B5 ? (uint16_t)(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                                                            : (uint16_t)(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
                std::memcpy(image.Row(y) + 2 * x, &p, 2);
            }
        }
}

struct Canvas {
    ColourFormat format;
    DepthFormat depthFormat;
    Image colour;
    Image depth;
    // Drawing may still be under way on other threads until the renderer finishes it.
    mutable software::Renderer renderer;

    Canvas(int width, int height, ColourFormat f = ColourFormat::X8R8G8B8, DepthFormat d = DepthFormat::Z16,
           software::InstructionSet set = software::ChosenInstructionSet())
        : format(f),
          depthFormat(d),
          colour(width, height, RgbFormat(f), f == ColourFormat::X8R8G8B8 ? 4 : 2),
          depth(width, height, ZFormat(d), d == DepthFormat::Z16 ? 2 : 4),
          renderer(set) {
        D3DVIEWPORT7 viewport{0, 0, (DWORD)width, (DWORD)height, 0.0f, 1.0f};
        renderer.SetViewport(viewport, width, height);
        renderer.SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
        Clear(0, 1.0f);
    }

    software::Surfaces Surfaces(const Image* texture = nullptr) const {
        return software::Surfaces{&colour.memory, &depth.memory, texture ? &texture->memory : nullptr};
    }

    HRESULT Clear(D3DCOLOR c, float z) {
        return renderer.Clear(Surfaces(), 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, c, z);
    }

    HRESULT Draw(const std::vector<TlVertex>& v, const Image* texture = nullptr) {
        return renderer.DrawPrimitive(Surfaces(texture), D3DPT_TRIANGLELIST, kTlFormat, v.data(), (DWORD)v.size());
    }
    HRESULT Draw(const std::vector<MeshVertex>& v, const Image* texture = nullptr) {
        return renderer.DrawPrimitive(Surfaces(texture), D3DPT_TRIANGLELIST, kMeshFormat, v.data(), (DWORD)v.size());
    }

    int Width() const { return colour.memory.width; }
    int Height() const { return colour.memory.height; }

    // The stored pixel as it is in memory.
    uint32_t Raw(int x, int y) const {
        renderer.Finish();
        const uint8_t* row = colour.bytes.data() + (size_t)y * colour.memory.pitch;
        uint32_t value = 0;
        std::memcpy(&value, row + x * (format == ColourFormat::X8R8G8B8 ? 4 : 2),
                    format == ColourFormat::X8R8G8B8 ? 4 : 2);
        return value;
    }
    // 0x00RRGGBB of a 32-bit target.
    uint32_t Rgb(int x, int y) const { return Raw(x, y) & 0xFFFFFF; }
    uint32_t Depth(int x, int y) const {
        renderer.Finish();
        const uint8_t* row = depth.bytes.data() + (size_t)y * depth.memory.pitch;
        uint32_t value = 0;
        std::memcpy(&value, row + x * (depthFormat == DepthFormat::Z16 ? 2 : 4), depthFormat == DepthFormat::Z16 ? 2 : 4);
        return value;
    }
    // Pixels of the target (32-bit) whose colour is c.
    int Count(uint32_t c) const {
        int n = 0;
        for (int y = 0; y < Height(); ++y)
            for (int x = 0; x < Width(); ++x) n += Rgb(x, y) == c;
        return n;
    }
};

// Two clockwise triangles covering x0..x1, y0..y1 in screen space.
inline std::vector<TlVertex> Quad(float x0, float y0, float x1, float y1, DWORD colour, float z = 0.5f,
                                  float u0 = 0.0f, float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f) {
    TlVertex a{x0, y0, z, 1.0f, colour, 0, u0, v0}, b{x1, y0, z, 1.0f, colour, 0, u1, v0};
    TlVertex c{x1, y1, z, 1.0f, colour, 0, u1, v1}, d{x0, y1, z, 1.0f, colour, 0, u0, v1};
    return {a, b, c, a, c, d};
}

inline D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

}  // namespace softdevtest
