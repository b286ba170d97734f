// Vertex buffers in system memory.
#pragma once

#include "com.h"
#include "devicedriver.h"

#include <cstdint>
#include <vector>

namespace ddraw {

// Bytes per vertex of a flexible vertex format, 0 when the format is not one the core knows.
DWORD VertexSize(DWORD vertexFormat);

class VertexBuffer final : public ReferenceCounted<IDirect3DVertexBuffer7> {
public:
    VertexBuffer(DWORD vertexFormat, DWORD vertexCount);  // throws std::bad_alloc

    HRESULT QueryInterface(REFIID riid, LPVOID* object) override;

    HRESULT Lock(DWORD flags, LPVOID* data, LPDWORD size) override;
    HRESULT Unlock() override;

    const DWORD vertexFormat;
    const DWORD vertexCount;
    std::vector<uint8_t> storage;

private:
    ~VertexBuffer() override = default;

    bool locked = false;
};

}  // namespace ddraw
