// The Direct3D devices of the display driver, in the order EnumDevices reports them.
#include "devicedriver.h"

extern const DeviceDriverRecord softwareDeviceRecord;
extern const DeviceDriverRecord openglDeviceRecord;

const DeviceDriverRecord* const deviceDrivers[] = {
    &softwareDeviceRecord,
    &openglDeviceRecord,
    nullptr,
};
