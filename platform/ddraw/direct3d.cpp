#include "direct3d.h"

#include "com.h"
#include "directdraw.h"
#include "pixelformats.h"
#include "surface.h"
#include "vertexbuffer.h"

#include <platform/livesettings.h>

#include <new>
#include <string>

namespace ddraw {

namespace {
// A vertex buffer larger than this is refused instead of exhausting memory.
constexpr DWORD MaxVertexCount = 1u << 22;

DWORD RenderDepthBit(DWORD bitCount) {
    switch (bitCount) {
    case 16: return DDBD_16;
    case 24: return DDBD_24;
    case 32: return DDBD_32;
    default: return 0;
    }
}

const DeviceDriverRecord* const* driverTable = deviceDrivers;
}  // namespace

}  // namespace ddraw

DeviceAvailability AvailabilityOf(const DeviceDriverRecord& record) {
    return record.probe ? record.probe() : DeviceAvailability::Available;
}

namespace ddraw {

const DeviceDriverRecord* FindDeviceRecord(const GUID& deviceGuid) {
    for (const DeviceDriverRecord* const* record = driverTable; *record != nullptr; ++record)
        if (*(*record)->guid == deviceGuid && AvailabilityOf(**record) != DeviceAvailability::Missing) return *record;
    return nullptr;
}

Direct3D::Direct3D(DirectDraw* owner) : owner(owner) { owner->AddRef(); }

Direct3D::~Direct3D() { owner->Release(); }

HRESULT Direct3D::QueryInterface(REFIID riid, LPVOID* object) {
    if (object != nullptr && riid == IID_IDirectDraw7) return owner->QueryInterface(riid, object);
    return AnswerQuery<IDirect3D7>(this, riid, IID_IDirect3D7, object);
}

HRESULT Direct3D::EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, LPVOID context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    // The setup dialog selects the first device, so the one Enter should start comes first: the
    // kind the live settings name, or by default a device that asks to be preferred (hardware on
    // a real GPU). The table's order holds within each group; a device that cannot run is left out.
    const platform::DeviceKind kind = platform::CurrentLiveSettings().firstDevice;
    for (const bool firstPass : {true, false}) {
        for (const DeviceDriverRecord* const* record = driverTable; *record != nullptr; ++record) {
            const DeviceAvailability availability = AvailabilityOf(**record);
            if (availability == DeviceAvailability::Missing) continue;
            D3DDEVICEDESC7 description = {};
            (*record)->describe(&description);
            const bool hardware = (description.dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) != 0;
            const bool first = kind == platform::DeviceKind::Automatic ? availability == DeviceAvailability::Preferred
                                                                        : hardware == (kind == platform::DeviceKind::Hardware);
            if (first != firstPass) continue;
            description.deviceGUID = *(*record)->guid;
            // The callback receives writable strings, as on Windows; it may not keep them.
            std::string text = (*record)->description, name = (*record)->name;
            if (callback(text.data(), name.data(), &description, context) == D3DENUMRET_CANCEL) return D3D_OK;
        }
    }
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(REFCLSID deviceGuid, LPDIRECTDRAWSURFACE7 renderTarget, LPDIRECT3DDEVICE7* device) {
    if (device == nullptr) return DDERR_INVALIDPARAMS;
    *device = nullptr;
    Surface* target = AsSurface(renderTarget);
    if (target == nullptr || !(target->caps & DDSCAPS_3DDEVICE)) return DDERR_INVALIDPARAMS;
    const DeviceDriverRecord* record = FindDeviceRecord(deviceGuid);
    if (record == nullptr) return DDERR_NOTFOUND;
    D3DDEVICEDESC7 description = {};
    record->describe(&description);
    if (!(description.dwDeviceRenderBitDepth & RenderDepthBit(target->memory.format.dwRGBBitCount)))
        return DDERR_INVALIDPIXELFORMAT;
    IDirect3DDevice7* created = record->create(this, renderTarget);
    if (created == nullptr) return DDERR_GENERIC;
    for (const DeviceLayerRecord* const* layer = deviceLayers; *layer != nullptr; ++layer) {
        IDirect3DDevice7* wrapped = (*layer)->wrap(created);
        if (wrapped == nullptr) {
            created->Release();
            return DDERR_OUTOFMEMORY;
        }
        created = wrapped;
    }
    *device = created;
    return D3D_OK;
}

HRESULT Direct3D::CreateVertexBuffer(LPD3DVERTEXBUFFERDESC description, LPDIRECT3DVERTEXBUFFER7* vertexBuffer,
                                     DWORD flags) {
    if (vertexBuffer == nullptr) return DDERR_INVALIDPARAMS;
    *vertexBuffer = nullptr;
    if (description == nullptr || description->dwSize != sizeof(D3DVERTEXBUFFERDESC)) return DDERR_INVALIDPARAMS;
    if (VertexSize(description->dwFVF) == 0 || description->dwNumVertices == 0 ||
        description->dwNumVertices > MaxVertexCount)
        return D3DERR_VBUF_CREATE_FAILED;
    try {
        *vertexBuffer = new VertexBuffer(description->dwFVF, description->dwNumVertices);
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    return D3D_OK;
}

HRESULT Direct3D::EnumZBufferFormats(REFCLSID deviceGuid, LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) {
    if (callback == nullptr) return DDERR_INVALIDPARAMS;
    const DeviceDriverRecord* record = FindDeviceRecord(deviceGuid);
    if (record == nullptr) return DDERR_NOTFOUND;
    return EnumerateFormats(record->zBufferFormats, callback, context);
}

}  // namespace ddraw

void platform::UseDeviceDrivers(const DeviceDriverRecord* const* table) {
    ddraw::driverTable = table != nullptr ? table : deviceDrivers;
}
