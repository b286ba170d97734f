// Scripted dialogs: the dialog procedure runs against the controls' state, and the user's part
// comes from a list of actions.
#include <platform/dialogscript.h>

#include "dialog.h"

namespace platform {
namespace {

std::vector<DialogAction> script;
ScriptedDialogOutcome outcome;

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string EntryList(const DialogControl& control) {
    if (control.entries.empty()) return "the list is empty";
    std::string list = "the list holds";
    for (size_t i = 0; i < control.entries.size(); ++i)
        list += (i ? ", " : " ") + Quoted(control.entries[i]);
    return list;
}

// Carries out one action; the reason when it cannot be done.
std::string Perform(DialogBox& box, const DialogAction& action) {
    DialogControl* control = FindControl(box, action.control);
    bool needsControl = action.kind != DialogAction::Press || action.control != IDCANCEL;
    if (!control && needsControl) return "the dialog has no control " + std::to_string(action.control);
    std::string name = "control " + std::to_string(action.control);
    switch (action.kind) {
    case DialogAction::Select:
        if (control->kind != ControlKind::ComboBox) return name + " is not a drop-down list";
        if (action.value < 0 || static_cast<size_t>(action.value) >= control->entries.size())
            return name + " has no entry " + std::to_string(action.value) + ": " + EntryList(*control);
        UserSelects(box, *control, action.value);
        return "";
    case DialogAction::SelectText:
        if (control->kind != ControlKind::ComboBox) return name + " is not a drop-down list";
        for (size_t i = 0; i < control->entries.size(); ++i) {
            if (control->entries[i] == action.text) {
                UserSelects(box, *control, static_cast<int>(i));
                return "";
            }
        }
        return name + " has no entry " + Quoted(action.text) + ": " + EntryList(*control);
    case DialogAction::Check:
        if (control->kind != ControlKind::CheckBox) return name + " is not a check box";
        if (control->check != action.value) UserSetsCheck(box, *control, action.value);
        return "";
    case DialogAction::Press:
        if (control && control->kind != ControlKind::PushButton) return name + " is not a push button";
        UserPresses(box, action.control);
        return "";
    }
    return "unknown action";
}

void RecordControls(DialogBox& box) {
    outcome.controls.clear();
    for (DialogControl& control : box.controls)
        outcome.controls.push_back({control.item->id, control.entries, control.selection, control.check});
}

INT_PTR RunScripted(DialogBox& box, LPARAM initParam);

// Only ever picked by name.
bool NeverByDefault() { return false; }

}  // namespace

const DialogRunnerRecord scriptedDialogs = {"scripted", NeverByDefault, RunScripted, WriteMessage};

DialogAction SelectItem(int control, int index) { return {DialogAction::Select, control, index, ""}; }
DialogAction SelectItemText(int control, const std::string& text) { return {DialogAction::SelectText, control, 0, text}; }
DialogAction SetCheck(int control, bool checked) { return {DialogAction::Check, control, checked ? BST_CHECKED : BST_UNCHECKED, ""}; }
DialogAction PressButton(int control) { return {DialogAction::Press, control, 0, ""}; }

void ScriptDialogs(std::vector<DialogAction> actions) {
    script = std::move(actions);
    outcome = ScriptedDialogOutcome{};
    outcome.result = -1;
    SelectDialogRunner(scriptedDialogs.name);
}

void StopScriptingDialogs() {
    UseDialogRunner(nullptr);
    script.clear();
}

const ScriptedDialogOutcome& LastScriptedDialog() { return outcome; }

namespace {

INT_PTR RunScripted(DialogBox& box, LPARAM initParam) {
    outcome = ScriptedDialogOutcome{};
    outcome.ran = true;
    DialogControl* focus = FirstTabStop(box);
    box.procedure(HandleOf(box), WM_INITDIALOG, reinterpret_cast<WPARAM>(focus ? HandleOf(*focus) : nullptr), initParam);
    for (size_t i = 0; i < script.size(); ++i) {
        std::string problem = box.ended ? "the dialog had already closed" : Perform(box, script[i]);
        if (!problem.empty()) {
            outcome.error = "scripted action " + std::to_string(i + 1) + ": " + problem;
            break;
        }
    }
    if (outcome.error.empty() && !box.ended) outcome.error = "the script ended with the dialog still open";
    RecordControls(box);
    outcome.ended = box.ended;
    outcome.result = outcome.error.empty() ? box.result : -1;
    if (!outcome.error.empty()) ReportDialogProblem(&box, outcome.error);
    return outcome.result;
}

}  // namespace

}  // namespace platform
