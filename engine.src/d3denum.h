// The list of Direct3D devices, each with the full-screen display modes it can render into.
#pragma once

#include <d3d.h>

struct DeviceEntry {
    char description[40];
    GUID* deviceGuidPointer;
    DWORD hardware;             // D3DDEVCAPS_HWRASTERIZATION bit of the device's caps
    GUID* driverGuidPointer;    // null for the primary display driver
    GUID deviceGuid;
    GUID driverGuid;
    DDSURFACEDESC2* modes;      // sorted by width, height, bit count
    DWORD modeCount;
};

constexpr int MaxDevices = 20;

// Rejects a device by returning a negative value.
typedef HRESULT (*DeviceConfirmCallback)(DDCAPS* driverCaps, D3DDEVICEDESC7* deviceDescription);

HRESULT EnumerateDevices(DeviceConfirmCallback confirm);
void GetDeviceList(DeviceEntry** list, DWORD* count);
