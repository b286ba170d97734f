// The device list the setup dialog sees in these tests, chosen by each test in place of the
// machine's enumeration.
#pragma once

#include "d3denum.h"

#include <string>
#include <vector>

struct FakeMode {
    DWORD width;
    DWORD height;
    DWORD bits;
};

struct FakeDevice {
    std::string description;
    std::vector<FakeMode> modes;
};

// What EnumerateDevices returns and what GetDeviceList then hands out.
void SetFakeDevices(HRESULT enumerationResult, const std::vector<FakeDevice>& devices);
int FakeEnumerationCalls();
