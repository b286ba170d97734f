#include "scripteddevices.h"

#include <cstring>

ScriptedDevices scripted;
const GUID ScriptedSoftwareGuid = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
const GUID ScriptedHardwareGuid = {0x11111111, 0x2222, 0x3333, {8, 7, 6, 5, 4, 3, 2, 1}};

namespace {

DDPIXELFORMAT Depth(DWORD bits) {
    DDPIXELFORMAT format = {};
    format.dwSize = sizeof format;
    format.dwFlags = DDPF_ZBUFFER;
    format.dwZBufferBitDepth = bits;
    format.dwZBitMask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    return format;
}

const DDPIXELFORMAT textureFormats[] = {
    {sizeof(DDPIXELFORMAT), DDPF_RGB, 0, {16}, {0xF800}, {0x07E0}, {0x001F}, {0}},
    {0, 0, 0, {0}, {0}, {0}, {0}, {0}},
};

class Device final : public IDirect3DDevice7 {
public:
    explicit Device(IDirectDrawSurface7* target) : target(target) {
        target->AddRef();
        ++scripted.liveDevices;
    }
    HRESULT QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        const ULONG left = --references;
        if (left == 0) {
            target->Release();
            --scripted.liveDevices;
            delete this;
        }
        return left;
    }
    HRESULT GetCaps(LPD3DDEVICEDESC7 d) override { return Note("GetCaps", (*d = scripted.caps, D3D_OK)); }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override {
        DDPIXELFORMAT format = textureFormats[0];
        callback(&format, context);
        return Note("EnumTextureFormats");
    }
    HRESULT BeginScene() override { return Note("BeginScene"); }
    HRESULT EndScene() override { return Note("EndScene"); }
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7, DWORD) override { return Note("SetRenderTarget"); }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7* surface) override {
        target->AddRef();
        *surface = target;
        return Note("GetRenderTarget");
    }
    HRESULT Clear(DWORD, LPD3DRECT, DWORD, D3DCOLOR, D3DVALUE, DWORD) override { return Note("Clear"); }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, LPD3DMATRIX) override { return Note("SetTransform"); }
    HRESULT SetViewport(LPD3DVIEWPORT7) override { return Note("SetViewport"); }
    HRESULT SetMaterial(LPD3DMATERIAL7) override { return Note("SetMaterial"); }
    HRESULT SetLight(DWORD, LPD3DLIGHT7) override { return Note("SetLight"); }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return Note("SetRenderState"); }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) override { return Note("DrawPrimitive"); }
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE, LPDIRECT3DVERTEXBUFFER7, DWORD, DWORD, LPWORD, DWORD, DWORD) override {
        return Note("DrawIndexedPrimitiveVB");
    }
    HRESULT SetTexture(DWORD, LPDIRECTDRAWSURFACE7) override { return Note("SetTexture"); }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return Note("SetTextureStageState"); }
    HRESULT LightEnable(DWORD, BOOL) override { return Note("LightEnable"); }

private:
    ~Device() = default;
    HRESULT Note(const char* call, HRESULT result = D3D_OK) {
        scripted.calls.push_back(call);
        return result;
    }
    IDirectDrawSurface7* target;
    ULONG references = 1;
};

void DescribeSoftware(D3DDEVICEDESC7* d) { *d = scripted.caps; }
void DescribeHardware(D3DDEVICEDESC7* d) {
    *d = scripted.caps;
    d->dwDevCaps |= D3DDEVCAPS_HWRASTERIZATION;
}
IDirect3DDevice7* Create(IDirect3D7*, IDirectDrawSurface7* target) {
    return scripted.failCreate ? nullptr : new Device(target);
}

// The z-buffer formats are read through the record's pointer at each enumeration, so the
// record points at a buffer the tests refill.
DDPIXELFORMAT zBufferSlots[8];

const DeviceDriverRecord software = {"Scripted Software", "scripted software device", &ScriptedSoftwareGuid,
                                     DescribeSoftware, textureFormats, zBufferSlots, Create};
const DeviceDriverRecord hardware = {"Scripted Hardware", "scripted hardware device", &ScriptedHardwareGuid,
                                     DescribeHardware, textureFormats, zBufferSlots, Create};

// The device table of this program.
const DeviceDriverRecord* const scriptedDrivers[] = {&software, &hardware, nullptr};

}  // namespace

void ScriptedDevices::Reset() {
    platform::UseDeviceDrivers(scriptedDrivers);
    std::memset(&caps, 0, sizeof caps);
    caps.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
    caps.dwMaxTextureWidth = caps.dwMaxTextureHeight = 2048;
    SetZBufferDepths({16, 32});
    failCreate = false;
    calls.clear();
}

void ScriptedDevices::SetZBufferDepths(const std::vector<DWORD>& depths) {
    std::memset(zBufferSlots, 0, sizeof zBufferSlots);
    for (size_t i = 0; i < depths.size() && i + 1 < 8; ++i) zBufferSlots[i] = Depth(depths[i]);
}
