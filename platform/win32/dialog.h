// A dialog box made from a template: its controls and their state, shared by the dialog on the
// display (GTK) and the scripted dialog without a window. The state lives here, so the dialog
// procedure's messages behave the same in both.
#pragma once

#include <platform/dialogrunner.h>
#include <platform/resources.h>

#include <string>
#include <vector>

namespace platform {

enum class ControlKind { PushButton, CheckBox, GroupBox, Static, ComboBox };

struct DialogControl {
    const DLGITEMRESOURCE* item;
    ControlKind kind;
    bool defaultButton;
    std::vector<std::string> entries;  // drop-down list
    int selection;                     // drop-down list; CB_ERR for none
    int check;                         // check box
    void* widget;                      // on the display only
};

struct DialogBox {
    const DLGRESOURCE* resource;
    DLGPROC procedure;
    std::vector<DialogControl> controls;
    bool ended;
    INT_PTR result;
    void* window;       // on the display only
    bool showingState;  // widgets are being set from the controls' state: no notifications
};

inline HWND HandleOf(DialogBox& box) { return reinterpret_cast<HWND>(&box); }
inline HWND HandleOf(DialogControl& control) { return reinterpret_cast<HWND>(&control); }
DialogControl* FindControl(DialogBox& box, int id);
// The first control that Tab reaches, which gets the focus when the dialog opens.
DialogControl* FirstTabStop(DialogBox& box);
// The template's text without its mnemonic marks ("&&" stays as one '&').
std::string PlainText(const char* text);
// The lower-case mnemonic letter of the text, or 0.
char MnemonicOf(const char* text);

// What the user does, reaching the dialog procedure as the real controls report it.
void UserSelects(DialogBox& box, DialogControl& control, int index);
void UserSetsCheck(DialogBox& box, DialogControl& control, int check);
void UserPresses(DialogBox& box, int id);

// Bring a widget in line with its control's changed state; nothing without a window.
void ShowEntryAdded(DialogBox& box, DialogControl& control);
void ShowEntriesCleared(DialogBox& box, DialogControl& control);
void ShowSelection(DialogBox& box, DialogControl& control);
void ShowCheck(DialogBox& box, DialogControl& control);

// One line on stderr about a dialog that cannot be shown or run.
void ReportDialogProblem(const DialogBox* box, const std::string& problem);

// A message box on the screen when the screen is open; otherwise WriteMessage.
int ShowMessageOnScreen(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
// The message's caption and text on stderr, so nothing is lost without a screen; IDOK.
int WriteMessage(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

}  // namespace platform
