// Lighting on every device: normals go through the inverse transpose of the whole world-view
// matrix, whatever its last column.
#include "devicefixture.h"

using LightingTest = DeviceTest;

TEST_P(LightingTest, NormalsFollowTheInverseTransposeOfTheWholeWorldViewMatrix) {
    D3DMATERIAL7 material{};
    material.dcvDiffuse = D3DCOLORVALUE{0.0f, 0.0f, 1.0f, 1.0f};
    D3DLIGHT7 light{};
    light.dltType = D3DLIGHT_DIRECTIONAL;
    light.dcvDiffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    light.dvDirection = D3DVECTOR{0.0f, 0.0f, 1.0f};  // onto the quad's front
    ASSERT_EQ(device->SetMaterial(&material), D3D_OK);
    ASSERT_EQ(device->SetLight(0, &light), D3D_OK);
    ASSERT_EQ(device->LightEnable(0, TRUE), D3D_OK);
    ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE), D3D_OK);
    D3DMATRIX matrix = Identity();
    ASSERT_EQ(device->SetTransform(D3DTRANSFORMSTATE_VIEW, &matrix), D3D_OK);
    ASSERT_EQ(device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &matrix), D3D_OK);
    // Both worlds put the quad at depth 0.5 with w = 1. With _34 = 4 the upper 3x3 of the
    // inverse is diag(1, 1, -1): the normal turns away from the light.
    for (const float lastColumnZ : {0.0f, 4.0f}) {
        SCOPED_TRACE(testing::Message() << "_34 = " << lastColumnZ);
        D3DMATRIX world = matrix;
        world._43 = 0.5f;
        world._34 = lastColumnZ;
        ASSERT_EQ(device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world), D3D_OK);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x808080, 1.0f, 0), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(Draw(FacingSquare(0.0f)), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        Present();
        ExpectPresented(16, 16, lastColumnZ == 0.0f ? 0x0000FF : 0x000000);
    }
}

INSTANTIATE_FOR_EVERY_DEVICE(LightingTest);
