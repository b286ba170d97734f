// DialogBoxParamA, EndDialog and SendDlgItemMessageA over dialogs made from the program's
// templates.
#include "dialog.h"

#include <platform/backendtable.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace platform {
namespace {

const DialogRunnerRecord* chosen = nullptr;

// Dialogs currently running (one inside another is possible); handles are checked against it.
std::vector<DialogBox*> liveDialogs;

DialogBox* LiveDialog(HWND handle) {
    for (DialogBox* box : liveDialogs)
        if (HandleOf(*box) == handle) return box;
    return nullptr;
}

const DLGRESOURCE* FindDialogResource(LPCSTR name) {
    if (!IS_INTRESOURCE(name)) return nullptr;
    if (programResources == nullptr) return nullptr;  // the program was linked without resources
    WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
    for (const RESOURCEENTRY* entry = programResources; entry->id != 0; ++entry)
        if (entry->id == id) return entry->dialog;
    return nullptr;
}

bool SameClass(const char* a, const char* b) {
    if (!a) return false;
    for (; *a && *b; ++a, ++b)
        if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}

// The kind of control a template line makes; false for what this layer cannot show.
bool KindOf(const DLGITEMRESOURCE& item, ControlKind* kind, bool* defaultButton, std::string* problem) {
    *defaultButton = false;
    DWORD buttonStyle = item.style & 0x0F;
    if (SameClass(item.className, "BUTTON")) {
        switch (buttonStyle) {
        case BS_DEFPUSHBUTTON: *defaultButton = true; *kind = ControlKind::PushButton; return true;
        case BS_PUSHBUTTON: *kind = ControlKind::PushButton; return true;
        case BS_AUTOCHECKBOX: *kind = ControlKind::CheckBox; return true;
        case BS_GROUPBOX: *kind = ControlKind::GroupBox; return true;
        }
        *problem = "unsupported button style " + std::to_string(buttonStyle);
        return false;
    }
    if (SameClass(item.className, "STATIC")) {
        *kind = ControlKind::Static;
        return true;
    }
    if (SameClass(item.className, "COMBOBOX")) {
        // The list order is what the program's indexes refer to: only unsorted drop-down lists.
        if ((item.style & 0x0F) != CBS_DROPDOWNLIST || (item.style & CBS_SORT)) {
            *problem = "only unsorted drop-down list combo boxes are supported";
            return false;
        }
        *kind = ControlKind::ComboBox;
        return true;
    }
    *problem = std::string("unknown control class \"") + (item.className ? item.className : "") + "\"";
    return false;
}

bool BuildControls(DialogBox& box, std::string* problem) {
    const DLGRESOURCE& resource = *box.resource;
    if (resource.itemCount < 0 || (resource.itemCount > 0 && !resource.items)) {
        *problem = "the template's control list is missing";
        return false;
    }
    box.controls.reserve(resource.itemCount);
    for (int i = 0; i < resource.itemCount; ++i) {
        DialogControl control{};
        control.item = &resource.items[i];
        control.selection = CB_ERR;
        if (!KindOf(*control.item, &control.kind, &control.defaultButton, problem)) {
            *problem = "control " + std::to_string(i + 1) + ": " + *problem;
            return false;
        }
        box.controls.push_back(control);
    }
    return true;
}

LRESULT ComboMessage(DialogBox& box, DialogControl& control, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case CB_ADDSTRING: {
        const char* text = reinterpret_cast<const char*>(lParam);
        if (!text) return CB_ERR;
        control.entries.push_back(text);
        ShowEntryAdded(box, control);
        return static_cast<LRESULT>(control.entries.size() - 1);
    }
    case CB_SETCURSEL: {
        // An index out of range (-1 included) clears the selection and reports CB_ERR.
        int index = static_cast<int>(wParam);
        bool valid = wParam < control.entries.size();
        control.selection = valid ? index : CB_ERR;
        ShowSelection(box, control);
        return valid ? index : CB_ERR;
    }
    case CB_GETCURSEL:
        return control.selection;
    case CB_RESETCONTENT:
        control.entries.clear();
        control.selection = CB_ERR;
        ShowEntriesCleared(box, control);
        return 0;
    }
    return 0;
}

LRESULT CheckBoxMessage(DialogBox& box, DialogControl& control, UINT message, WPARAM wParam) {
    switch (message) {
    case BM_SETCHECK:
        control.check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
        ShowCheck(box, control);
        return 0;
    case BM_GETCHECK:
        return control.check;
    }
    return 0;
}

void SendCommand(DialogBox& box, DialogControl& control, WORD notification) {
    box.procedure(HandleOf(box), WM_COMMAND, MAKEWPARAM(control.item->id, notification),
                  reinterpret_cast<LPARAM>(HandleOf(control)));
}

}  // namespace

DialogControl* FindControl(DialogBox& box, int id) {
    for (DialogControl& control : box.controls)
        if (control.item->id == id && id != IDC_STATIC) return &control;
    return nullptr;
}

DialogControl* FirstTabStop(DialogBox& box) {
    for (DialogControl& control : box.controls)
        if (control.item->style & WS_TABSTOP) return &control;
    return nullptr;
}

std::string PlainText(const char* text) {
    std::string plain;
    for (const char* c = text ? text : ""; *c; ++c) {
        if (*c == '&') {
            if (c[1] != '&') continue;
            ++c;
        }
        plain += *c;
    }
    return plain;
}

char MnemonicOf(const char* text) {
    for (const char* c = text ? text : ""; *c; ++c) {
        if (*c != '&') continue;
        if (c[1] == '&') {
            ++c;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c[1])));
    }
    return 0;
}

void UserSelects(DialogBox& box, DialogControl& control, int index) {
    control.selection = index;
    SendCommand(box, control, CBN_SELENDOK);
}

void UserSetsCheck(DialogBox& box, DialogControl& control, int check) {
    control.check = check;
    SendCommand(box, control, BN_CLICKED);
}

void UserPresses(DialogBox& box, int id) {
    // Escape and the close button send IDCANCEL even when no such button exists.
    if (DialogControl* control = FindControl(box, id)) {
        SendCommand(box, *control, BN_CLICKED);
        return;
    }
    box.procedure(HandleOf(box), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

const DialogRunnerRecord& CurrentDialogRunner() {
    if (chosen == nullptr) chosen = FirstAvailable(dialogRunnerTable);
    return *chosen;
}

bool SelectDialogRunner(const char* name) {
    const DialogRunnerRecord* record = FindRecord(dialogRunnerTable, name);
    if (record == nullptr) return false;
    chosen = record;
    return true;
}

void UseDialogRunner(const DialogRunnerRecord* record) { chosen = record; }

void ReportDialogProblem(const DialogBox* box, const std::string& problem) {
    if (box && box->resource->caption)
        fprintf(stderr, "Dialog \"%s\": %s\n", box->resource->caption, problem.c_str());
    else
        fprintf(stderr, "Dialog: %s\n", problem.c_str());
}

}  // namespace platform

using namespace platform;

INT_PTR DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC dialogProc, LPARAM initParam) {
    DialogBox box{};
    box.resource = FindDialogResource(templateName);
    box.procedure = dialogProc;
    if (!box.resource) {
        if (IS_INTRESOURCE(templateName))
            ReportDialogProblem(nullptr, "no dialog resource " + std::to_string(reinterpret_cast<uintptr_t>(templateName)));
        else
            ReportDialogProblem(nullptr, std::string("no dialog resource \"") + (templateName ? templateName : "") + "\"");
        return -1;
    }
    if (!dialogProc) {
        ReportDialogProblem(&box, "no dialog procedure");
        return -1;
    }
    std::string problem;
    if (!BuildControls(box, &problem)) {
        ReportDialogProblem(&box, problem);
        return -1;
    }
    liveDialogs.push_back(&box);
    INT_PTR result = CurrentDialogRunner().run(box, initParam);
    liveDialogs.erase(std::find(liveDialogs.begin(), liveDialogs.end(), &box));
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    DialogBox* box = LiveDialog(dialog);
    if (!box) return FALSE;
    box->ended = true;
    box->result = result;
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND dialog, int itemId, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogBox* box = LiveDialog(dialog);
    if (!box) return 0;
    DialogControl* control = FindControl(*box, itemId);
    if (!control) return 0;
    switch (control->kind) {
    case ControlKind::ComboBox: return ComboMessage(*box, *control, message, wParam, lParam);
    case ControlKind::CheckBox: return CheckBoxMessage(*box, *control, message, wParam);
    default: return 0;
    }
}
