#include "devicecanvas.h"

#include <cstdlib>
#include <cstring>

#include "platform/virtualdisplay.h"

namespace devicetest {

namespace {

DDPIXELFORMAT ColourFormat(int bits) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = (DWORD)bits;
    if (bits == 16) {
        format.dwRBitMask = 0xF800, format.dwGBitMask = 0x07E0, format.dwBBitMask = 0x001F;
    } else {
        format.dwRBitMask = 0xFF0000, format.dwGBitMask = 0xFF00, format.dwBBitMask = 0xFF;
    }
    return format;
}

IDirectDrawSurface7* MakeSurface(IDirectDraw7* directDraw, int width, int height, DWORD caps,
                                 const DDPIXELFORMAT& format) {
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    description.dwWidth = (DWORD)width;
    description.dwHeight = (DWORD)height;
    description.ddsCaps.dwCaps = caps;
    description.ddpfPixelFormat = format;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);
    return surface;
}

uint32_t Expand565(uint32_t p) {
    uint32_t r = p >> 11, g = (p >> 5) & 63, b = p & 31;
    return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

}  // namespace

DeviceCanvas::DeviceCanvas(const DeviceDriverRecord& record, int width, int height, int bits, int depthBits)
    : width(width), height(height), bits(bits), depthBits(depthBits) {
    platform::UseVirtualDisplay(1024, 768, nullptr);
    if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr) != DD_OK) return;
    if (directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)) != DD_OK) return;
    target = MakeSurface(directDraw, width, height, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, ColourFormat(bits));
    if (depthBits) {
        DDPIXELFORMAT z{};
        z.dwSize = sizeof z;
        z.dwFlags = DDPF_ZBUFFER;
        z.dwZBufferBitDepth = (DWORD)depthBits;
        z.dwZBitMask = depthBits == 16 ? 0xFFFF : 0xFFFFFFFF;
        zBuffer = MakeSurface(directDraw, width, height, DDSCAPS_ZBUFFER, z);
        EXPECT_EQ(target->AddAttachedSurface(zBuffer), DD_OK);
    }
    if (direct3D->CreateDevice(*record.guid, target, &device) != D3D_OK) {
        device = nullptr;
        return;
    }
    D3DVIEWPORT7 viewport{0, 0, (DWORD)width, (DWORD)height, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&viewport), D3D_OK);
    EXPECT_EQ(Clear(0, 1.0f), D3D_OK);
}

DeviceCanvas::~DeviceCanvas() {
    if (device) {
        EXPECT_EQ(device->Release(), 0u);
    }
    for (IDirectDrawSurface7* texture : textures) texture->Release();
    if (zBuffer) zBuffer->Release();
    if (target) target->Release();
    if (direct3D) direct3D->Release();
    if (directDraw) {
        EXPECT_EQ(directDraw->Release(), 0u) << "something was not released";
    }
}

HRESULT DeviceCanvas::Clear(D3DCOLOR colour, float z) {
    return device->Clear(0, nullptr, D3DCLEAR_TARGET | (zBuffer ? D3DCLEAR_ZBUFFER : 0), colour, z, 0);
}

HRESULT DeviceCanvas::Draw(DWORD format, const void* vertices, DWORD count, IDirectDrawSurface7* texture) {
    device->SetTexture(0, texture);
    device->BeginScene();
    const HRESULT result = device->DrawPrimitive(D3DPT_TRIANGLELIST, format, const_cast<void*>(vertices), count, 0);
    device->EndScene();
    device->SetTexture(0, nullptr);
    return result;
}

HRESULT DeviceCanvas::Draw(const std::vector<ScreenVertex>& vertices, IDirectDrawSurface7* texture) {
    return Draw(kScreenFormat, vertices.data(), (DWORD)vertices.size(), texture);
}

HRESULT DeviceCanvas::Draw(const std::vector<MeshVertex>& vertices, IDirectDrawSurface7* texture) {
    return Draw(kMeshFormat, vertices.data(), (DWORD)vertices.size(), texture);
}

IDirectDrawSurface7* DeviceCanvas::Texture(int textureWidth, int textureHeight, int textureBits,
                                           const std::vector<uint32_t>& texels) {
    IDirectDrawSurface7* texture =
        MakeSurface(directDraw, textureWidth, textureHeight, DDSCAPS_TEXTURE, ColourFormat(textureBits));
    textures.push_back(texture);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    EXPECT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WRITEONLY, nullptr), DD_OK);
    for (int y = 0; y < textureHeight; ++y)
        for (int x = 0; x < textureWidth; ++x) {
            uint8_t* at = static_cast<uint8_t*>(locked.lpSurface) + (size_t)y * locked.lPitch;
            const uint32_t c = texels[(size_t)y * textureWidth + x];
            if (textureBits == 32) {
                std::memcpy(at + 4 * x, &c, 4);
            } else {
                const uint16_t p = (uint16_t)((((c >> 19) & 31) << 11) | (((c >> 10) & 63) << 5) | ((c >> 3) & 31));
                std::memcpy(at + 2 * x, &p, 2);
            }
        }
    texture->Unlock(nullptr);
    return texture;
}

std::vector<uint8_t> DeviceCanvas::Read(IDirectDrawSurface7* surface, LONG* pitch) {
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    std::vector<uint8_t> bytes;
    if (surface->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr) != DD_OK) return bytes;
    const uint8_t* pixels = static_cast<const uint8_t*>(locked.lpSurface);
    bytes.assign(pixels, pixels + (size_t)locked.lPitch * locked.dwHeight);
    *pitch = locked.lPitch;
    surface->Unlock(nullptr);
    return bytes;
}

uint32_t DeviceCanvas::Raw(int x, int y) {
    LONG pitch = 0;
    const std::vector<uint8_t> bytes = Read(target, &pitch);
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + (size_t)y * pitch + x * (bits / 8), bits / 8);
    return value;
}

uint32_t DeviceCanvas::Rgb(int x, int y) {
    const uint32_t raw = Raw(x, y);
    return bits == 16 ? Expand565(raw) : raw & 0xFFFFFF;
}

uint32_t DeviceCanvas::Depth(int x, int y) {
    LONG pitch = 0;
    const std::vector<uint8_t> bytes = Read(zBuffer, &pitch);
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + (size_t)y * pitch + x * (depthBits / 8), depthBits / 8);
    return value;
}

std::vector<uint32_t> DeviceCanvas::Picture() {
    LONG pitch = 0;
    const std::vector<uint8_t> bytes = Read(target, &pitch);
    std::vector<uint32_t> pixels((size_t)width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t value = 0;
            std::memcpy(&value, bytes.data() + (size_t)y * pitch + x * (bits / 8), bits / 8);
            pixels[(size_t)y * width + x] = bits == 16 ? Expand565(value) : value & 0xFFFFFF;
        }
    return pixels;
}

int DeviceCanvas::Count(uint32_t rgb) {
    int n = 0;
    for (uint32_t pixel : Picture()) n += pixel == rgb;
    return n;
}

std::vector<ScreenVertex> Quad(float x0, float y0, float x1, float y1, DWORD colour, float z, float u0, float v0, float u1,
                           float v1) {
    ScreenVertex a{x0, y0, z, 1.0f, colour, 0, u0, v0}, b{x1, y0, z, 1.0f, colour, 0, u1, v0};
    ScreenVertex c{x1, y1, z, 1.0f, colour, 0, u1, v1}, d{x0, y1, z, 1.0f, colour, 0, u0, v1};
    return {a, b, c, a, c, d};
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int difference = (int)((a >> shift) & 255) - (int)((b >> shift) & 255);
        if (std::abs(difference) > tolerance) return false;
    }
    return true;
}

}  // namespace devicetest
