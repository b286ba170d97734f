// How dialog boxes made from the program's templates run, and where message boxes go. Every
// runner is one record in the dialog runner table: dialogs on the display (GTK) and the scripted
// dialogs of the capture component (no window; the user's part comes from a script). The
// platform uses the first available one unless one is picked by name or handed over as a record
// of its own (tests).
#pragma once

#include <windows.h>

namespace platform {

struct DialogBox;

struct DialogRunnerRecord {
    const char* name;
    // Whether the runner can be used on this machine, without opening anything.
    bool (*available)();
    // Runs a dialog from WM_INITDIALOG until the dialog procedure calls EndDialog; what
    // DialogBoxParamA returns (-1, with the reason on stderr, when it cannot run).
    INT_PTR (*run)(DialogBox& box, LPARAM initParam);
    // A message box owned by the window (text and caption are never null); what MessageBoxA
    // returns.
    int (*message)(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
};

extern const DialogRunnerRecord displayDialogs;
extern const DialogRunnerRecord scriptedDialogs;
// Every dialog runner, in the order the platform tries them; ends with null.
extern const DialogRunnerRecord* const dialogRunnerTable[];

// The dialog runner in use.
const DialogRunnerRecord& CurrentDialogRunner();
// Uses the runner of this name from now on; false when the table has none.
bool SelectDialogRunner(const char* name);
// Uses this record from now on (any record, a test's own included); null goes back to the first
// available of the table.
void UseDialogRunner(const DialogRunnerRecord* record);

}  // namespace platform
