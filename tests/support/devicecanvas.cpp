#include "devicecanvas.h"

#include <gtest/gtest.h>

#include "ddraw/pixelformats.h"
#include "platform/virtualdisplay.h"

IDirectDrawSurface7* CreateSurface(IDirectDraw7* directDraw, DWORD width, DWORD height, DWORD caps,
                                   const DDPIXELFORMAT* format) {
    DDSURFACEDESC2 description{};
    description.dwSize = sizeof description;
    description.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
    description.dwWidth = width;
    description.dwHeight = height;
    description.ddsCaps.dwCaps = caps;
    if (format) description.ddpfPixelFormat = *format;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(directDraw->CreateSurface(&description, &surface, nullptr), DD_OK);
    return surface;
}

DeviceCanvas::DeviceCanvas(const DeviceDriverRecord& record, int width, int height, int bits, int depthBits)
    : Canvas(width, height, bits, depthBits) {
    platform::UseVirtualDisplay(1024, 768, nullptr);
    if (DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr) != DD_OK) return;
    if (directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)) != DD_OK) return;
    const DDPIXELFORMAT layout = RgbLayout(bits);
    target = CreateSurface(directDraw, DWORD(width), DWORD(height), DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, &layout);
    if (depthBits) {
        const DDPIXELFORMAT z = ddraw::ZBufferFormat(DWORD(depthBits));
        zBuffer = CreateSurface(directDraw, DWORD(width), DWORD(height), DDSCAPS_ZBUFFER, &z);
        EXPECT_EQ(target->AddAttachedSurface(zBuffer), DD_OK);
    }
    if (direct3D->CreateDevice(*record.guid, target, &device) != D3D_OK) {
        device = nullptr;
        return;
    }
    D3DVIEWPORT7 viewport{0, 0, DWORD(width), DWORD(height), 0.0f, 1.0f};
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
    return Draw(kScreenFormat, vertices.data(), DWORD(vertices.size()), texture);
}

HRESULT DeviceCanvas::Draw(const std::vector<MeshVertex>& vertices, IDirectDrawSurface7* texture) {
    return Draw(kMeshFormat, vertices.data(), DWORD(vertices.size()), texture);
}

IDirectDrawSurface7* DeviceCanvas::Texture(int textureWidth, int textureHeight, int textureBits,
                                           const std::vector<uint32_t>& texels) {
    const DDPIXELFORMAT layout = RgbLayout(textureBits);
    IDirectDrawSurface7* texture =
        CreateSurface(directDraw, DWORD(textureWidth), DWORD(textureHeight), DDSCAPS_TEXTURE, &layout);
    textures.push_back(texture);
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    EXPECT_EQ(texture->Lock(nullptr, &locked, DDLOCK_WRITEONLY, nullptr), DD_OK);
    PackTexels(textureBits, textureWidth, textureHeight, texels, static_cast<uint8_t*>(locked.lpSurface), locked.lPitch);
    texture->Unlock(nullptr);
    return texture;
}

const uint8_t* DeviceCanvas::Acquire(bool depth, long* pitch) {
    IDirectDrawSurface7* surface = depth ? zBuffer : target;
    DDSURFACEDESC2 locked{};
    locked.dwSize = sizeof locked;
    if (surface == nullptr || surface->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr) != DD_OK) return nullptr;
    *pitch = locked.lPitch;
    return static_cast<const uint8_t*>(locked.lpSurface);
}

void DeviceCanvas::Release(bool depth) { (depth ? zBuffer : target)->Unlock(nullptr); }
