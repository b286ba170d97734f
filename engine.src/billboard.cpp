#include "billboard.h"

#include <cstdlib>
#include <cstring>

#include "globals.h"
#include "renderdevice.h"
#include "texture.h"

namespace {

DrawVertex MakeBillboardVertex(float x, float y, float tu, float tv) {
    return DrawVertex{x, y, 0.0f, 0.0f, 0.0f, -1.0f, tu, tv};
}

}  // namespace

void Billboard::Init(RenderDevice& renderDevice, const char* imageFile, float size, float red, float green,
                     float blue) {
    const float h = 2.35f * size;
    vertices[0] = MakeBillboardVertex(-h, -h, 1.0f, 1.0f);
    vertices[1] = MakeBillboardVertex(-h, h, 1.0f, 0.0f);
    vertices[2] = MakeBillboardVertex(h, h, 0.0f, 0.0f);
    vertices[3] = MakeBillboardVertex(h, h, 0.0f, 0.0f);
    vertices[4] = MakeBillboardVertex(h, -h, 0.0f, 1.0f);
    vertices[5] = MakeBillboardVertex(-h, -h, 1.0f, 1.0f);

    // A missing image leaves the flare untextured; nothing else depends on it.
    texture = nullptr;
    Image image = {};
    if (LoadJpeg(imageFile, &image)) {
        texture = CreateTexture(renderDevice.device, image.width, image.height);
        if (texture) UploadImage(texture, &image);
        // The picture lives on in the texture only.
        free(image.pixels);
    }

    std::memset(&material, 0, sizeof(material));
    material.dcvDiffuse.r = red;
    material.dcvDiffuse.g = green;
    material.dcvDiffuse.b = blue;
    material.dvPower = 50.0f;
}

void Billboard::FaceCamera(const Matrix& view, const Vector& position, float scale) {
    // The inverse view turns the square towards the viewer; scaling acts first so the size holds.
    world = MatrixMultiply(MatrixInvert(view), Scaling(scale));
    world(3, 0) = position.x;
    world(3, 1) = position.y;
    world(3, 2) = position.z;
}

int Billboard::IsOnScreen(const Vector& position, const LightSet& lightSet) {
    const Vector viewed = TransformPoint(position, lightSet.view);
    // Behind the viewer counts as on screen.
    if (viewed.z < 0.0f) return 1;
    const Vector projected = TransformPoint(viewed, lightSet.projection);
    return projected.z >= 0.0f && projected.x >= -1.5f && projected.x <= 1.5f && projected.y >= -1.5f &&
           projected.y <= 1.5f;
}

int Billboard::Draw(RenderDevice& renderDevice) {
    LPDIRECT3DDEVICE7 device = renderDevice.device;
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, world.AsD3D());
    device->SetRenderState(D3DRENDERSTATE_LIGHTING, 0);
    device->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
    // Additive and depth-tested, but flares never hide what is drawn after them.
    device->SetRenderState(D3DRENDERSTATE_ZWRITEENABLE, 0);
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
    device->SetTexture(0, texture);
    device->SetMaterial(&material);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, DrawVertexFormat, vertices, 6, 0);
    return 1;
}

void DrawFlare(const Vector& position, float scale, const LightSet& lightSet) {
    if (!billboard.IsOnScreen(position, lightSet)) return;
    billboard.FaceCamera(lightSet.view, position, scale);
    billboard.Draw(renderDevice);
}
