// The Direct3D object: devices from the table, their z-buffer formats, device creation, and
// vertex buffers.
#include "fixture.h"

#include <cstring>

namespace {

struct Reported {
    std::string name;
    GUID guid;
    DWORD devCaps;
};

HRESULT CALLBACK CollectDevice(LPSTR description, LPSTR name, LPD3DDEVICEDESC7 caps, LPVOID context) {
    static_cast<std::vector<Reported>*>(context)->push_back({name, caps->deviceGUID, caps->dwDevCaps});
    return D3DENUMRET_OK;
}

HRESULT CALLBACK CollectDepth(LPDDPIXELFORMAT format, LPVOID context) {
    EXPECT_TRUE(format->dwFlags & DDPF_ZBUFFER);
    static_cast<std::vector<DWORD>*>(context)->push_back(format->dwZBufferBitDepth);
    return D3DENUMRET_OK;
}

TEST_F(DirectDrawTest, EnumDevicesWalksTheDeviceTableInOrder) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16));
    std::vector<Reported> devices;
    ASSERT_EQ(direct3D->EnumDevices(CollectDevice, &devices), D3D_OK);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].name, "Scripted Software");
    EXPECT_EQ(devices[0].guid, ScriptedSoftwareGuid);
    EXPECT_EQ(devices[1].name, "Scripted Hardware");
    EXPECT_EQ(devices[1].guid, ScriptedHardwareGuid);
    EXPECT_TRUE(devices[1].devCaps & D3DDEVCAPS_HWRASTERIZATION);

    std::vector<DWORD> depths;
    scripted.SetZBufferDepths({32, 16, 24});
    ASSERT_EQ(direct3D->EnumZBufferFormats(ScriptedHardwareGuid, CollectDepth, &depths), D3D_OK);
    EXPECT_EQ(depths, (std::vector<DWORD>{32, 16, 24}));
    EXPECT_EQ(direct3D->EnumZBufferFormats(IID_IDirect3DRefDevice, CollectDepth, &depths), DDERR_NOTFOUND);
}

TEST_F(DirectDrawTest, CreateDeviceRefusesWhatTheDeviceCannotRenderInto) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16));
    IDirect3DDevice7* refused = nullptr;
    EXPECT_EQ(direct3D->CreateDevice(IID_IDirect3DRefDevice, backBuffer, &refused), DDERR_NOTFOUND);
    IDirectDrawSurface7* texture = CreatePlain(16, 16, DDSCAPS_TEXTURE, nullptr);
    EXPECT_EQ(direct3D->CreateDevice(ScriptedSoftwareGuid, texture, &refused), DDERR_INVALIDPARAMS);
    texture->Release();
    scripted.caps.dwDeviceRenderBitDepth = DDBD_32;
    EXPECT_EQ(direct3D->CreateDevice(ScriptedSoftwareGuid, backBuffer, &refused), DDERR_INVALIDPIXELFORMAT);
    scripted.caps.dwDeviceRenderBitDepth = DDBD_16;
    scripted.failCreate = true;
    EXPECT_TRUE(FAILED(direct3D->CreateDevice(ScriptedSoftwareGuid, backBuffer, &refused)));
    EXPECT_EQ(refused, nullptr);
    scripted.failCreate = false;

    ASSERT_NE(CreateDevice(), nullptr);
    // The device reached through the wrapper draws into the back buffer it was made for.
    IDirectDrawSurface7* target = nullptr;
    ASSERT_EQ(device->GetRenderTarget(&target), D3D_OK);
    EXPECT_EQ(target, backBuffer);
    target->Release();
    IUnknown* same = nullptr;
    ASSERT_EQ(device->QueryInterface(IID_IDirect3DDevice7, reinterpret_cast<void**>(&same)), S_OK);
    same->Release();
}

TEST_F(DirectDrawTest, VertexBuffersLockOnceAndKnowTheirFormat) {
    ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16));
    D3DVERTEXBUFFERDESC description = {sizeof description, D3DVBCAPS_SYSTEMMEMORY, D3DFVF_VERTEX, 100};
    IDirect3DVertexBuffer7* buffer = nullptr;
    ASSERT_EQ(direct3D->CreateVertexBuffer(&description, &buffer, 0), D3D_OK);
    void* data = nullptr;
    DWORD size = 0;
    ASSERT_EQ(buffer->Lock(DDLOCK_WAIT, &data, &size), D3D_OK);
    EXPECT_EQ(size, 3200u);
    std::memset(data, 0x7F, size);
    void* again = nullptr;
    EXPECT_EQ(buffer->Lock(0, &again, nullptr), D3DERR_VERTEXBUFFERLOCKED);
    EXPECT_EQ(buffer->Unlock(), D3D_OK);
    EXPECT_EQ(buffer->Unlock(), DDERR_NOTLOCKED);
    DWORD format = 0, count = 0;
    EXPECT_EQ(VertexBufferMemoryOf(buffer, &format, &count), data);
    EXPECT_EQ(format, DWORD(D3DFVF_VERTEX));
    EXPECT_EQ(count, 100u);
    EXPECT_EQ(buffer->Release(), 0u);

    IDirect3DVertexBuffer7* refused = nullptr;
    for (D3DVERTEXBUFFERDESC bad : {D3DVERTEXBUFFERDESC{sizeof description, 0, D3DFVF_VERTEX, 0},
                                    D3DVERTEXBUFFERDESC{sizeof description, 0, D3DFVF_XYZ | D3DFVF_XYZRHW, 4},
                                    D3DVERTEXBUFFERDESC{sizeof description, 0, D3DFVF_VERTEX, 0xFFFFFFFF}}) {
        EXPECT_TRUE(FAILED(direct3D->CreateVertexBuffer(&bad, &refused, 0)));
        EXPECT_EQ(refused, nullptr);
    }
    description.dwSize = 0;
    EXPECT_EQ(direct3D->CreateVertexBuffer(&description, &refused, 0), DDERR_INVALIDPARAMS);
}

}  // namespace
