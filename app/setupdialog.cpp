// The setup dialog: its template, its procedure and the choices it writes.
#include "setupdialog.h"

#include "d3denum.h"
#include "setupchoices.h"

namespace {

const DWORD ControlStyle = WS_CHILD | WS_VISIBLE;
const DWORD ListStyle = ControlStyle | CBS_DROPDOWNLIST | CBS_NOINTEGRALHEIGHT | WS_VSCROLL;

// The lists are unsorted on purpose: a list position is an index into the device list and into
// the device's mode list.
const DLGITEMRESOURCE setupControls[] = {
    {"&Start", IDOK, "BUTTON", ControlStyle | BS_DEFPUSHBUTTON | WS_TABSTOP, 3, 97, 50, 14},
    {"E&xit", IDCANCEL, "BUTTON", ControlStyle | BS_PUSHBUTTON | WS_TABSTOP, 53, 97, 50, 14},
    {"Graphics", IDC_STATIC, "BUTTON", ControlStyle | BS_GROUPBOX, 3, 0, 166, 45},
    {"", DeviceListControl, "COMBOBOX", ListStyle, 46, 10, 117, 83},
    {"Device", IDC_STATIC, "STATIC", ControlStyle | SS_LEFT | WS_GROUP, 11, 12, 24, 8},
    {"", ModeListControl, "COMBOBOX", ListStyle, 46, 26, 117, 67},
    {"Mode", IDC_STATIC, "STATIC", ControlStyle | SS_LEFT | WS_GROUP, 12, 28, 19, 8},
    {"Options", IDC_STATIC, "BUTTON", ControlStyle | BS_GROUPBOX, 3, 47, 166, 47},
    {"Texture filtering", TextureFilteringControl, "BUTTON", ControlStyle | BS_AUTOCHECKBOX | WS_TABSTOP, 9, 57, 86, 10},
    {"Perspective correction", PerspectiveCorrectionControl, "BUTTON", ControlStyle | BS_AUTOCHECKBOX | WS_TABSTOP, 9, 68, 86, 10},
    {"Dithering", DitheringControl, "BUTTON", ControlStyle | BS_AUTOCHECKBOX | WS_TABSTOP, 9, 80, 85, 10},
};

const DLGRESOURCE setupDialogTemplate = {
    WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_CENTER,
    172, 114,
    "Engine setup (Direct3D 7.0)",
    8, "MS Sans Serif",
    setupControls, sizeof setupControls / sizeof setupControls[0],
};

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

const RESOURCEENTRY programResources[] = {
    {SetupDialogResource, &setupDialogTemplate},
    {0, nullptr},
};

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
