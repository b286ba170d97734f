// The program's resources: what its resource file holds, the setup dialog's template. Linked into
// each program that shows the dialog; it stays out of the check against the Windows headers, which
// have no such records.
#include "setupdialog.h"

#include <platform/resources.h>

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

}  // namespace

const RESOURCEENTRY programResources[] = {
    {SetupDialogResource, &setupDialogTemplate},
    {0, nullptr},
};
