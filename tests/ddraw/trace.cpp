// The tracing wrapper: what each device call records, recording without drawing, texture names.
#include "fixture.h"

#include "callrecorder.h"
#include "platform/devicetrace.h"

#include <cstdio>
#include <optional>
#include <string>

#include "workfolder.h"

namespace {

class TraceTest : public DirectDrawTest {
protected:
    void SetUp() override {
        DirectDrawTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(CreateFlipChain(640, 480, 16));
        CreateDevice();
        ASSERT_NE(device, nullptr);
        recorder.emplace();  // the device's creation is not watched
    }
    const platform::TraceRecord& Last() { return recorder->calls.back(); }
    std::optional<CallRecorder> recorder;
};

TEST_F(TraceTest, StateCallsRecordTheirArgumentsByName) {
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCCOLOR);
    ASSERT_EQ(recorder->calls.size(), 1u);
    EXPECT_EQ(platform::FormatTraceRecord(Last()), "SetRenderState state=20 value=4");

    D3DMATRIX matrix = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13.5f, 14, 15, 16};
    device->SetTransform(D3DTRANSFORMSTATE_VIEW, &matrix);
    EXPECT_EQ(Last().call, "SetTransform");
    EXPECT_EQ(Last().Find("type")->Number(), 2);
    const platform::TraceArgument* recorded = Last().Find("matrix");
    ASSERT_EQ(recorded->numbers.size(), 16u);
    EXPECT_EQ(recorded->Number(1), 2);    // row 1, column 2
    EXPECT_EQ(recorded->Number(4), 5);    // row 2 follows row 1
    EXPECT_EQ(recorded->Number(12), 13.5);

    D3DLIGHT7 light = {};
    light.dltType = D3DLIGHT_POINT;
    light.dcvDiffuse = {0.5f, 0.25f, 1, 1};
    light.dvPosition = {1, -2, 3};
    light.dvRange = 100;
    light.dvAttenuation0 = 1;
    light.dvAttenuation1 = 0.125f;
    device->SetLight(43, &light);
    EXPECT_EQ(Last().Find("index")->Number(), 43);
    EXPECT_EQ(Last().Find("light.diffuse")->numbers, (std::vector<double>{0.5, 0.25, 1, 1}));
    EXPECT_EQ(Last().Find("light.position")->numbers, (std::vector<double>{1, -2, 3}));
    EXPECT_EQ(Last().Find("light.range")->Number(), 100);
    EXPECT_EQ(Last().Find("light.attenuation1")->Number(), 0.125);

    device->LightEnable(7, FALSE);
    EXPECT_EQ(platform::FormatTraceRecord(Last()), "LightEnable index=7 enable=0");

    D3DMATERIAL7 material = {};
    material.dcvEmissive = {0, 0, 0.75f, 1};
    material.dvPower = 8;
    device->SetMaterial(&material);
    EXPECT_EQ(Last().Find("material.emissive")->numbers, (std::vector<double>{0, 0, 0.75, 1}));
    EXPECT_EQ(Last().Find("material.power")->Number(), 8);

    device->SetTextureStageState(0, D3DTSS_ADDRESS, D3DTADDRESS_CLAMP);
    EXPECT_EQ(platform::FormatTraceRecord(Last()), "SetTextureStageState stage=0 state=12 value=3");
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
    EXPECT_EQ(platform::FormatTraceRecord(Last()), "Clear rectCount=0 flags=3 colour=4279246896 z=1 stencil=0");
    EXPECT_EQ(recorder->calls.size(), 7u);
}

TEST_F(TraceTest, DrawsRecordFormatCountsAndVertices) {
    ScreenVertex quad[2] = {{0, 0, 0.5f, 1, 0x80FF0000, 0, 0, 1}, {639, 479, 0.25f, 1, 0xFFFFFFFF, 0, 1, 0}};
    device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, quad, 2, 0);
    EXPECT_EQ(Last().Find("type")->Number(), 4);
    EXPECT_EQ(Last().Find("vertexFormat")->Number(), 0x1C4);
    EXPECT_EQ(Last().Find("vertexCount")->Number(), 2);
    const std::vector<double>& vertices = Last().Find("vertices")->numbers;
    ASSERT_EQ(vertices.size(), 16u);
    EXPECT_EQ(vertices[4], double(0x80FF0000));  // colours stay exact integers
    EXPECT_EQ(vertices[8], 639);
    EXPECT_EQ(vertices[15], 0);

    D3DVERTEXBUFFERDESC description = {sizeof description, 0, D3DFVF_VERTEX, 30};
    IDirect3DVertexBuffer7* buffer = nullptr;
    ASSERT_EQ(direct3D->CreateVertexBuffer(&description, &buffer, 0), D3D_OK);
    WORD indices[6] = {0, 1, 2, 2, 1, 3};
    // Outside a scene the device itself refuses the draw: the call reached it.
    EXPECT_EQ(device->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 4, 26, indices, 6, 0),
              D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(platform::FormatTraceRecord(Last()),
              "DrawIndexedPrimitiveVB type=4 vertexFormat=274 startVertex=4 vertexCount=26 indexCount=6 flags=0");
    buffer->Release();
}

TEST_F(TraceTest, RecordingOnlySkipsDrawingButKeepsTheDeviceStateInStep) {
    platform::SetDeviceRasterising(false);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_SCENE_IN_SCENE) << "the device itself is in its scene";
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, 7), D3DERR_INVALIDCALL) << "answered by the device";
    float vertex[8] = {};
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, vertex, 1, 0), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
    EXPECT_EQ(recorder->calls.size(), 7u);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presentedFirstPixels.back(), 0u) << "the clear was drawn";

    platform::SetDeviceRasterising(true);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presentedFirstPixels.back(), 0xFFFFu);
}

TEST_F(TraceTest, WithoutASinkNothingIsRecordedAndEverythingArrives) {
    platform::SetTraceSink(nullptr);
    EXPECT_EQ(device->SetRenderState(D3DRENDERSTATE_CULLMODE, 7), D3DERR_INVALIDCALL);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(presentedFirstPixels.back(), 0xFFFFu);
    EXPECT_TRUE(recorder->calls.empty());
}

TEST_F(TraceTest, TrianglesAreCountedWithoutASinkOrDrawing) {
    platform::SetTraceSink(nullptr);
    platform::SetDeviceRasterising(false);
    const uint64_t before = platform::TrianglesAskedFor();
    float vertices[8 * 7] = {};
    device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, vertices, 7, 0);   // 2
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, vertices, 5, 0);  // 3
    device->DrawPrimitive(D3DPT_TRIANGLEFAN, D3DFVF_VERTEX, vertices, 2, 0);    // none
    device->DrawPrimitive(D3DPT_LINELIST, D3DFVF_VERTEX, vertices, 6, 0);       // none
    D3DVERTEXBUFFERDESC description = {sizeof description, 0, D3DFVF_VERTEX, 4};
    IDirect3DVertexBuffer7* buffer = nullptr;
    ASSERT_EQ(direct3D->CreateVertexBuffer(&description, &buffer, 0), D3D_OK);
    WORD indices[6] = {0, 1, 2, 2, 1, 3};
    device->DrawIndexedPrimitiveVB(D3DPT_TRIANGLELIST, buffer, 0, 4, indices, 6, 0);  // 2, by indices
    buffer->Release();
    EXPECT_EQ(platform::TrianglesAskedFor() - before, 7u);
    EXPECT_TRUE(recorder->calls.empty());
    platform::SetDeviceRasterising(true);
}

class TextureNameTest : public TraceTest {
protected:
    IDirectDrawSurface7* CreateTexture() { return CreatePlain(64, 32, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, nullptr); }
    // A real file under a directory, opened as the show opens its images.
    std::string ReadFile(const char* name) {
        std::string path = folder.path + "//" + name;
        FILE* file = std::fopen(path.c_str(), "rb");
        EXPECT_NE(file, nullptr);
        if (file) std::fclose(file);
        return path;
    }
    void SetUp() override {
        TraceTest::SetUp();
        for (const char* name : {"key.jpg", "vision.jpg"}) {
            FILE* file = std::fopen(folder.File(name).c_str(), "wb");
            std::fputs("x", file);
            std::fclose(file);
        }
    }
    TemporaryFolder folder;
};

TEST_F(TextureNameTest, ATextureIsNamedByTheFileReadBeforeIt) {
    ReadFile("key.jpg");
    IDirectDrawSurface7* key = CreateTexture();
    ReadFile("vision.jpg");
    // A staging surface made between the read and the texture does not take the name.
    IDirectDrawSurface7* staging = CreatePlain(8, 8, DDSCAPS_OFFSCREENPLAIN, nullptr);
    IDirectDrawSurface7* vision = CreateTexture();
    IDirectDrawSurface7* unnamed = CreateTexture();

    device->SetTexture(0, key);
    EXPECT_EQ(platform::FormatTraceRecord(Last()), "SetTexture stage=0 texture=key.jpg");
    device->SetTexture(0, vision);
    EXPECT_EQ(Last().Find("texture")->text, "vision.jpg");
    device->SetTexture(0, unnamed);
    EXPECT_EQ(Last().Find("texture")->kind, platform::TraceArgument::Null);
    device->SetTexture(0, nullptr);
    EXPECT_EQ(platform::FormatTraceRecord(Last()), "SetTexture stage=0 texture=null");
    for (IDirectDrawSurface7* surface : {key, staging, vision, unnamed}) surface->Release();
}

TEST_F(TextureNameTest, FailedOpensAndWritesNameNothing) {
    EXPECT_EQ(std::fopen((folder.File("missing.jpg")).c_str(), "rb"), nullptr);
    FILE* written = std::fopen((folder.File("key.jpg")).c_str(), "wb");
    ASSERT_NE(written, nullptr);
    std::fclose(written);
    IDirectDrawSurface7* texture = CreateTexture();
    EXPECT_EQ(platform::TextureName(texture), nullptr);
    texture->Release();
}

}  // namespace
