#include <gtest/gtest.h>

#include "support/EditorFixture.h"
#include "toolbox/ToolBox.h"

using namespace irr;
using sorn::editor;
using sorn::findElement;
namespace ids = sorn::ids;

namespace {

class EventReceiverTest : public sorn::test::EditorTest {};

TEST_F(EventReceiverTest, ButtonClicksAreNeverConsumed) {
    for (s32 id : {ids::ButtonOpenSceneBox, ids::ButtonOpenToolBox, ids::ButtonCameraZero, ids::SceneBoxRemove}) {
        gui::IGUIElement* element = findElement(id);
        ASSERT_NE(element, nullptr) << std::hex << id;
        EXPECT_FALSE(postGuiEvent(gui::EGET_BUTTON_CLICKED, element)) << std::hex << id;
    }
}

TEST_F(EventReceiverTest, ToolbarButtonsOpenWindowsAndCheckTheirItems) {
    clickButton(ids::ButtonOpenSceneBox);
    EXPECT_NE(findElement(ids::SceneBoxWindow), nullptr);
    EXPECT_TRUE(isMenuItemChecked(ids::CmdSceneBox));
    clickButton(ids::ButtonOpenToolBox);
    EXPECT_NE(findElement(ids::ToolBoxWindow), nullptr);
    EXPECT_TRUE(isMenuItemChecked(ids::CmdToolBox));
    clickButton(ids::ButtonAbout);
    EXPECT_NE(findElement(ids::AboutWindow), nullptr) << "the fourth button opens About, not help";
}

TEST_F(EventReceiverTest, ClosingAWindowUnchecksItsItemAndReopeningChecksIt) {
    const std::pair<s32, s32> windows[] = {{ids::ButtonOpenToolBox, ids::ToolBoxWindow},
                                           {ids::ButtonOpenSceneBox, ids::SceneBoxWindow}};
    for (const auto& w : windows) {
        s32 item = w.second == ids::ToolBoxWindow ? ids::CmdToolBox : ids::CmdSceneBox;
        clickButton(w.first);
        ASSERT_TRUE(isMenuItemChecked(item));
        gui::IGUIElement* window = findElement(w.second);
        // What the window's close button does: the event, then removal.
        EXPECT_FALSE(postGuiEvent(gui::EGET_ELEMENT_CLOSED, window));
        window->remove();
        EXPECT_FALSE(isMenuItemChecked(item));
        clickButton(w.first);
        EXPECT_TRUE(isMenuItemChecked(item));
    }
}

TEST_F(EventReceiverTest, SensitivityScrollBarSetsTheStep) {
    auto* bar = static_cast<gui::IGUIScrollBar*>(findElement(ids::SensitivityScrollBar));
    bar->setPos(250);
    postGuiEvent(gui::EGET_SCROLL_BAR_CHANGED, bar);
    EXPECT_EQ(editor.moveSensitivity, 250);
}

TEST_F(EventReceiverTest, CameraZeroResetsTheFirstOrbitCameraWhicheverIsActive) {
    chooseMenuCommand(ids::CmdCameraFps);
    editor.cameraMaya1->setTarget(core::vector3df(100, 5, 7));
    editor.cameraMaya1->setRotation(core::vector3df(10, 20, 30));
    clickButton(ids::ButtonCameraZero);
    EXPECT_EQ(editor.cameraMaya1->getTarget(), core::vector3df(0, 30, 0));
    EXPECT_EQ(editor.cameraMaya1->getRotation(), core::vector3df(0, 0, 0));
    EXPECT_EQ(smgr()->getActiveCamera(), editor.cameraFps);
}

TEST_F(EventReceiverTest, SceneBoxAddButtonOpensTheAddModelDialog) {
    clickButton(ids::ButtonOpenSceneBox);
    clickButton(ids::SceneBoxAdd);
    gui::IGUIElement* dialog = findElement(ids::DialogAddStaticMesh);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->getType(), gui::EGUIET_FILE_OPEN_DIALOG);
}

TEST_F(EventReceiverTest, KeyPressesAndOtherEventsAreNotConsumed) {
    const SEvent press = sorn::test::keyEvent(KEY_ESCAPE, true);
    editor.editMode = ids::ModeFirstPerson;
    EXPECT_FALSE(receiver.OnEvent(press));
    SEvent log;
    log.EventType = EET_LOG_TEXT_EVENT;
    log.LogEvent.Text = "x";
    log.LogEvent.Level = ELL_INFORMATION;
    EXPECT_FALSE(receiver.OnEvent(log));
    EXPECT_FALSE(postGuiEvent(gui::EGET_BUTTON_CLICKED, nullptr));
}

TEST_F(EventReceiverTest, FirstPersonEscapeIsConsumedAndTogglesCameraInput) {
    chooseMenuCommand(ids::CmdCameraFps);
    ASSERT_TRUE(editor.cameraFps->isInputReceiverEnabled());
    const SEvent release = sorn::test::keyEvent(KEY_ESCAPE, false);
    EXPECT_TRUE(receiver.OnEvent(release));
    EXPECT_FALSE(editor.cameraFps->isInputReceiverEnabled());
    EXPECT_TRUE(receiver.OnEvent(release));
    EXPECT_TRUE(editor.cameraFps->isInputReceiverEnabled());
    editor.editMode = ids::ModeNone;
    EXPECT_FALSE(receiver.OnEvent(release));
}

TEST_F(EventReceiverTest, SettingsOkStoresTheLanguageWithEveryOtherSetting) {
    chooseMenuCommand(ids::CmdSettings);
    auto* combo = static_cast<gui::IGUIComboBox*>(findElement(ids::SettingsLanguageCombo));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->getSelected(), 0) << "config.xml holds langage en";
    combo->setSelected(1);
    clickButton(ids::SettingsOk);
    EXPECT_EQ(findElement(ids::SettingsWindow), nullptr);
    EXPECT_EQ(editor.config.get(L"langage"), core::stringw(L"fr"));

    sorn::ConfigFile written;
    written.fileName = editor.config.fileName;
    ASSERT_TRUE(written.load());
    EXPECT_EQ(written.get(L"langage"), core::stringw(L"fr"));
    EXPECT_EQ(written.get(L"language"), core::stringw(L"fr")) << "read at the next start";
}

TEST_F(EventReceiverTest, SettingsCancelStoresNothingAndReopeningKeepsOneWindow) {
    chooseMenuCommand(ids::CmdSettings);
    chooseMenuCommand(ids::CmdSettings);
    int windows = 0;
    for (gui::IGUIElement* element : gui()->getRootGUIElement()->getChildren())
        windows += element->getID() == ids::SettingsWindow;
    EXPECT_EQ(windows, 1);
    static_cast<gui::IGUIComboBox*>(findElement(ids::SettingsLanguageCombo))->setSelected(1);
    clickButton(ids::SettingsCancel);
    EXPECT_EQ(findElement(ids::SettingsWindow), nullptr);
    EXPECT_EQ(editor.config.get(L"langage"), core::stringw(L"en"));
}

TEST_F(EventReceiverTest, AboutWindowShowsTheFullTitleAndOkClosesIt) {
    clickButton(ids::ButtonAbout);
    gui::IGUIElement* about = findElement(ids::AboutWindow);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(core::stringw(about->getText()), editor.windowTitle);
    EXPECT_NE(about->getElementFromId(ids::AboutLogo, true), nullptr);
    clickButton(ids::AboutOk);
    EXPECT_EQ(findElement(ids::AboutWindow), nullptr);
    clickButton(ids::ButtonAbout);
    EXPECT_NE(findElement(ids::AboutWindow), nullptr) << "the logo loads again after OK dropped it";
}

TEST_F(EventReceiverTest, ImageDialogResultGoesToTheTargetBoxOnly) {
    sorn::createToolBox();
    gui::IGUIElement* toolBox = findElement(ids::ToolBoxWindow);
    gui::IGUIElement* box7 = gui()->addEditBox(L"", core::rect<s32>(0, 0, 10, 10), true, toolBox, 0x5006c);
    gui::IGUIElement* box1 = gui()->addEditBox(L"", core::rect<s32>(0, 0, 10, 10), true, toolBox, 0x50059);
    gui::IGUIFileOpenDialog* dialog =
        gui()->addFileOpenDialog(L"", true, nullptr, ids::DialogToolBoxImage, false, nullptr);
    editor.imageDialogTarget = 7;
    postGuiEvent(gui::EGET_FILE_SELECTED, dialog);
    EXPECT_EQ(core::stringw(box7->getText()), core::stringw(dialog->getFileName()));
    EXPECT_EQ(core::stringw(box1->getText()), core::stringw(L""));
    editor.imageDialogTarget = 0;
    box7->setText(L"kept");
    postGuiEvent(gui::EGET_FILE_SELECTED, dialog);
    EXPECT_EQ(core::stringw(box7->getText()), core::stringw(L"kept"));
}

} // namespace
