// The device table of this test program: two records of the software device whose capabilities
// and formats can be changed per test.
#pragma once

#include "devicedriver.h"

#include <vector>

struct ScriptedDevices {
    // The capabilities both devices describe; the hardware one adds D3DDEVCAPS_HWRASTERIZATION.
    D3DDEVICEDESC7 caps;
    bool failCreate = false;
    // What the hardware record's availability test answers.
    DeviceAvailability hardwareAvailability = DeviceAvailability::Available;

    void Reset();  // 16- and 32-bit rendering, 2048 x 2048 textures, 16- and 32-bit z-buffers
    void SetZBufferDepths(const std::vector<DWORD>& depths);
};

extern ScriptedDevices scripted;
extern const GUID ScriptedSoftwareGuid;
extern const GUID ScriptedHardwareGuid;
