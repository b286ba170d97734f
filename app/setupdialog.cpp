// The setup dialog: its procedure and the choices it writes (its template is in resources.cpp).
#include "setupdialog.h"

#include "d3denum.h"
#include "setupchoices.h"

namespace {

// The list the dialog offers, from the enumeration.
DeviceEntry* deviceList = nullptr;
DWORD deviceCount = 0;

void InitSetupDialog(HWND dialog) {
    SendDlgItemMessageA(dialog, TextureFilteringControl, BM_SETCHECK, setupChoices.textureFiltering, 0);
    SendDlgItemMessageA(dialog, PerspectiveCorrectionControl, BM_SETCHECK, setupChoices.perspectiveCorrection, 0);
    SendDlgItemMessageA(dialog, DitheringControl, BM_SETCHECK, setupChoices.dithering, 0);
    if (EnumerateDevices(nullptr) < 0) {
        // The lists stay empty; "E&xit" still ends the program.
        MessageBoxA(dialog, "Cannot enumerate devices", "ERROR!!!", MB_OK);
        return;
    }
    GetDeviceList(&deviceList, &deviceCount);
    for (DWORD i = 0; i < deviceCount; ++i)
        SendDlgItemMessageA(dialog, DeviceListControl, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(deviceList[i].description));
    SendDlgItemMessageA(dialog, DeviceListControl, CB_SETCURSEL, setupChoices.deviceIndex, 0);
    FillModeList(dialog, setupChoices.deviceIndex);
    SendDlgItemMessageA(dialog, ModeListControl, CB_SETCURSEL, setupChoices.modeIndex, 0);
}

void DeviceChanged(HWND dialog) {
    LRESULT device = SendDlgItemMessageA(dialog, DeviceListControl, CB_GETCURSEL, 0, 0);
    if (device == CB_ERR) return;
    SendDlgItemMessageA(dialog, ModeListControl, CB_RESETCONTENT, 0, 0);
    FillModeList(dialog, static_cast<int>(device));
}

// 0 when there is no device or mode to start with (the lists are empty after a failed
// enumeration): the dialog then stays open instead of handing the device an index of -1.
int ReadChoices(HWND dialog) {
    LRESULT device = SendDlgItemMessageA(dialog, DeviceListControl, CB_GETCURSEL, 0, 0);
    LRESULT mode = SendDlgItemMessageA(dialog, ModeListControl, CB_GETCURSEL, 0, 0);
    if (device == CB_ERR || mode == CB_ERR) return 0;
    setupChoices.deviceIndex = static_cast<int>(device);
    setupChoices.modeIndex = static_cast<int>(mode);
    setupChoices.textureFiltering = static_cast<int>(SendDlgItemMessageA(dialog, TextureFilteringControl, BM_GETCHECK, 0, 0));
    setupChoices.perspectiveCorrection = static_cast<int>(SendDlgItemMessageA(dialog, PerspectiveCorrectionControl, BM_GETCHECK, 0, 0));
    setupChoices.dithering = static_cast<int>(SendDlgItemMessageA(dialog, DitheringControl, BM_GETCHECK, 0, 0));
    return 1;
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        InitSetupDialog(dialog);
        return 1;
    }
    if (message != WM_COMMAND) return 0;
    switch (LOWORD(wParam)) {
    case IDOK:
        if (ReadChoices(dialog)) EndDialog(dialog, 1);
        break;
    case IDCANCEL:
        EndDialog(dialog, 0);
        break;
    case DeviceListControl:
        if (HIWORD(wParam) == CBN_SELENDOK) DeviceChanged(dialog);
        break;
    }
    return 0;
}

}  // namespace

void ApplySetupDefaults() {
    setupChoices.deviceIndex = 0;
    setupChoices.modeIndex = 0;
    setupChoices.textureFiltering = 1;
    setupChoices.perspectiveCorrection = 1;
    setupChoices.dithering = 1;
}

int SetupDialog(HWND owner, HINSTANCE instance) {
    // -1 (no dialog could be shown) counts as not accepted.
    return DialogBoxParamA(instance, MAKEINTRESOURCE(SetupDialogResource), owner, SetupDialogProc, 0) == 1 ? 1 : 0;
}

void FillModeList(HWND dialog, int deviceIndex) {
    if (deviceIndex < 0 || static_cast<DWORD>(deviceIndex) >= deviceCount) return;
    const DeviceEntry& device = deviceList[deviceIndex];
    char text[64];
    for (DWORD i = 0; i < device.modeCount; ++i) {
        const DDSURFACEDESC2& mode = device.modes[i];
        wsprintfA(text, "%dx%d %dbpp", static_cast<int>(mode.dwWidth), static_cast<int>(mode.dwHeight),
                  static_cast<int>(mode.ddpfPixelFormat.dwRGBBitCount));
        SendDlgItemMessageA(dialog, ModeListControl, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageA(dialog, ModeListControl, CB_SETCURSEL, 0, 0);
}
