// Scripted DirectDraw drivers in place of the machine's: their devices and modes, a failure
// switch for every call the render device makes, and a log of the calls.
#pragma once

#include <d3d.h>

#include <string>
#include <vector>

struct ScriptedMode {
    DWORD width, height, bits;
};

struct ScriptedDevice {
    std::string name;
    GUID guid;
    DWORD devCaps;
    DWORD renderDepths;  // DDBD_ bits
};

struct ScriptedDriver {
    std::string description;
    bool hasGuid = false;
    GUID guid = {};
    DWORD listedWith = 0;  // the DDENUMERATE_ flag that lists a secondary driver
    std::vector<ScriptedMode> modes;
    std::vector<ScriptedDevice> devices;
};

// What the fakes report and which of their calls fail, reset before every test.
struct Script {
    std::vector<ScriptedDriver> drivers;

    // Failure switches, one per call of the render device's creation.
    bool failCreate = false, failQueryDirect3D = false, failCooperativeLevel = false, failDisplayMode = false;
    HRESULT primaryResult = DD_OK;
    bool failBackBuffer = false, failCreateDevice = false, failViewport = false;
    bool failZBufferSurface = false, failAttach = false, failRenderTarget = false, failDeviceCaps = false;

    // What the created device reports.
    DWORD rasterCaps = 0;
    DWORD maxTextureWidth = 2048, maxTextureHeight = 2048;
    std::vector<DWORD> zBufferDepths = {16, 32};
    int deviceReferencesKept = 0;  // references the device keeps for itself, as a leak would
    IDirect3DDevice7* lastDevice = nullptr;

    // The log: "SetCooperativeLevel 17", "SetDisplayMode 800 600 16 60", "CreateSurface zbuffer 0x20800 16", ...
    std::vector<std::string> calls;
    int liveObjects = 0;  // fake interfaces not yet released to 0
};

extern Script script;

// A fresh script whose drivers DirectDraw lists and opens from now on.
void ScriptDrivers(std::vector<ScriptedDriver> drivers);

// Devices the enumeration lists in this order, each with its own modes: the first from the
// primary driver, the others as hardware devices of secondary drivers named after them.
struct ScriptedDeviceModes {
    std::string description;
    std::vector<ScriptedMode> modes;
};
void ScriptDevices(const std::vector<ScriptedDeviceModes>& devices);
// The log lines that start with prefix.
std::vector<std::string> CallsStartingWith(const std::string& prefix);
