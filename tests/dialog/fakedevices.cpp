#include "fakedevices.h"

#include <cstring>

namespace {

DeviceEntry entries[MaxDevices];
std::vector<DDSURFACEDESC2> modeStore[MaxDevices];
DWORD entryCount = 0;
HRESULT result = 0;
int calls = 0;

}  // namespace

void SetFakeDevices(HRESULT enumerationResult, const std::vector<FakeDevice>& devices) {
    result = enumerationResult;
    calls = 0;
    entryCount = 0;
    for (const FakeDevice& device : devices) {
        DeviceEntry& entry = entries[entryCount];
        entry = DeviceEntry{};
        strncpy(entry.description, device.description.c_str(), sizeof entry.description - 1);
        modeStore[entryCount].clear();
        for (const FakeMode& mode : device.modes) {
            DDSURFACEDESC2 description{};
            description.dwSize = sizeof description;
            description.dwWidth = mode.width;
            description.dwHeight = mode.height;
            description.ddpfPixelFormat.dwRGBBitCount = mode.bits;
            modeStore[entryCount].push_back(description);
        }
        entry.modes = modeStore[entryCount].data();
        entry.modeCount = static_cast<DWORD>(device.modes.size());
        ++entryCount;
    }
}

int FakeEnumerationCalls() { return calls; }

HRESULT EnumerateDevices(DeviceConfirmCallback) {
    ++calls;
    return result;
}

void GetDeviceList(DeviceEntry** list, DWORD* count) {
    if (list) *list = entries;
    if (count) *count = entryCount;
}
