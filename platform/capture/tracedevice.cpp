// The tracing device: stands in front of every created device, records each call for the
// installed trace sink, then forwards it to the device that does the work.
#include "com.h"
#include "devicedriver.h"
#include "texturenames.h"
#include "tracecontrol.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

namespace ddraw {

namespace {

using platform::TraceArgument;
using platform::TraceRecord;

// The record of a call, built in place of the previous record of the same call: once every call
// has been seen, recording allocates nothing.
TraceRecord& ScratchRecordOf(const char* call) {
    thread_local std::vector<std::pair<const char*, TraceRecord>> records;
    for (auto& entry : records)
        if (entry.first == call) return entry.second;
    records.emplace_back(call, TraceRecord{call, {}});
    return records.back().second;
}

// Builds one record and hands it to the sink; only used while a sink is installed.
class Record {
public:
    explicit Record(const char* call) : record(ScratchRecordOf(call)) {}
    Record(const Record&) = delete;
    Record& operator=(const Record&) = delete;
    Record& Number(const char* name, double value) { return Numbers(name, &value, 1); }
    Record& Numbers(const char* name, const double* values, size_t count) {
        Next(name, TraceArgument::Numbers).numbers.assign(values, values + count);
        return *this;
    }
    Record& Floats(const char* name, const float* values, size_t count) {
        double converted[16];
        for (size_t i = 0; i < count; ++i) converted[i] = values[i];
        return Numbers(name, converted, count);
    }
    Record& Colour(const char* name, const D3DCOLORVALUE& colour) {
        const float values[4] = {colour.r, colour.g, colour.b, colour.a};
        return Floats(name, values, 4);
    }
    Record& Vector(const char* name, const D3DVECTOR& vector) {
        const float values[3] = {vector.x, vector.y, vector.z};
        return Floats(name, values, 3);
    }
    Record& Text(const char* name, const char* text) {
        TraceArgument& argument = Next(name, text ? TraceArgument::Text : TraceArgument::Null);
        if (text) argument.text.assign(text);
        return *this;
    }
    Record& Vertices(DWORD vertexFormat, const void* vertices, DWORD count) {
        std::vector<double>& numbers = Next("vertices", TraceArgument::Numbers).numbers;
        if (vertices != nullptr) {
            // Every field of every vertex in order: floats as they are, colours as integers.
            const uint8_t* at = static_cast<const uint8_t*>(vertices);
            for (DWORD v = 0; v < count; ++v) {
                auto floats = [&](int n) {
                    for (int i = 0; i < n; ++i, at += 4) {
                        float value;
                        std::memcpy(&value, at, 4);
                        numbers.push_back(value);
                    }
                };
                auto colour = [&] {
                    DWORD value;
                    std::memcpy(&value, at, 4);
                    numbers.push_back(value);
                    at += 4;
                };
                floats((vertexFormat & D3DFVF_XYZRHW) ? 4 : 3);
                if (vertexFormat & D3DFVF_NORMAL) floats(3);
                if (vertexFormat & D3DFVF_DIFFUSE) colour();
                if (vertexFormat & D3DFVF_SPECULAR) colour();
                floats(2 * ((vertexFormat >> 8) & 0xF));
            }
        }
        return *this;
    }
    ~Record() {
        if (used < record.arguments.size()) record.arguments.resize(used);
        Emit(record);
    }

private:
    TraceArgument& Next(const char* name, TraceArgument::Kind kind) {
        if (used == record.arguments.size()) record.arguments.emplace_back();
        TraceArgument& argument = record.arguments[used++];
        argument.name.assign(name);
        argument.kind = kind;
        argument.numbers.clear();
        argument.text.clear();
        return argument;
    }

    TraceRecord& record;
    size_t used = 0;
};

class TracingDevice final : public ReferenceCounted<IDirect3DDevice7> {
public:
    explicit TracingDevice(IDirect3DDevice7* inner) : inner(inner) {}

    HRESULT QueryInterface(REFIID riid, LPVOID* object) override {
        return AnswerQuery<IDirect3DDevice7>(this, riid, IID_IDirect3DDevice7, object);
    }

    HRESULT GetCaps(LPD3DDEVICEDESC7 description) override {
        if (Tracing()) Record("GetCaps");
        return inner->GetCaps(description);
    }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override {
        if (Tracing()) Record("EnumTextureFormats");
        return inner->EnumTextureFormats(callback, context);
    }
    HRESULT BeginScene() override {
        if (Tracing()) Record("BeginScene");
        return inner->BeginScene();
    }
    HRESULT EndScene() override {
        if (Tracing()) Record("EndScene");
        return inner->EndScene();
    }
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7 surface, DWORD flags) override {
        if (Tracing()) Record("SetRenderTarget").Number("flags", flags);
        return inner->SetRenderTarget(surface, flags);
    }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* surface) override {
        if (Tracing()) Record("GetRenderTarget");
        return inner->GetRenderTarget(surface);
    }
    HRESULT Clear(DWORD rectCount, LPD3DRECT rects, DWORD flags, D3DCOLOR colour, D3DVALUE z, DWORD stencil) override {
        if (Tracing())
            Record("Clear").Number("rectCount", rectCount).Number("flags", flags).Number("colour", colour).Number("z", z).Number("stencil", stencil);
        if (!Rasterising()) return D3D_OK;
        return inner->Clear(rectCount, rects, flags, colour, z, stencil);
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE type, LPD3DMATRIX matrix) override {
        if (Tracing()) {
            Record record("SetTransform");
            record.Number("type", type);
            if (matrix)
                record.Floats("matrix", &matrix->_11, 16);
            else
                record.Text("matrix", nullptr);
        }
        return inner->SetTransform(type, matrix);
    }
    HRESULT SetViewport(LPD3DVIEWPORT7 viewport) override {
        if (Tracing()) {
            Record record("SetViewport");
            if (viewport)
                record.Number("x", viewport->dwX).Number("y", viewport->dwY).Number("width", viewport->dwWidth)
                    .Number("height", viewport->dwHeight).Number("minZ", viewport->dvMinZ).Number("maxZ", viewport->dvMaxZ);
        }
        return inner->SetViewport(viewport);
    }
    HRESULT SetMaterial(LPD3DMATERIAL7 material) override {
        if (Tracing()) {
            Record record("SetMaterial");
            if (material)
                record.Colour("material.diffuse", material->dcvDiffuse).Colour("material.ambient", material->dcvAmbient)
                    .Colour("material.specular", material->dcvSpecular).Colour("material.emissive", material->dcvEmissive)
                    .Number("material.power", material->dvPower);
        }
        return inner->SetMaterial(material);
    }
    HRESULT SetLight(DWORD index, LPD3DLIGHT7 light) override {
        if (Tracing()) {
            Record record("SetLight");
            record.Number("index", index);
            if (light)
                record.Number("light.type", light->dltType).Colour("light.diffuse", light->dcvDiffuse)
                    .Colour("light.specular", light->dcvSpecular).Colour("light.ambient", light->dcvAmbient)
                    .Vector("light.position", light->dvPosition).Vector("light.direction", light->dvDirection)
                    .Number("light.range", light->dvRange).Number("light.falloff", light->dvFalloff)
                    .Number("light.attenuation0", light->dvAttenuation0).Number("light.attenuation1", light->dvAttenuation1)
                    .Number("light.attenuation2", light->dvAttenuation2).Number("light.theta", light->dvTheta)
                    .Number("light.phi", light->dvPhi);
        }
        return inner->SetLight(index, light);
    }
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
        if (Tracing()) Record("SetRenderState").Number("state", state).Number("value", value);
        return inner->SetRenderState(state, value);
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD vertexCount,
                          DWORD flags) override {
        if (Tracing())
            Record("DrawPrimitive").Number("type", type).Number("vertexFormat", vertexFormat).Number("vertexCount", vertexCount)
                .Number("flags", flags).Vertices(vertexFormat, vertices, vertexCount);
        CountTriangles(type, vertexCount);
        if (!Rasterising()) return D3D_OK;
        return inner->DrawPrimitive(type, vertexFormat, vertices, vertexCount, flags);
    }
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE type, LPDIRECT3DVERTEXBUFFER7 vertexBuffer, DWORD startVertex,
                                   DWORD vertexCount, LPWORD indices, DWORD indexCount, DWORD flags) override {
        if (Tracing()) {
            DWORD vertexFormat = 0;
            VertexBufferMemoryOf(vertexBuffer, &vertexFormat, nullptr);
            Record("DrawIndexedPrimitiveVB").Number("type", type).Number("vertexFormat", vertexFormat)
                .Number("startVertex", startVertex).Number("vertexCount", vertexCount).Number("indexCount", indexCount)
                .Number("flags", flags);
        }
        CountTriangles(type, indexCount);
        if (!Rasterising()) return D3D_OK;
        return inner->DrawIndexedPrimitiveVB(type, vertexBuffer, startVertex, vertexCount, indices, indexCount, flags);
    }
    HRESULT SetTexture(DWORD stage, LPDIRECTDRAWSURFACE7 texture) override {
        if (Tracing()) Record("SetTexture").Number("stage", stage).Text("texture", platform::TextureName(texture));
        return inner->SetTexture(stage, texture);
    }
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE state, DWORD value) override {
        if (Tracing()) Record("SetTextureStageState").Number("stage", stage).Number("state", state).Number("value", value);
        return inner->SetTextureStageState(stage, state, value);
    }
    HRESULT LightEnable(DWORD index, BOOL enable) override {
        if (Tracing()) Record("LightEnable").Number("index", index).Number("enable", enable);
        return inner->LightEnable(index, enable);
    }

private:
    ~TracingDevice() override { inner->Release(); }

    IDirect3DDevice7* inner;
};

IDirect3DDevice7* CreateTracingDevice(IDirect3DDevice7* inner) { return new (std::nothrow) TracingDevice(inner); }

}  // namespace

}  // namespace ddraw

const DeviceLayerRecord tracingDeviceLayer = {"tracing", ddraw::CreateTracingDevice, ddraw::TakeOpenedFileName};
