#include "recordingdevice.h"

#include <cstring>

namespace {

RecordedCall Blank() {
    RecordedCall call;
    std::memset(&call.matrix, 0, sizeof(call.matrix));
    std::memset(&call.light, 0, sizeof(call.light));
    std::memset(&call.material, 0, sizeof(call.material));
    call.pointer = nullptr;
    return call;
}

}  // namespace

std::vector<const RecordedCall*> RecordingDevice::Matching(const std::string& prefix) const {
    std::vector<const RecordedCall*> found;
    for (const RecordedCall& call : calls)
        if (call.text.compare(0, prefix.size(), prefix) == 0) found.push_back(&call);
    return found;
}

std::vector<std::string> RecordingDevice::Texts() const {
    std::vector<std::string> texts;
    for (const RecordedCall& call : calls) texts.push_back(call.text);
    return texts;
}

HRESULT RecordingDevice::Add(const std::string& text, const void* pointer) {
    if (!recording) return D3D_OK;
    RecordedCall call = Blank();
    call.text = text;
    call.pointer = pointer;
    calls.push_back(call);
    return D3D_OK;
}

HRESULT RecordingDevice::Clear(DWORD, LPD3DRECT, DWORD flags, D3DCOLOR, D3DVALUE, DWORD) {
    if (!recording) return D3D_OK;
    return Add("Clear " + std::to_string(flags));
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) {
    if (!recording) return D3D_OK;
    Add("SetTransform " + std::to_string(type));
    calls.back().matrix = *matrix;
    return D3D_OK;
}

HRESULT RecordingDevice::SetMaterial(LPD3DMATERIAL7 material) {
    if (!recording) return D3D_OK;
    Add("SetMaterial", material);
    calls.back().material = *material;
    return D3D_OK;
}

HRESULT RecordingDevice::SetLight(DWORD index, LPD3DLIGHT7 light) {
    if (!recording) return D3D_OK;
    Add("SetLight " + std::to_string(index));
    calls.back().light = *light;
    return D3D_OK;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    if (!recording) return D3D_OK;
    return Add("SetRenderState " + std::to_string(state) + " " + std::to_string(value));
}

HRESULT RecordingDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, LPVOID vertices, DWORD count,
                                       DWORD flags) {
    if (!recording) return D3D_OK;
    Add("DrawPrimitive " + std::to_string(type) + " " + std::to_string(format) + " " + std::to_string(count) +
            " " + std::to_string(flags),
        vertices);
    const unsigned char* bytes = static_cast<const unsigned char*>(vertices);
    calls.back().vertices.assign(bytes, bytes + count * 32);
    return D3D_OK;
}

HRESULT RecordingDevice::DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE type, LPDIRECT3DVERTEXBUFFER7 buffer, DWORD first,
                                                DWORD count, LPWORD indices, DWORD indexCount, DWORD flags) {
    if (!recording) return D3D_OK;
    return Add("DrawIndexedPrimitiveVB " + std::to_string(type) + " " + std::to_string(first) + " " +
                   std::to_string(count) + " " + std::to_string(indexCount) + " " + std::to_string(flags),
               indices);
}

HRESULT RecordingDevice::SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) {
    if (!recording) return D3D_OK;
    return Add("SetTexture " + std::to_string(stage), texture);
}

HRESULT RecordingDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) {
    if (!recording) return D3D_OK;
    return Add("SetTextureStageState " + std::to_string(stage) + " " + std::to_string(state) + " " +
               std::to_string(value));
}

HRESULT RecordingDevice::LightEnable(DWORD index, BOOL enable) {
    if (!recording) return D3D_OK;
    return Add("LightEnable " + std::to_string(index) + " " + std::to_string(enable));
}
