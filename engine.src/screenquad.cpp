#include "renderdevice.h"

namespace {

// Vertex format 0x1C4: already in screen space, so neither transforms nor lights touch it.
struct ScreenVertex {
    float x, y, z, rhw;
    DWORD diffuse;
    DWORD specular;
    float tu, tv;
};
static_assert(sizeof(ScreenVertex) == 32, "ScreenVertex is 32 bytes");

ScreenVertex MakeScreenVertex(const ScreenCorner& corner, float tu, float tv) {
    ScreenVertex vertex;
    vertex.x = corner.x;
    vertex.y = corner.y;
    vertex.z = corner.z;
    vertex.rhw = 1.0f;
    vertex.diffuse = corner.alpha * 0x1000000u + corner.red * 0x10000u + corner.green * 0x100u + corner.blue;
    vertex.specular = 0;
    vertex.tu = tu;
    vertex.tv = tv;
    return vertex;
}

}  // namespace

void RenderDevice::DrawScreenQuad(const ScreenCorner& corner1, const ScreenCorner& corner2,
                                  const ScreenCorner& corner3, const ScreenCorner& corner4, DWORD destBlend,
                                  LPDIRECTDRAWSURFACE7 texture) {
    ScreenVertex vertices[6] = {
        MakeScreenVertex(corner1, 0.0f, 0.0f), MakeScreenVertex(corner2, 1.0f, 0.0f),
        MakeScreenVertex(corner3, 1.0f, 1.0f), MakeScreenVertex(corner3, 1.0f, 1.0f),
        MakeScreenVertex(corner4, 0.0f, 1.0f), MakeScreenVertex(corner1, 0.0f, 0.0f),
    };
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, destBlend);
    device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, vertices, 6, 0);
    // Leave the device as opaque drawing expects it, whatever this quad used.
    device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);
    device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ZERO);
}
