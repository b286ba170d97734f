// Dialog boxes without a window, for tools and tests: DialogBoxParamA still runs the program's
// dialog procedure and the controls still keep their lists, selections and check states, but
// what the user does comes from a script. Each action reaches the dialog procedure with the
// notification the real control sends (a list selection as CBN_SELENDOK, a click on a check box
// or a button as BN_CLICKED). Message boxes go to stderr.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace platform {

struct DialogAction {
    enum Kind { Select, SelectText, Check, Press };
    Kind kind;
    int control;       // the control's id
    int value;         // Select: list position; Check: 1 ticked, 0 not
    std::string text;  // SelectText: the entry's exact text
};

// Picks an entry of a drop-down list by its position or by its exact text.
DialogAction SelectItem(int control, int index);
DialogAction SelectItemText(int control, const std::string& text);
// Clicks a check box when its state differs from the wanted one.
DialogAction SetCheck(int control, bool checked);
// Clicks a push button (IDCANCEL also stands for Escape and the close button).
DialogAction PressButton(int control);

struct DialogControlState {
    int id;
    std::vector<std::string> entries;  // drop-down lists
    int selection;                     // CB_ERR when nothing is selected
    int check;                         // check boxes: BST_CHECKED or BST_UNCHECKED
};

// How the last scripted dialog went, as it stood when it closed (or when its script stopped).
struct ScriptedDialogOutcome {
    bool ran;                                  // a scripted dialog has run since ScriptDialogs
    bool ended;                                // the dialog procedure called EndDialog
    INT_PTR result;                            // what DialogBoxParamA returned
    std::string error;                         // the action that could not be carried out
    std::vector<DialogControlState> controls;  // in template order
};

// Picks the scripted dialog runner from the table: from now on every dialog box runs without a
// window: WM_INITDIALOG, then the actions in order.
// An action that cannot be carried out (no such control or entry, the dialog already closed),
// or a script that ends with the dialog still open, makes DialogBoxParamA return -1 with the
// reason on stderr.
void ScriptDialogs(std::vector<DialogAction> actions);
// Back to the first available dialog runner (dialog boxes on the display).
void StopScriptingDialogs();
const ScriptedDialogOutcome& LastScriptedDialog();

}  // namespace platform
