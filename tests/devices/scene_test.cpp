// BeginScene and EndScene on every device. Direct3D 7 refuses its rendering methods outside a
// scene with D3DERR_SCENE_NOT_IN_SCENE; clearing and setting state need no scene (the show
// clears before it begins one).
#include "devicefixture.h"

#include <cstring>

using SceneTest = DeviceTest;

TEST_P(SceneTest, DrawingNeedsASceneAndScenesDoNotNest) {
    ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x000000, 1.0f, 0), D3D_OK);
    D3DVERTEXBUFFERDESC description{sizeof(D3DVERTEXBUFFERDESC), D3DVBCAPS_SYSTEMMEMORY, kScreenFormat, 6};
    IDirect3DVertexBuffer7* buffer = nullptr;
    ASSERT_EQ(direct3D->CreateVertexBuffer(&description, &buffer, 0), D3D_OK);
    void* memory = nullptr;
    ASSERT_EQ(buffer->Lock(DDLOCK_WAIT, &memory, nullptr), D3D_OK);
    std::memcpy(memory, Quad(16, 0, 32, 32, 0x0000FF).data(), 6 * sizeof(ScreenVertex));
    ASSERT_EQ(buffer->Unlock(), D3D_OK);
    WORD indices[6] = {0, 1, 2, 3, 4, 5};

    EXPECT_EQ(Draw(Quad(0, 0, kSize, kSize, 0xFF0000)), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 0, 6, indices, 6, 0), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE);
    EXPECT_EQ(Draw(Quad(0, 0, 16, 32, 0x00FF00)), D3D_OK);
    EXPECT_EQ(device->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 0, 6, indices, 6, 0), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    Present();
    // The refused draws left nothing behind.
    ExpectPresented(8, 16, 0x00FF00);
    ExpectPresented(24, 16, 0x0000FF);
    EXPECT_EQ(buffer->Release(), 0u);
}

INSTANTIATE_FOR_EVERY_DEVICE(SceneTest);
