#include "scripteddrivers.h"

#include <platform/directdrawdrivers.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

Script script;

namespace {

std::vector<platform::DirectDrawDriverRecord> driverRecords;
std::vector<const platform::DirectDrawDriverRecord*> driverTable;

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* format, ...) {
    char line[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    script.calls.push_back(line);
}

// Reference counting shared by every fake; the name goes to the log on each release to 0.
template <typename Interface>
class Counted : public Interface {
public:
    explicit Counted(const char* name) : name(name) { ++script.liveObjects; }
    HRESULT QueryInterface(REFIID, LPVOID*) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override {
        Log("Release %s", name);
        return Drop();
    }
    void Destroy() {
        --script.liveObjects;
        delete this;
    }
    // A release by another fake, kept out of the log.
    ULONG Drop() {
        const ULONG left = --references;
        if (left == 0) {
            --script.liveObjects;
            delete this;
        }
        return left;
    }
    virtual ~Counted() = default;

protected:
    const char* name;
    ULONG references = 1;
};

class FakeSurface final : public Counted<IDirectDrawSurface7> {
public:
    FakeSurface(const char* name, DWORD width, DWORD height, DWORD bits) : Counted(name), width(width), height(height), bits(bits) {}
    ~FakeSurface() override {
        // As with DirectDraw, the chain goes with its front.
        if (back) back->Destroy();
    }
    HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) override {
        Log("GetAttachedSurface %u", caps->dwCaps);
        if (script.failBackBuffer || !back || caps->dwCaps != DDSCAPS_BACKBUFFER) return DDERR_NOTFOUND;
        back->AddRef();
        *surface = back;
        return DD_OK;
    }
    HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7) override {
        Log("AddAttachedSurface");
        return script.failAttach ? DDERR_GENERIC : DD_OK;
    }
    HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 description) override {
        if (description->dwSize != 124) return DDERR_INVALIDPARAMS;
        description->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_PITCH;
        description->dwWidth = width;
        description->dwHeight = height;
        description->lPitch = static_cast<LONG>(width * bits / 8);
        description->ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
        description->ddpfPixelFormat.dwFlags = DDPF_RGB;
        description->ddpfPixelFormat.dwRGBBitCount = bits;
        return DD_OK;
    }
    HRESULT GetPixelFormat(LPDDPIXELFORMAT) override { return DDERR_UNSUPPORTED; }
    HRESULT GetDDInterface(LPVOID*) override { return DDERR_UNSUPPORTED; }
    HRESULT Lock(LPRECT, LPDDSURFACEDESC2, DWORD, HANDLE) override { return DDERR_UNSUPPORTED; }
    HRESULT Unlock(LPRECT) override { return DDERR_UNSUPPORTED; }
    HRESULT Blt(LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD, LPDDBLTFX) override { return DDERR_UNSUPPORTED; }
    HRESULT Flip(LPDIRECTDRAWSURFACE7 overrideSurface, DWORD flags) override {
        Log("Flip %s %u", overrideSurface ? "surface" : "null", flags);
        return DD_OK;
    }

    FakeSurface* back = nullptr;
    DWORD width, height, bits;
};

class FakeDevice final : public Counted<IDirect3DDevice7> {
public:
    FakeDevice() : Counted("device") { references += script.deviceReferencesKept; }
    HRESULT GetCaps(LPD3DDEVICEDESC7 description) override {
        Log("GetCaps");
        if (script.failDeviceCaps) return DDERR_GENERIC;
        description->dpcTriCaps.dwRasterCaps = script.rasterCaps;
        description->dwMaxTextureWidth = script.maxTextureWidth;
        description->dwMaxTextureHeight = script.maxTextureHeight;
        return D3D_OK;
    }
    HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK, LPVOID) override { return DDERR_UNSUPPORTED; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT SetRenderTarget(LPDIRECTDRAWSURFACE7, DWORD flags) override {
        Log("SetRenderTarget %u", flags);
        return script.failRenderTarget ? DDERR_GENERIC : D3D_OK;
    }
    HRESULT GetRenderTarget(LPDIRECTDRAWSURFACE7*) override { return DDERR_UNSUPPORTED; }
    HRESULT Clear(DWORD count, LPD3DRECT rects, DWORD flags, D3DCOLOR colour, D3DVALUE z, DWORD stencil) override {
        Log("Clear %u %s %u %08x %g %u", count, rects ? "rects" : "null", flags, colour, z, stencil);
        return D3D_OK;
    }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, LPD3DMATRIX) override { return D3D_OK; }
    HRESULT SetViewport(LPD3DVIEWPORT7 v) override {
        Log("SetViewport %u %u %u %u %g %g", v->dwX, v->dwY, v->dwWidth, v->dwHeight, v->dvMinZ, v->dvMaxZ);
        return script.failViewport ? DDERR_GENERIC : D3D_OK;
    }
    HRESULT SetMaterial(LPD3DMATERIAL7) override { return D3D_OK; }
    HRESULT SetLight(DWORD, LPD3DLIGHT7) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) override { return D3D_OK; }
    HRESULT DrawIndexedPrimitiveVB(D3DPRIMITIVETYPE, LPDIRECT3DVERTEXBUFFER7, DWORD, DWORD, LPWORD, DWORD, DWORD) override {
        return D3D_OK;
    }
    HRESULT SetTexture(DWORD, LPDIRECTDRAWSURFACE7) override { return D3D_OK; }
    HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT LightEnable(DWORD, BOOL) override { return D3D_OK; }
};

class FakeDirect3D final : public Counted<IDirect3D7> {
public:
    explicit FakeDirect3D(const ScriptedDriver& driver) : Counted("direct3D"), driver(driver) {}
    HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) override {
        for (const ScriptedDevice& device : driver.devices) {
            D3DDEVICEDESC7 description = {};
            description.dwDevCaps = device.devCaps;
            description.dwDeviceRenderBitDepth = device.renderDepths;
            description.deviceGUID = device.guid;
            std::string name = device.name, text = "about " + device.name;
            if (callback(&text[0], &name[0], &description, context) == D3DENUMRET_CANCEL) break;
        }
        return D3D_OK;
    }
    HRESULT CreateDevice(REFCLSID, LPDIRECTDRAWSURFACE7 target, LPDIRECT3DDEVICE7* device) override {
        Log("CreateDevice %s", static_cast<FakeSurface*>(target)->back ? "primary" : "backbuffer");
        if (script.failCreateDevice) return DDERR_GENERIC;
        *device = script.lastDevice = new FakeDevice();
        return D3D_OK;
    }
    HRESULT CreateVertexBuffer(LPD3DVERTEXBUFFERDESC, LPDIRECT3DVERTEXBUFFER7*, DWORD) override { return DDERR_UNSUPPORTED; }
    HRESULT EnumZBufferFormats(REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override {
        for (DWORD depth : script.zBufferDepths) {
            DDPIXELFORMAT format = {};
            format.dwSize = sizeof format;
            format.dwFlags = DDPF_ZBUFFER;
            format.dwZBufferBitDepth = depth;
            format.dwZBitMask = depth == 32 ? 0xFFFFFFFFu : (1u << depth) - 1;
            if (callback(&format, context) == D3DENUMRET_CANCEL) break;
        }
        return D3D_OK;
    }

private:
    ScriptedDriver driver;
};

class FakeDirectDraw final : public Counted<IDirectDraw7> {
public:
    explicit FakeDirectDraw(const ScriptedDriver& driver) : Counted("directDraw"), driver(driver) {}
    HRESULT QueryInterface(REFIID riid, LPVOID* object) override {
        if (riid != IID_IDirect3D7 || script.failQueryDirect3D) return E_NOINTERFACE;
        *object = static_cast<IDirect3D7*>(new FakeDirect3D(driver));
        return S_OK;
    }
    HRESULT GetCaps(LPDDCAPS hal, LPDDCAPS hel) override {
        Log("GetCaps %u %u", hal ? hal->dwSize : 0, hel ? hel->dwSize : 0);
        return DD_OK;
    }
    HRESULT EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context, LPDDENUMMODESCALLBACK2 callback) override {
        Log("EnumDisplayModes %u %s", flags, filter ? "filter" : "null");
        for (const ScriptedMode& mode : driver.modes) {
            DDSURFACEDESC2 description = {};
            description.dwSize = sizeof description;
            description.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
            description.dwWidth = mode.width;
            description.dwHeight = mode.height;
            description.dwRefreshRate = 60;
            description.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
            description.ddpfPixelFormat.dwFlags = DDPF_RGB;
            description.ddpfPixelFormat.dwRGBBitCount = mode.bits;
            if (callback(&description, context) == DDENUMRET_CANCEL) break;
        }
        return DD_OK;
    }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        Log("SetCooperativeLevel %u", flags);
        return script.failCooperativeLevel ? DDERR_GENERIC : DD_OK;
    }
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bits, DWORD refresh, DWORD flags) override {
        Log("SetDisplayMode %u %u %u %u %u", width, height, bits, refresh, flags);
        if (script.failDisplayMode) return DDERR_INVALIDMODE;
        mode = {width, height, bits};
        return DD_OK;
    }
    HRESULT CreateSurface(LPDDSURFACEDESC2 d, LPDIRECTDRAWSURFACE7* surface, IUnknown*) override {
        if (d->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) {
            Log("CreateSurface primary %u %u 0x%x %u", d->dwSize, d->dwFlags, d->ddsCaps.dwCaps, d->dwBackBufferCount);
            if (FAILED(script.primaryResult)) return script.primaryResult;
            FakeSurface* primary = new FakeSurface("primary", mode.width, mode.height, mode.bits);
            primary->back = new FakeSurface("backBuffer", mode.width, mode.height, mode.bits);
            *surface = primary;
            return DD_OK;
        }
        Log("CreateSurface zbuffer %u 0x%x 0x%x %ux%u %u", d->dwSize, d->dwFlags, d->ddsCaps.dwCaps, d->dwWidth, d->dwHeight,
            d->ddpfPixelFormat.dwZBufferBitDepth);
        if (script.failZBufferSurface) return DDERR_OUTOFMEMORY;
        *surface = new FakeSurface("zBuffer", d->dwWidth, d->dwHeight, d->ddpfPixelFormat.dwZBufferBitDepth);
        return DD_OK;
    }

private:
    ScriptedDriver driver;
    ScriptedMode mode = {0, 0, 0};
};

HRESULT CreateScriptedDriver(const platform::DirectDrawDriverRecord& record, IDirectDraw7** directDraw) {
    Log("DirectDrawCreateEx %s", record.guid ? "guid" : "primary");
    if (script.failCreate) return DDERR_GENERIC;
    const ScriptedDriver& driver = script.drivers[static_cast<size_t>(&record - driverRecords.data())];
    *directDraw = new FakeDirectDraw(driver);
    return DD_OK;
}

}  // namespace

void ScriptDrivers(std::vector<ScriptedDriver> drivers) {
    script = Script();
    script.drivers = std::move(drivers);
    driverRecords.clear();
    for (const ScriptedDriver& driver : script.drivers)
        driverRecords.push_back({driver.hasGuid ? &driver.guid : nullptr, driver.description.c_str(), "driver",
                                 driver.listedWith, CreateScriptedDriver});
    driverTable.clear();
    for (const platform::DirectDrawDriverRecord& record : driverRecords) driverTable.push_back(&record);
    driverTable.push_back(nullptr);
    platform::UseDirectDrawDrivers(driverTable.data());
}

void ScriptDevices(const std::vector<ScriptedDeviceModes>& devices) {
    const DWORD anyDepth = DDBD_16 | DDBD_24 | DDBD_32;
    std::vector<ScriptedDriver> drivers;
    for (const ScriptedDeviceModes& device : devices) {
        ScriptedDriver driver;
        driver.description = drivers.empty() ? "Primary Display Driver" : device.description;
        driver.hasGuid = !drivers.empty();
        driver.guid = GUID{static_cast<DWORD>(drivers.size()), 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
        driver.listedWith = DDENUM_ATTACHEDSECONDARYDEVICES;
        driver.modes = device.modes;
        driver.devices = {{device.description, driver.guid, drivers.empty() ? 0u : DWORD(D3DDEVCAPS_HWRASTERIZATION), anyDepth}};
        drivers.push_back(driver);
    }
    ScriptDrivers(drivers);
}

std::vector<std::string> CallsStartingWith(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& call : script.calls)
        if (call.compare(0, prefix.size(), prefix) == 0) found.push_back(call);
    return found;
}
