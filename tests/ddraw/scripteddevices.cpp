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

void DescribeSoftware(D3DDEVICEDESC7* d) { *d = scripted.caps; }
void DescribeHardware(D3DDEVICEDESC7* d) {
    *d = scripted.caps;
    d->dwDevCaps |= D3DDEVCAPS_HWRASTERIZATION;
}
// The software device does the work: the records only describe themselves differently.
IDirect3DDevice7* Create(IDirect3D7* direct3D, IDirectDrawSurface7* target) {
    return scripted.failCreate ? nullptr : softwareDeviceRecord.create(direct3D, target);
}

DeviceAvailability HardwareAvailability() { return scripted.hardwareAvailability; }

// The z-buffer formats are read through the record's pointer at each enumeration, so the
// record points at a buffer the tests refill.
DDPIXELFORMAT zBufferSlots[8];

const DeviceDriverRecord software = {"Scripted Software", "scripted software device", &ScriptedSoftwareGuid,
                                     DescribeSoftware, textureFormats, zBufferSlots, Create, nullptr};
const DeviceDriverRecord hardware = {"Scripted Hardware", "scripted hardware device", &ScriptedHardwareGuid,
                                     DescribeHardware, textureFormats, zBufferSlots, Create, HardwareAvailability};

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
    hardwareAvailability = DeviceAvailability::Available;
}

void ScriptedDevices::SetZBufferDepths(const std::vector<DWORD>& depths) {
    std::memset(zBufferSlots, 0, sizeof zBufferSlots);
    for (size_t i = 0; i < depths.size() && i + 1 < 8; ++i) zBufferSlots[i] = Depth(depths[i]);
}
