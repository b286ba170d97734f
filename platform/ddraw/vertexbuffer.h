// Vertex buffers in system memory.
#pragma once

#include "devicedriver.h"

#include <cstdint>
#include <vector>

namespace ddraw {

// Bytes per vertex of a flexible vertex format, 0 when the format is not one the core knows.
DWORD VertexSize(DWORD vertexFormat);

class VertexBuffer final : public IDirect3DVertexBuffer7 {
public:
    VertexBuffer(DWORD vertexFormat, DWORD vertexCount);  // throws std::bad_alloc
    VertexBuffer(const VertexBuffer&) = delete;
    VertexBuffer& operator=(const VertexBuffer&) = delete;

    HRESULT QueryInterface(REFIID riid, LPVOID* object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Lock(DWORD flags, LPVOID* data, LPDWORD size) override;
    HRESULT Unlock() override;

    const DWORD vertexFormat;
    const DWORD vertexCount;
    std::vector<uint8_t> storage;

private:
    ~VertexBuffer() = default;

    ULONG references = 1;
    bool locked = false;
};

}  // namespace ddraw
