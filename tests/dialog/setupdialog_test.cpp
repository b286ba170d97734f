// The setup dialog's procedure, driven through scripted dialogs as a user would drive it.
#include "scripteddrivers.h"
#include "setupchoices.h"
#include "setupdialog.h"

#include <platform/dialogscript.h>

#include <gtest/gtest.h>

using namespace platform;
using Entries = std::vector<std::string>;

namespace {

const std::vector<ScriptedDeviceModes> twoDevices = {
    {"RGB Emulation", {{640, 480, 16}, {640, 480, 32}, {800, 600, 16}}},
    {"Direct3D HAL", {{320, 200, 16}, {1024, 768, 32}}},
};

class SetupDialogTest : public testing::Test {
protected:
    void SetUp() override {
        ScriptDevices(twoDevices);
        ApplySetupDefaults();
    }
    void TearDown() override { StopScriptingDialogs(); }

    int Run(std::vector<DialogAction> actions) {
        ScriptDialogs(std::move(actions));
        return SetupDialog(nullptr, nullptr);
    }
    const DialogControlState& Control(int id) {
        for (const DialogControlState& control : LastScriptedDialog().controls)
            if (control.id == id) return control;
        ADD_FAILURE() << "no control " << id;
        static DialogControlState none{};
        return none;
    }
    void ExpectChoices(int device, int mode, int filtering, int perspective, int dithering) {
        EXPECT_EQ(setupChoices.deviceIndex, device);
        EXPECT_EQ(setupChoices.modeIndex, mode);
        EXPECT_EQ(setupChoices.textureFiltering, filtering);
        EXPECT_EQ(setupChoices.perspectiveCorrection, perspective);
        EXPECT_EQ(setupChoices.dithering, dithering);
    }
};

TEST_F(SetupDialogTest, OpensWithTheDefaultsAndStartKeepsThem) {
    setupChoices = SetupChoices{5, 7, 0, 0, 0, 640, 480, 16};
    ApplySetupDefaults();
    ExpectChoices(0, 0, 1, 1, 1);
    EXPECT_EQ(setupChoices.screenWidth, 640) << "the screen size is not a dialog choice";

    EXPECT_EQ(Run({PressButton(IDOK)}), 1);
    EXPECT_TRUE(LastScriptedDialog().error.empty()) << LastScriptedDialog().error;
    EXPECT_EQ(Control(DeviceListControl).entries, (Entries{"RGB Emulation", "Direct3D HAL"}));
    EXPECT_EQ(Control(DeviceListControl).selection, 0);
    EXPECT_EQ(Control(ModeListControl).entries, (Entries{"640x480 16bpp", "640x480 32bpp", "800x600 16bpp"}));
    EXPECT_EQ(Control(ModeListControl).selection, 0);
    for (int id : {TextureFilteringControl, PerspectiveCorrectionControl, DitheringControl})
        EXPECT_EQ(Control(id).check, BST_CHECKED) << "control " << id;
    ExpectChoices(0, 0, 1, 1, 1);
}

TEST_F(SetupDialogTest, EachCheckBoxShowsAndWritesItsOwnChoice) {
    int* fields[] = {&setupChoices.textureFiltering, &setupChoices.perspectiveCorrection, &setupChoices.dithering};
    int ids[] = {TextureFilteringControl, PerspectiveCorrectionControl, DitheringControl};
    for (int cleared = 0; cleared < 3; ++cleared) {
        // Opens showing the current choices.
        ApplySetupDefaults();
        *fields[cleared] = 0;
        EXPECT_EQ(Run({PressButton(IDOK)}), 1);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(Control(ids[i]).check, i == cleared ? 0 : 1) << "opened with box " << cleared << " clear";

        // Unticking one box sets only its choice to 0.
        ApplySetupDefaults();
        EXPECT_EQ(Run({SetCheck(ids[cleared], false), PressButton(IDOK)}), 1);
        for (int i = 0; i < 3; ++i) EXPECT_EQ(*fields[i], i == cleared ? 0 : 1) << "unticked box " << cleared;
    }
}

TEST_F(SetupDialogTest, UncheckedOptionsReadAsZeroAndTickedAsOne) {
    EXPECT_EQ(Run({SetCheck(DitheringControl, false), SetCheck(PerspectiveCorrectionControl, false), PressButton(IDOK)}), 1);
    ExpectChoices(0, 0, 1, 0, 0);

    setupChoices.textureFiltering = 0;
    EXPECT_EQ(Run({SetCheck(TextureFilteringControl, true), PressButton(IDOK)}), 1);
    EXPECT_EQ(setupChoices.textureFiltering, 1);
}

TEST_F(SetupDialogTest, StartWritesTheChosenDeviceAndMode) {
    EXPECT_EQ(Run({SelectItem(ModeListControl, 2), PressButton(IDOK)}), 1);
    ExpectChoices(0, 2, 1, 1, 1);

    ApplySetupDefaults();
    EXPECT_EQ(Run({SelectItemText(DeviceListControl, "Direct3D HAL"), SelectItemText(ModeListControl, "1024x768 32bpp"),
                   PressButton(IDOK)}), 1);
    ExpectChoices(1, 1, 1, 1, 1);
}

TEST_F(SetupDialogTest, ChangingTheDeviceRefillsTheModesAndSelectsTheFirst) {
    EXPECT_EQ(Run({SelectItem(ModeListControl, 2), SelectItem(DeviceListControl, 1), PressButton(IDOK)}), 1);
    EXPECT_EQ(Control(ModeListControl).entries, (Entries{"320x200 16bpp", "1024x768 32bpp"}));
    EXPECT_EQ(Control(ModeListControl).selection, 0);
    ExpectChoices(1, 0, 1, 1, 1);
}

TEST_F(SetupDialogTest, GoingBackToTheFirstDeviceDoesNotRestoreItsEarlierMode) {
    EXPECT_EQ(Run({SelectItem(ModeListControl, 1), SelectItem(DeviceListControl, 1), SelectItem(DeviceListControl, 0),
                   PressButton(IDOK)}), 1);
    EXPECT_EQ(Control(ModeListControl).entries, (Entries{"640x480 16bpp", "640x480 32bpp", "800x600 16bpp"}))
        << "the list is emptied before it is refilled";
    EXPECT_EQ(Control(ModeListControl).selection, 0);
    ExpectChoices(0, 0, 1, 1, 1);
}

TEST_F(SetupDialogTest, PickingTheSameDeviceAgainStartsItsModesAfresh) {
    EXPECT_EQ(Run({SelectItem(ModeListControl, 2), SelectItem(DeviceListControl, 0), PressButton(IDOK)}), 1);
    EXPECT_EQ(Control(ModeListControl).entries.size(), 3u);
    ExpectChoices(0, 0, 1, 1, 1);
}

TEST_F(SetupDialogTest, ExitReturnsZeroWithoutMessageAndKeepsTheChoices) {
    testing::internal::CaptureStderr();
    int result = Run({SelectItem(DeviceListControl, 1), SetCheck(DitheringControl, false), PressButton(IDCANCEL)});
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(messages, "");
    EXPECT_TRUE(LastScriptedDialog().ended);
    ExpectChoices(0, 0, 1, 1, 1);
}

TEST_F(SetupDialogTest, ModesAreListedInTheDeviceListsOrderWithTheirExactText) {
    ScriptDevices({{"Only", {{320, 240, 16}, {320, 240, 24}, {1600, 1200, 32}, {2048, 1536, 16}}}});
    EXPECT_EQ(Run({PressButton(IDOK)}), 1);
    EXPECT_EQ(Control(ModeListControl).entries,
              (Entries{"320x240 16bpp", "320x240 24bpp", "1600x1200 32bpp", "2048x1536 16bpp"}));
    EXPECT_EQ(Control(DeviceListControl).entries, (Entries{"Only"}));
}

TEST_F(SetupDialogTest, AFailedEnumerationShowsTheErrorAndLeavesTheListsEmpty) {
    ScriptedDriver paletteOnly;
    paletteOnly.description = "Primary Display Driver";
    paletteOnly.devices = {{"Palette Only", GUID{}, 0, DDBD_8}};
    ScriptDrivers({paletteOnly});  // devices seen, none accepted
    testing::internal::CaptureStderr();
    int result = Run({PressButton(IDCANCEL)});
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0);
    EXPECT_NE(messages.find("ERROR!!!"), std::string::npos) << messages;
    EXPECT_NE(messages.find("Cannot enumerate devices"), std::string::npos) << messages;
    EXPECT_TRUE(Control(DeviceListControl).entries.empty());
    EXPECT_TRUE(Control(ModeListControl).entries.empty());
    EXPECT_EQ(Control(DitheringControl).check, BST_CHECKED) << "the options are set before enumerating";
    EXPECT_EQ(CallsStartingWith("DirectDrawCreateEx").size(), 1u) << "enumerated once";
}

TEST_F(SetupDialogTest, StartWithEmptyListsKeepsTheDialogOpenAndTheChoicesValid) {
    ScriptDrivers({ScriptedDriver{}});  // nothing at all
    testing::internal::CaptureStderr();
    int result = Run({PressButton(IDOK), PressButton(IDCANCEL)});
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0) << "only E&xit could close it";
    EXPECT_TRUE(LastScriptedDialog().error.empty()) << LastScriptedDialog().error;
    ExpectChoices(0, 0, 1, 1, 1);
}

TEST_F(SetupDialogTest, ADialogThatCannotRunIsNotAccepted) {
    // A script naming a device the machine does not have: nothing is started.
    testing::internal::CaptureStderr();
    int result = Run({SelectItemText(DeviceListControl, "Voodoo2"), PressButton(IDOK)});
    std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, 0);
    EXPECT_NE(messages.find("Voodoo2"), std::string::npos) << messages;
    EXPECT_NE(messages.find("\"RGB Emulation\", \"Direct3D HAL\""), std::string::npos) << "the offered entries are named";
    ExpectChoices(0, 0, 1, 1, 1);
}

}  // namespace
