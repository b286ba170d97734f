// IDirect3DDevice7::SetViewport on every device: where depth lands for any dvMinZ..dvMaxZ.
#include "devicefixture.h"

class ViewportTest : public DeviceTest {
protected:
    // Draws the mesh quad at clip-space depth z through a viewport of the given depth range, then
    // screen probes just before (left half) and just behind (right half) the depth it should have
    // written: only the probe before it passes the depth test.
    void ExpectDepthWritten(float minZ, float maxZ, float z, float written, float margin) {
        SCOPED_TRACE(testing::Message() << "viewport depth " << minZ << ".." << maxZ << ", z " << z);
        ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
        D3DVIEWPORT7 port{0, 0, kSize, kSize, minZ, maxZ};
        ASSERT_EQ(device->SetViewport(&port), D3D_OK);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(Draw(FacingSquare(z)), D3D_OK);
        EXPECT_EQ(Draw(Quad(0, 0, 16, 32, 0x00FF00, written - margin)), D3D_OK);
        EXPECT_EQ(Draw(Quad(16, 0, 32, 32, 0xFF0000, written + margin)), D3D_OK);
        ASSERT_EQ(device->EndScene(), D3D_OK);
        Present();
        ExpectPresented(8, 16, 0x00FF00);
        ExpectPresented(24, 16, 0xFFFFFF);
    }

    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(DeviceTest::SetUp());
        ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_LIGHTING, FALSE), D3D_OK);  // the quad shows white
        ASSERT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE), D3D_OK);
    }
};

TEST_P(ViewportTest, MapsDepthIntoTheRange) {
    ExpectDepthWritten(0.0f, 1.0f, 0.5f, 0.5f, 0.01f);
    ExpectDepthWritten(0.25f, 0.75f, 0.5f, 0.5f, 0.01f);
}

TEST_P(ViewportTest, AnEmptyOrInvertedRangeWritesMinPlusAThousandthOfZ) {
    ExpectDepthWritten(0.5f, 0.5f, 0.5f, 0.5005f, 0.0002f);
    ExpectDepthWritten(0.8f, 0.2f, 0.5f, 0.8005f, 0.0002f);
}

TEST_P(ViewportTest, AMaximumAboveOneIsAcceptedAndDepthIsClampedInTheTest) {
    ExpectDepthWritten(0.0f, 2.0f, 0.25f, 0.5f, 0.01f);
    // Mapped to 1.5, the quad is tested and written as 1: it still shows over a clear to 1.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(Draw(FacingSquare(0.75f)), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    Present();
    ExpectPresented(16, 16, 0xFFFFFF);
}

TEST_P(ViewportTest, RefusesAViewportBeyondTheTarget) {
    D3DVIEWPORT7 wide{0, 0, kSize + 1, kSize, 0.0f, 1.0f};
    D3DVIEWPORT7 low{0, 1, kSize, kSize, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&wide), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->SetViewport(&low), DDERR_INVALIDPARAMS);
    EXPECT_EQ(device->SetViewport(nullptr), DDERR_INVALIDPARAMS);
}

INSTANTIATE_FOR_EVERY_DEVICE(ViewportTest);
