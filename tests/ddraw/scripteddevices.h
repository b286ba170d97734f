// The device table of this test program: two scripted devices that draw nothing and remember
// what was asked of them. Their capabilities and formats can be changed per test.
#pragma once

#include "devicedriver.h"

#include <string>
#include <vector>

struct ScriptedDevices {
    // The capabilities both devices describe; the hardware one adds D3DDEVCAPS_HWRASTERIZATION.
    D3DDEVICEDESC7 caps;
    bool failCreate = false;
    std::vector<std::string> calls;  // "Clear", "DrawPrimitive", ... as the inner device got them
    int liveDevices = 0;

    void Reset();  // 16- and 32-bit rendering, 2048 x 2048 textures, 16- and 32-bit z-buffers
    void SetZBufferDepths(const std::vector<DWORD>& depths);
};

extern ScriptedDevices scripted;
extern const GUID ScriptedSoftwareGuid;
extern const GUID ScriptedHardwareGuid;
