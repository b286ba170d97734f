#include "vertexbuffer.h"

#include "com.h"

namespace ddraw {

DWORD VertexSize(DWORD vertexFormat) {
    constexpr DWORD Known = D3DFVF_XYZ | D3DFVF_XYZRHW | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | 0xF00;
    if (vertexFormat & ~Known) return 0;
    const DWORD position = vertexFormat & (D3DFVF_XYZ | D3DFVF_XYZRHW);
    if (position == (D3DFVF_XYZ | D3DFVF_XYZRHW) || position == 0) return 0;
    const DWORD textures = (vertexFormat >> 8) & 0xF;
    if (textures > 8) return 0;
    DWORD size = position == D3DFVF_XYZ ? 12 : 16;
    if (vertexFormat & D3DFVF_NORMAL) size += 12;
    if (vertexFormat & D3DFVF_DIFFUSE) size += 4;
    if (vertexFormat & D3DFVF_SPECULAR) size += 4;
    return size + textures * 8;
}

VertexBuffer::VertexBuffer(DWORD vertexFormat, DWORD vertexCount)
    : vertexFormat(vertexFormat), vertexCount(vertexCount), storage(size_t(VertexSize(vertexFormat)) * vertexCount, 0) {}

HRESULT VertexBuffer::QueryInterface(REFIID riid, LPVOID* object) {
    return AnswerQuery<IDirect3DVertexBuffer7>(this, riid, IID_IDirect3DVertexBuffer7, object);
}

HRESULT VertexBuffer::Lock(DWORD flags, LPVOID* data, LPDWORD size) {
    if (data == nullptr) return DDERR_INVALIDPARAMS;
    if (locked) return D3DERR_VERTEXBUFFERLOCKED;
    locked = true;
    *data = storage.data();
    if (size) *size = static_cast<DWORD>(storage.size());
    return D3D_OK;
}

HRESULT VertexBuffer::Unlock() {
    if (!locked) return DDERR_NOTLOCKED;
    locked = false;
    return D3D_OK;
}

}  // namespace ddraw

void* VertexBufferMemoryOf(IDirect3DVertexBuffer7* vertexBuffer, DWORD* vertexFormat, DWORD* vertexCount) {
    auto* buffer = dynamic_cast<ddraw::VertexBuffer*>(vertexBuffer);
    if (buffer == nullptr) return nullptr;
    if (vertexFormat) *vertexFormat = buffer->vertexFormat;
    if (vertexCount) *vertexCount = buffer->vertexCount;
    return buffer->storage.data();
}
