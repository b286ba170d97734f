#include "d3denum.h"

#include <cstdlib>
#include <cstring>

#include "trace.h"

namespace {

// The trace lines name this module as it is known on the machines it was built for.
const char SourcePath[] = "engine.src\\d3denum.cpp";
// The size of DDCAPS in the 32-bit Windows program the show is.
constexpr DWORD CapsSize = 380;

// The driver being enumerated: its name, GUID, every display mode (sorted) and capabilities.
struct DriverRecord {
    char description[40];
    GUID* driverGuidPointer;
    GUID driverGuid;
    DDSURFACEDESC2* modes;
    DWORD modeCount;
    DDCAPS halCaps;
    DDCAPS helCaps;
};

DeviceEntry deviceList[MaxDevices];
DWORD devicesSeen = 0;
DWORD devicesAccepted = 0;
DeviceConfirmCallback confirmDevice = nullptr;

int CompareModes(const void* first, const void* second) {
    const DDSURFACEDESC2* a = static_cast<const DDSURFACEDESC2*>(first);
    const DDSURFACEDESC2* b = static_cast<const DDSURFACEDESC2*>(second);
    if (a->dwWidth != b->dwWidth) return a->dwWidth < b->dwWidth ? -1 : 1;
    if (a->dwHeight != b->dwHeight) return a->dwHeight < b->dwHeight ? -1 : 1;
    const DWORD aBits = a->ddpfPixelFormat.dwRGBBitCount, bBits = b->ddpfPixelFormat.dwRGBBitCount;
    if (aBits != bBits) return aBits < bBits ? -1 : 1;
    return 0;
}

HRESULT WINAPI CollectMode(LPDDSURFACEDESC2 mode, LPVOID context) {
    DriverRecord* driver = static_cast<DriverRecord*>(context);
    void* grown = realloc(driver->modes, (driver->modeCount + 1) * sizeof(DDSURFACEDESC2));
    if (!grown) return DDENUMRET_CANCEL;  // keep the modes collected so far
    driver->modes = static_cast<DDSURFACEDESC2*>(grown);
    driver->modes[driver->modeCount++] = *mode;
    return DDENUMRET_OK;
}

bool DepthRenderable(DWORD bitCount, DWORD renderDepths) {
    switch (bitCount) {
    case 32: return (renderDepths & DDBD_32) != 0;
    case 24: return (renderDepths & DDBD_24) != 0;
    case 16: return (renderDepths & DDBD_16) != 0;
    default: return false;
    }
}

HRESULT CALLBACK EnumerateDevice(LPSTR deviceDescription, LPSTR deviceName, LPD3DDEVICEDESC7 description,
                                 LPVOID context) {
    DriverRecord* driver = static_cast<DriverRecord*>(context);
    ++devicesSeen;
    // The list is full: further devices are counted but not kept.
    if (devicesAccepted >= MaxDevices) return D3DENUMRET_OK;

    DeviceEntry* entry = &deviceList[devicesAccepted];
    memset(entry, 0, sizeof *entry);
    entry->hardware = description->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION;
    entry->deviceGuid = description->deviceGUID;
    entry->deviceGuidPointer = &entry->deviceGuid;
    entry->modes = static_cast<DDSURFACEDESC2*>(malloc((driver->modeCount ? driver->modeCount : 1) * sizeof(DDSURFACEDESC2)));
    if (driver->driverGuidPointer) {
        entry->driverGuid = driver->driverGuid;
        entry->driverGuidPointer = &entry->driverGuid;
        lstrcpynA(entry->description, driver->description, 39);
    } else {
        lstrcpynA(entry->description, deviceName ? deviceName : "", 39);
    }

    bool rejected = (entry->driverGuidPointer && !entry->hardware) ||
                    (confirmDevice && confirmDevice(&driver->halCaps, description) < 0) || !entry->modes;
    if (!rejected) {
        for (DWORD i = 0; i < driver->modeCount; ++i)
            if (DepthRenderable(driver->modes[i].ddpfPixelFormat.dwRGBBitCount, description->dwDeviceRenderBitDepth))
                entry->modes[entry->modeCount++] = driver->modes[i];
        rejected = entry->modeCount == 0;
    }
    if (rejected) {
        // The slot is used again by the next device.
        free(entry->modes);
        memset(entry, 0, sizeof *entry);
        return D3DENUMRET_OK;
    }
    ++devicesAccepted;
    return D3DENUMRET_OK;
}

BOOL WINAPI EnumerateDriver(GUID* guid, LPSTR driverDescription, LPSTR driverName, LPVOID context, HMONITOR monitor) {
    LPDIRECTDRAW7 directDraw = nullptr;
    if (FAILED(DirectDrawCreateEx(guid, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr))) {
        TraceMessage(SourcePath, 201, 0, "Can't create DDraw during enumeration!");
        return DDENUMRET_OK;
    }
    LPDIRECT3D7 direct3D = nullptr;
    if (FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)))) {
        directDraw->Release();
        TraceMessage(SourcePath, 210, 0, "Can't query IDirect3D7 during enumeration!");
        return DDENUMRET_OK;
    }

    DriverRecord driver;
    memset(&driver, 0, sizeof driver);
    lstrcpynA(driver.description, driverDescription ? driverDescription : "", 39);
    driver.halCaps.dwSize = CapsSize;
    driver.helCaps.dwSize = CapsSize;
    directDraw->GetCaps(&driver.halCaps, &driver.helCaps);
    if (guid) {
        driver.driverGuid = *guid;
        driver.driverGuidPointer = &driver.driverGuid;
    }
    directDraw->EnumDisplayModes(0, nullptr, &driver, CollectMode);
    if (driver.modeCount > 1) qsort(driver.modes, driver.modeCount, sizeof(DDSURFACEDESC2), CompareModes);
    direct3D->EnumDevices(EnumerateDevice, &driver);

    free(driver.modes);
    direct3D->Release();
    directDraw->Release();
    return DDENUMRET_OK;
}

}  // namespace

HRESULT EnumerateDevices(DeviceConfirmCallback confirm) {
    // A second enumeration starts from an empty list instead of adding the devices again.
    for (DWORD i = 0; i < devicesAccepted; ++i) free(deviceList[i].modes);
    memset(deviceList, 0, sizeof deviceList);
    devicesSeen = 0;
    devicesAccepted = 0;

    confirmDevice = confirm;
    DirectDrawEnumerateExA(EnumerateDriver, nullptr,
                           DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES);
    if (devicesSeen == 0) {
        TraceMessage(SourcePath, 272, 0, "No devices and/or modes were enumerated!");
        return static_cast<HRESULT>(0x81000002);
    }
    if (devicesAccepted == 0) {
        TraceMessage(SourcePath, 277, 0, "No enumerated devices were accepted!");
        TraceMessage(SourcePath, 278, 0, "Try enabling the D3D Reference Rasterizer.");
        return static_cast<HRESULT>(0x81000003);
    }
    return 0;
}

void GetDeviceList(DeviceEntry** list, DWORD* count) {
    if (list) *list = deviceList;
    if (count) *count = devicesAccepted;
}
