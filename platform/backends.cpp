// The table of every kind of backend, in the order the platform tries them. The records live in
// their components; this unit, linked into every program before the components' libraries, is
// the one place that names them all.
#include "ddraw/devicedriver.h"

#include <platform/audiooutput.h>
#include <platform/dialogrunner.h>
#include <platform/display.h>

const DeviceDriverRecord* const deviceDrivers[] = {&softwareDeviceRecord, &openglDeviceRecord, nullptr};
const DeviceLayerRecord* const deviceLayers[] = {&tracingDeviceLayer, nullptr};

namespace platform {

const DisplayRecord* const displayTable[] = {&sdlDisplay, &virtualDisplay, nullptr};
const DialogRunnerRecord* const dialogRunnerTable[] = {&displayDialogs, &scriptedDialogs, nullptr};
const AudioOutputRecord* const audioOutputTable[] = {&sdlOutput, &silentOutput, &virtualClockOutput, nullptr};

}  // namespace platform
