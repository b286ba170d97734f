// Device enumeration over scripted drivers: which devices are listed, under which name, with
// which modes in which order, and what goes to the debugger output when nothing is found.
#include "scripteddrivers.h"

#include "d3denum.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const GUID SoftwareGuid = {0xA1, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
const GUID HardwareGuid = {0xA2, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
const GUID SecondaryGuid = {0xB1, 0, 0, {1, 1, 1, 1, 1, 1, 1, 1}};
const DWORD AllDepths = DDBD_16 | DDBD_24 | DDBD_32;

ScriptedDriver Primary(std::vector<ScriptedDevice> devices) {
    ScriptedDriver driver;
    driver.description = "Primary Display Driver";
    driver.modes = {{640, 480, 16}, {640, 480, 32}, {800, 600, 16}};
    driver.devices = std::move(devices);
    return driver;
}

class Enumeration : public ::testing::Test {
protected:
    // Runs the enumeration, keeping its debugger output.
    HRESULT Enumerate(DeviceConfirmCallback confirm = nullptr) {
        ::testing::internal::CaptureStderr();
        const HRESULT result = EnumerateDevices(confirm);
        trace = ::testing::internal::GetCapturedStderr();
        GetDeviceList(&list, &count);
        return result;
    }
    std::vector<std::string> ModesOf(DWORD index) {
        std::vector<std::string> modes;
        for (DWORD i = 0; i < list[index].modeCount; ++i) {
            const DDSURFACEDESC2& mode = list[index].modes[i];
            modes.push_back(std::to_string(mode.dwWidth) + "x" + std::to_string(mode.dwHeight) + "x" +
                            std::to_string(mode.ddpfPixelFormat.dwRGBBitCount));
        }
        return modes;
    }
    DeviceEntry* list = nullptr;
    DWORD count = 0;
    std::string trace;
};

TEST_F(Enumeration, ThePrimaryDriverListsSoftwareAndHardwareDevicesInReportedOrder) {
    ScriptDrivers({Primary({{"RGB Emulation", SoftwareGuid, 0, AllDepths},
                               {"Direct3D HAL", HardwareGuid, D3DDEVCAPS_HWRASTERIZATION, AllDepths}})});
    EXPECT_EQ(Enumerate(), 0);
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(list[0].description, "RGB Emulation");
    EXPECT_EQ(list[0].hardware, 0u);
    EXPECT_EQ(list[0].deviceGuid, SoftwareGuid);
    EXPECT_EQ(list[0].deviceGuidPointer, &list[0].deviceGuid);
    EXPECT_EQ(list[0].driverGuidPointer, nullptr);
    EXPECT_STREQ(list[1].description, "Direct3D HAL");
    EXPECT_EQ(list[1].hardware, DWORD(D3DDEVCAPS_HWRASTERIZATION));
    EXPECT_EQ(list[1].deviceGuid, HardwareGuid);
    EXPECT_EQ(ModesOf(1), (std::vector<std::string>{"640x480x16", "640x480x32", "800x600x16"}));
    // The driver was asked for its caps in the 32-bit record size and for every mode.
    EXPECT_EQ(CallsStartingWith("GetCaps"), (std::vector<std::string>{"GetCaps 380 380"}));
    EXPECT_EQ(CallsStartingWith("EnumDisplayModes"), (std::vector<std::string>{"EnumDisplayModes 0 null"}));
    EXPECT_EQ(script.liveObjects, 0) << "the driver's interfaces were not released";
    EXPECT_TRUE(trace.empty()) << trace;
}

TEST_F(Enumeration, SecondaryDriversOfEveryKindContributeOnlyHardwareDevicesUnderTheirOwnName) {
    std::vector<ScriptedDriver> drivers = {Primary({{"RGB Emulation", SoftwareGuid, 0, AllDepths}})};
    // Attached and detached monitors and a 3D-only card are listed only when asked for.
    const DWORD kinds[3] = {DDENUM_ATTACHEDSECONDARYDEVICES, DDENUM_DETACHEDSECONDARYDEVICES,
                            DDENUM_NONDISPLAYDEVICES};
    for (int i = 0; i < 3; ++i) {
        ScriptedDriver secondary;
        secondary.description = "Accelerator " + std::to_string(i);
        secondary.hasGuid = true;
        secondary.guid = SecondaryGuid;
        secondary.guid.Data2 = static_cast<WORD>(i);
        secondary.listedWith = kinds[i];
        secondary.modes = {{1024, 768, 32}};
        secondary.devices = {{"RGB Emulation", SoftwareGuid, 0, AllDepths},
                             {"Direct3D HAL", HardwareGuid, D3DDEVCAPS_HWRASTERIZATION, AllDepths}};
        drivers.push_back(secondary);
    }
    ScriptDrivers(drivers);
    EXPECT_EQ(Enumerate(), 0);
    ASSERT_EQ(count, 4u);
    EXPECT_STREQ(list[0].description, "RGB Emulation");
    for (int i = 0; i < 3; ++i) {
        const DeviceEntry& entry = list[1 + i];
        EXPECT_EQ(std::string(entry.description), "Accelerator " + std::to_string(i));
        EXPECT_EQ(entry.deviceGuid, HardwareGuid);
        ASSERT_EQ(entry.driverGuidPointer, &entry.driverGuid);
        EXPECT_EQ(entry.driverGuid, drivers[1 + i].guid);
    }
    EXPECT_EQ(ModesOf(1), (std::vector<std::string>{"1024x768x32"}));
}

TEST_F(Enumeration, ModesAreSortedAndFilteredByTheDevicesRenderDepths) {
    ScriptedDriver driver = Primary({{"Only16", SoftwareGuid, 0, DDBD_16}, {"Only24And32", HardwareGuid, 0, DDBD_24 | DDBD_32}});
    driver.modes = {{800, 600, 16}, {640, 480, 32}, {640, 480, 8}, {1024, 768, 24}, {640, 400, 16}, {640, 480, 16}};
    ScriptDrivers({driver});
    EXPECT_EQ(Enumerate(), 0);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(ModesOf(0), (std::vector<std::string>{"640x400x16", "640x480x16", "800x600x16"}));
    EXPECT_EQ(ModesOf(1), (std::vector<std::string>{"640x480x32", "1024x768x24"}));
}

TEST_F(Enumeration, ARejectedDeviceLeavesItsSlotToTheNextOne) {
    ScriptedDriver driver = Primary({{"Palette Only", SoftwareGuid, 0, DDBD_8}, {"Direct3D HAL", HardwareGuid, 0, DDBD_16}});
    ScriptDrivers({driver});
    EXPECT_EQ(Enumerate(), 0);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(list[0].description, "Direct3D HAL");
    EXPECT_EQ(list[0].deviceGuidPointer, &list[0].deviceGuid);
    EXPECT_EQ(ModesOf(0), (std::vector<std::string>{"640x480x16", "800x600x16"}));
}

HRESULT RejectSoftware(DDCAPS* caps, D3DDEVICEDESC7* description) {
    EXPECT_NE(caps, nullptr);
    return (description->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) ? 0 : -1;
}

TEST_F(Enumeration, TheConfirmationCallbackCanRejectADevice) {
    ScriptDrivers({Primary({{"RGB Emulation", SoftwareGuid, 0, AllDepths},
                               {"Direct3D HAL", HardwareGuid, D3DDEVCAPS_HWRASTERIZATION, AllDepths}})});
    EXPECT_EQ(Enumerate(RejectSoftware), 0);
    ASSERT_EQ(count, 1u);
    EXPECT_STREQ(list[0].description, "Direct3D HAL");
}

TEST_F(Enumeration, NoDeviceAtAllIsReportedToTheDebuggerOutput) {
    ScriptDrivers({Primary({})});
    EXPECT_EQ(Enumerate(), static_cast<HRESULT>(0x81000002));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(trace, "engine.src\\d3denum.cpp(272): No devices and/or modes were enumerated!\n");
}

TEST_F(Enumeration, DevicesSeenButNoneAcceptedIsReportedWithAHint) {
    ScriptDrivers({Primary({{"Palette Only", SoftwareGuid, 0, DDBD_8}})});
    EXPECT_EQ(Enumerate(), static_cast<HRESULT>(0x81000003));
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(trace,
              "engine.src\\d3denum.cpp(277): No enumerated devices were accepted!\n"
              "engine.src\\d3denum.cpp(278): Try enabling the D3D Reference Rasterizer.\n");
}

TEST_F(Enumeration, ADriverThatCannotBeOpenedIsSkipped) {
    ScriptDrivers({Primary({{"RGB Emulation", SoftwareGuid, 0, AllDepths}})});
    script.failCreate = true;
    EXPECT_EQ(Enumerate(), static_cast<HRESULT>(0x81000002));
    EXPECT_EQ(trace,
              "engine.src\\d3denum.cpp(201): Can't create DDraw during enumeration!\n"
              "engine.src\\d3denum.cpp(272): No devices and/or modes were enumerated!\n");

    script.failCreate = false;
    script.failQueryDirect3D = true;
    EXPECT_EQ(Enumerate(), static_cast<HRESULT>(0x81000002));
    EXPECT_EQ(trace.substr(0, trace.find('\n')), "engine.src\\d3denum.cpp(210): Can't query IDirect3D7 during enumeration!");
    EXPECT_EQ(script.liveObjects, 0);
}

TEST_F(Enumeration, LongNamesAreCutToThirtyEightCharacters) {
    ScriptDrivers({Primary({{std::string(60, 'n'), SoftwareGuid, 0, AllDepths}})});
    EXPECT_EQ(Enumerate(), 0);
    ASSERT_EQ(count, 1u);
    EXPECT_EQ(std::string(list[0].description), std::string(38, 'n'));
}

TEST_F(Enumeration, MoreDevicesThanTheListHoldsKeepTheFirstTwenty) {
    std::vector<ScriptedDevice> devices;
    for (int i = 0; i < MaxDevices + 5; ++i) devices.push_back({"Device " + std::to_string(i), SoftwareGuid, 0, DDBD_16});
    ScriptDrivers({Primary(devices)});
    EXPECT_EQ(Enumerate(), 0);
    ASSERT_EQ(count, DWORD(MaxDevices));
    EXPECT_STREQ(list[MaxDevices - 1].description, "Device 19");
}

TEST_F(Enumeration, EnumeratingAgainStartsAFreshList) {
    ScriptDrivers({Primary({{"RGB Emulation", SoftwareGuid, 0, AllDepths}})});
    EXPECT_EQ(Enumerate(), 0);
    EXPECT_EQ(Enumerate(), 0);
    EXPECT_EQ(count, 1u);
}

}  // namespace
