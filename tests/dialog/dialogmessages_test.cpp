// The dialog messages as a dialog procedure sees them, on the setup template with a procedure
// of the test's own.
#include "setupdialog.h"

#include <platform/dialogscript.h>

#include <gtest/gtest.h>

#include <functional>

using namespace platform;

namespace {

struct Received {
    UINT message;
    WORD id;
    WORD notification;
    LPARAM lParam;
};

std::vector<Received> received;
HWND dialogHandle;
std::function<void(HWND)> onInit;
std::function<void(HWND, WORD, WORD)> onCommand;

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        dialogHandle = dialog;
        received.push_back({message, 0, 0, lParam});
        if (onInit) onInit(dialog);
        return 1;
    }
    if (message == WM_COMMAND) {
        received.push_back({message, LOWORD(wParam), HIWORD(wParam), lParam});
        if (onCommand) onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return 0;
}

// Ends the dialog on either button, with the button's id as the end code.
void EndOnButtons(HWND dialog, WORD id, WORD) {
    if (id == IDOK || id == IDCANCEL) EndDialog(dialog, id == IDOK ? 42 : 7);
}

class DialogMessagesTest : public testing::Test {
protected:
    void SetUp() override {
        received.clear();
        dialogHandle = nullptr;
        onInit = nullptr;
        onCommand = EndOnButtons;
    }
    void TearDown() override { StopScriptingDialogs(); }

    INT_PTR Run(std::vector<DialogAction> actions, LPARAM initParam = 0) {
        ScriptDialogs(std::move(actions));
        return DialogBoxParamA(nullptr, MAKEINTRESOURCE(SetupDialogResource), nullptr, RecordingProc, initParam);
    }
};

TEST_F(DialogMessagesTest, InitialisationComesFirstWithTheCallersParameter) {
    EXPECT_EQ(Run({PressButton(IDOK)}, 1234), 42);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].message, static_cast<UINT>(WM_INITDIALOG));
    EXPECT_EQ(received[0].lParam, 1234);
    EXPECT_EQ(received[1].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(received[1].id, IDOK);
    EXPECT_EQ(received[1].notification, BN_CLICKED);
    EXPECT_NE(received[1].lParam, 0) << "a control's notification carries its handle";
}

TEST_F(DialogMessagesTest, UserActionsArriveAsTheirControlsNotifications) {
    onInit = [](HWND dialog) {
        SendDlgItemMessageA(dialog, DeviceListControl, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a"));
        SendDlgItemMessageA(dialog, DeviceListControl, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b"));
    };
    EXPECT_EQ(Run({SelectItem(DeviceListControl, 1), SetCheck(DitheringControl, true), SetCheck(DitheringControl, true),
                   PressButton(IDCANCEL)}), 7);
    ASSERT_EQ(received.size(), 4u) << "ticking a ticked box is no click";
    EXPECT_EQ(received[1].id, DeviceListControl);
    EXPECT_EQ(received[1].notification, CBN_SELENDOK);
    EXPECT_EQ(received[2].id, DitheringControl);
    EXPECT_EQ(received[2].notification, BN_CLICKED);
    EXPECT_EQ(received[3].id, IDCANCEL);
}

TEST_F(DialogMessagesTest, ListsKeepTheirOrderAndSelection) {
    std::vector<LRESULT> results;
    onInit = [&results](HWND dialog) {
        for (const char* text : {"zeta", "alpha", "mid"})
            results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
        results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_GETCURSEL, 0, 0));
        results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_SETCURSEL, 2, 0));
        results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_GETCURSEL, 0, 0));
        // Out of range clears the selection.
        results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_SETCURSEL, 3, 0));
        results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_GETCURSEL, 0, 0));
        SendDlgItemMessageA(dialog, ModeListControl, CB_SETCURSEL, 1, 0);
        results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_SETCURSEL, static_cast<WPARAM>(-1), 0));
        results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_GETCURSEL, 0, 0));
        results.push_back(SendDlgItemMessageA(dialog, ModeListControl, CB_ADDSTRING, 0, 0));
    };
    EXPECT_EQ(Run({SelectItem(ModeListControl, 1), PressButton(IDOK)}), 42);
    EXPECT_EQ(results, (std::vector<LRESULT>{0, 1, 2, CB_ERR, 2, 2, CB_ERR, CB_ERR, CB_ERR, CB_ERR, CB_ERR}));
    const DialogControlState& modes = LastScriptedDialog().controls[5];
    EXPECT_EQ(modes.id, ModeListControl);
    EXPECT_EQ(modes.entries, (std::vector<std::string>{"zeta", "alpha", "mid"})) << "never sorted";
    EXPECT_EQ(modes.selection, 1);
}

TEST_F(DialogMessagesTest, ResettingAListEmptiesItAndClearsItsSelection) {
    LRESULT afterReset = 0;
    onInit = [&afterReset](HWND dialog) {
        SendDlgItemMessageA(dialog, ModeListControl, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one"));
        SendDlgItemMessageA(dialog, ModeListControl, CB_SETCURSEL, 0, 0);
        SendDlgItemMessageA(dialog, ModeListControl, CB_RESETCONTENT, 0, 0);
        afterReset = SendDlgItemMessageA(dialog, ModeListControl, CB_GETCURSEL, 0, 0);
    };
    EXPECT_EQ(Run({PressButton(IDOK)}), 42);
    EXPECT_EQ(afterReset, CB_ERR);
    EXPECT_TRUE(LastScriptedDialog().controls[5].entries.empty());
}

TEST_F(DialogMessagesTest, CheckBoxesKeepTheirState) {
    std::vector<LRESULT> results;
    onInit = [&results](HWND dialog) {
        results.push_back(SendDlgItemMessageA(dialog, TextureFilteringControl, BM_GETCHECK, 0, 0));
        SendDlgItemMessageA(dialog, TextureFilteringControl, BM_SETCHECK, BST_CHECKED, 0);
        results.push_back(SendDlgItemMessageA(dialog, TextureFilteringControl, BM_GETCHECK, 0, 0));
        results.push_back(SendDlgItemMessageA(dialog, DitheringControl, BM_GETCHECK, 0, 0));
    };
    onCommand = [&results](HWND dialog, WORD id, WORD notification) {
        results.push_back(SendDlgItemMessageA(dialog, TextureFilteringControl, BM_GETCHECK, 0, 0));
        EndOnButtons(dialog, id, notification);
    };
    EXPECT_EQ(Run({SetCheck(TextureFilteringControl, false), PressButton(IDOK)}), 42);
    EXPECT_EQ(results, (std::vector<LRESULT>{0, 1, 0, 0, 0})) << "the click is seen after the box changed";
}

TEST_F(DialogMessagesTest, BadHandlesAndIdsAreHarmless) {
    onInit = [](HWND dialog) {
        EXPECT_EQ(SendDlgItemMessageA(dialog, 4242, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x")), 0);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_STATIC, BM_GETCHECK, 0, 0), 0);
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDOK, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x")), 0);
        EXPECT_EQ(SendDlgItemMessageA(nullptr, ModeListControl, CB_GETCURSEL, 0, 0), 0);
    };
    EXPECT_EQ(Run({PressButton(IDOK)}), 42);
    EXPECT_FALSE(EndDialog(dialogHandle, 1)) << "the dialog is gone";
    EXPECT_EQ(SendDlgItemMessageA(dialogHandle, ModeListControl, CB_GETCURSEL, 0, 0), 0);
}

TEST_F(DialogMessagesTest, ScriptsThatCannotBeCarriedOutFailClearly) {
    struct Case {
        std::vector<DialogAction> actions;
        const char* reason;
    } cases[] = {
        {{PressButton(4242)}, "no control 4242"},
        {{SelectItem(DitheringControl, 0)}, "not a drop-down list"},
        {{SelectItem(DeviceListControl, 0)}, "the list is empty"},
        {{SetCheck(DeviceListControl, true)}, "not a check box"},
        {{PressButton(DitheringControl)}, "not a push button"},
        {{PressButton(IDOK), PressButton(IDCANCEL)}, "already closed"},
        {{SetCheck(DitheringControl, true)}, "still open"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        INT_PTR result = Run(c.actions);
        std::string messages = testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, -1) << c.reason;
        EXPECT_NE(LastScriptedDialog().error.find(c.reason), std::string::npos) << LastScriptedDialog().error;
        EXPECT_NE(messages.find(c.reason), std::string::npos) << messages;
        EXPECT_NE(messages.find("Engine setup (Direct3D 7.0)"), std::string::npos) << "names the dialog";
    }
}

TEST_F(DialogMessagesTest, AMissingTemplateIsReportedAndNothingRuns) {
    testing::internal::CaptureStderr();
    ScriptDialogs({PressButton(IDOK)});
    INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCE(999), nullptr, RecordingProc, 0);
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, -1);
    EXPECT_NE(messages.find("999"), std::string::npos) << messages;
    EXPECT_TRUE(received.empty());
}

}  // namespace
