// The setup dialog: the Direct3D device, its display mode and three options, chosen before the
// display switches to full screen.
#pragma once

#include <windows.h>

constexpr int SetupDialogResource = 101;
constexpr int DeviceListControl = 1001;
constexpr int ModeListControl = 1002;
constexpr int TextureFilteringControl = 1003;
constexpr int PerspectiveCorrectionControl = 1004;
constexpr int DitheringControl = 1005;

// The choices the dialog always opens with.
void ApplySetupDefaults();
// 1 when the user pressed "&Start", 0 for "E&xit", Escape, closing, or a dialog that could not
// be shown.
int SetupDialog(HWND owner, HINSTANCE instance);
// Lists the display modes of a device in the dialog's Mode list and selects the first.
void FillModeList(HWND dialog, int deviceIndex);
