// A program's resources, as its resource file would give them: dialog templates as plain
// records. A program that shows dialogs links a unit defining programResources, the way a
// Windows program is linked with its compiled resource file; DialogBoxParamA finds a template
// there by its resource id. Positions and sizes are dialog units of the template's font.
#pragma once

#include <windows.h>

typedef struct DLGITEMRESOURCE {
    LPCSTR text;
    int id;             // IDC_STATIC for controls that never notify
    LPCSTR className;   // "BUTTON", "STATIC" or "COMBOBOX"
    DWORD style;        // WS_ styles and the class's own
    short x, y, cx, cy;
} DLGITEMRESOURCE;

typedef struct DLGRESOURCE {
    DWORD style;
    short cx, cy;
    LPCSTR caption;
    WORD pointSize;     // the font, with DS_SETFONT
    LPCSTR faceName;
    const DLGITEMRESOURCE* items;
    int itemCount;
} DLGRESOURCE;

typedef struct RESOURCEENTRY {
    WORD id;
    const DLGRESOURCE* dialog;
} RESOURCEENTRY;

// The program's resources; the last entry has id 0. Weak: a program without resources links
// without one, and its dialogs are not found.
extern const RESOURCEENTRY programResources[] __attribute__((weak));
