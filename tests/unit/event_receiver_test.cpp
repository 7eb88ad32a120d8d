#include <gtest/gtest.h>

#include <functional>

#include "app/PathText.h"
#include "app/WorkProgress.h"
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

// While long work runs, nothing acts but the progress window: a toolbar
// button, a key and a menu do nothing, the engine's log still prints, and
// a click on Cancel reaches the window through the engine's own delivery.
TEST_F(EventReceiverTest, WhileWorkRunsOnlyTheProgressWindowActs) {
    scene::ISceneNode* cube = smgr()->addCubeSceneNode();
    editor.selectedNode = cube;
    editor.selection = {cube};
    sorn::test::SlowWork slow(1000);
    {
        sorn::WorkProgress work(L"progress_opening", "/tmp/level.irr");
        sorn::setWorkTotal(10, sorn::ProgressUnit::Bytes);
        sorn::allowWorkCancel();
        ASSERT_TRUE(sorn::keepWaiting(1));
        gui::IGUIElement* cancel = findElement(ids::ProgressCancel);
        ASSERT_TRUE(cancel && cancel->isVisible());

        SEvent log{};
        log.EventType = EET_LOG_TEXT_EVENT;
        const struct {
            const char* what;
            std::function<bool()> post;
            bool taken;
        } cases[] = {
            {"toolbar button", [&] { return clickButton(ids::ButtonOpenSceneBox); }, true},
            {"Delete key", [&] { return releaseKey(KEY_DELETE); }, true},
            {"engine log", [&] { return receiver.OnEvent(log); }, false},
        };
        for (const auto& c : cases)
            EXPECT_EQ(c.post(), c.taken) << c.what;
        EXPECT_EQ(findElement(ids::SceneBoxWindow), nullptr);
        EXPECT_EQ(cube->getParent(), smgr()->getRootSceneNode()) << "not deleted";

        const core::position2di at = cancel->getAbsolutePosition().getCenter();
        mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, at.X, at.Y);
        mouseEvent(EMIE_LMOUSE_LEFT_UP, at.X, at.Y);
        EXPECT_FALSE(sorn::keepWaiting(2)) << "Cancel was clicked";
    }
    EXPECT_EQ(findElement(ids::ProgressWindow), nullptr);
    clickButton(ids::ButtonOpenSceneBox);
    EXPECT_NE(findElement(ids::SceneBoxWindow), nullptr) << "the editor acts again";
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

// The About logo: an image holding the texture loaded from media/sorn.png,
// its alpha channel used.
void expectAboutLogo(gui::IGUIElement* about, const char* when) {
    ASSERT_NE(about, nullptr) << when;
    auto* logo = static_cast<gui::IGUIImage*>(about->getElementFromId(ids::AboutLogo, true));
    ASSERT_NE(logo, nullptr) << when;
    ASSERT_EQ(logo->getType(), gui::EGUIET_IMAGE) << when;
    ASSERT_NE(logo->getImage(), nullptr) << when << ": the logo did not load";
    const core::stringc loaded = logo->getImage()->getName().getPath();
    EXPECT_EQ(loaded.subString(loaded.size() - 15, 15), core::stringc("/media/sorn.png")) << when;
    EXPECT_TRUE(logo->isAlphaChannelUsed()) << when;
}

TEST_F(EventReceiverTest, AboutWindowShowsTheFullTitleAndOkClosesIt) {
    clickButton(ids::ButtonAbout);
    gui::IGUIElement* about = findElement(ids::AboutWindow);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(core::stringw(about->getText()), editor.windowTitle);
    expectAboutLogo(about, "first opening");
    clickButton(ids::AboutOk);
    EXPECT_EQ(findElement(ids::AboutWindow), nullptr);
    clickButton(ids::ButtonAbout);
    expectAboutLogo(findElement(ids::AboutWindow), "the logo loads again after OK dropped it");
}

// Picks a file of the working directory in an image dialog the way a user
// does: clicks its entry in the dialog's list, then OK; the dialog reports
// the file to the editor and closes. Returns the name it reported.
core::stringw pickInImageDialog(gui::IGUIEnvironment* env, const std::string& fileName) {
    sorn::test::writeFile(fileName, "not read");
    gui::IGUIFileOpenDialog* dialog =
        env->addFileOpenDialog(L"", true, nullptr, ids::DialogToolBoxImage, false, nullptr);
    gui::IGUIListBox* list = nullptr;
    gui::IGUIElement* okButton = nullptr;
    for (gui::IGUIElement* child : dialog->getChildren()) {
        if (child->getType() == gui::EGUIET_LIST_BOX)
            list = static_cast<gui::IGUIListBox*>(child);
        if (child->getType() == gui::EGUIET_BUTTON && core::stringw(child->getText()) == L"OK")
            okButton = child;
    }
    EXPECT_NE(list, nullptr);
    EXPECT_NE(okButton, nullptr);
    if (!list || !okButton)
        return L"";
    for (u32 i = 0; i < list->getItemCount(); ++i)
        if (core::stringw(list->getListItem(i)) == sorn::widePath(fileName))
            list->setSelected(static_cast<s32>(i));
    EXPECT_GE(list->getSelected(), 0) << fileName;
    dialog->grab(); // the dialog removes itself while it handles the click
    SEvent event;
    event.EventType = EET_GUI_EVENT;
    event.GUIEvent.Element = nullptr;
    event.GUIEvent.Caller = list;
    event.GUIEvent.EventType = gui::EGET_LISTBOX_SELECTED_AGAIN;
    dialog->OnEvent(event);
    core::stringw reported = dialog->getFileName();
    event.GUIEvent.Caller = okButton;
    event.GUIEvent.EventType = gui::EGET_BUTTON_CLICKED;
    dialog->OnEvent(event);
    dialog->drop();
    EXPECT_NE(reported.find(sorn::widePath(fileName).c_str()), -1) << "the dialog reports the picked file";
    return reported;
}

TEST_F(EventReceiverTest, ImageDialogResultGoesToTheTargetBoxOnly) {
    sorn::createToolBox();
    gui::IGUIElement* toolBox = findElement(ids::ToolBoxWindow);
    gui::IGUIElement* box7 = gui()->addEditBox(L"before 7", core::rect<s32>(0, 0, 10, 10), true, toolBox, 0x5006c);
    gui::IGUIElement* box1 = gui()->addEditBox(L"before 1", core::rect<s32>(0, 0, 10, 10), true, toolBox, 0x50059);
    editor.imageDialogTarget = 7;
    const core::stringw stone = pickInImageDialog(gui(), "stone.png");
    EXPECT_EQ(core::stringw(box7->getText()), stone);
    EXPECT_EQ(core::stringw(box1->getText()), core::stringw(L"before 1"));

    editor.imageDialogTarget = 1;
    const core::stringw wood = pickInImageDialog(gui(), "wood.jpg");
    EXPECT_EQ(core::stringw(box1->getText()), wood);
    EXPECT_EQ(core::stringw(box7->getText()), stone);

    editor.imageDialogTarget = 0; // never set: the file goes nowhere
    pickInImageDialog(gui(), "unused.png");
    EXPECT_EQ(core::stringw(box7->getText()), stone);
    EXPECT_EQ(core::stringw(box1->getText()), wood);
}

// The engine's combo box starts on its first entry, English, whatever the
// settings say; only a French setting shows whether the window preselects.
class SettingsInFrenchTest : public sorn::test::EditorTest {
protected:
    SettingsInFrenchTest() {
        configText = "<?xml version=\"1.0\"?><config><prog><setting name=\"langage\" value=\"fr\"/>"
                     "<setting name=\"language\" value=\"en\"/></prog></config>";
    }
};

TEST_F(SettingsInFrenchTest, WindowPreselectsTheLanguageOfTheSettings) {
    chooseMenuCommand(ids::CmdSettings);
    auto* combo = static_cast<gui::IGUIComboBox*>(findElement(ids::SettingsLanguageCombo));
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->getSelected(), 1);
    EXPECT_EQ(core::stringw(combo->getText()), core::stringw(L"French"));
    // OK without a change keeps French.
    clickButton(ids::SettingsOk);
    EXPECT_EQ(editor.config.get(L"langage"), core::stringw(L"fr"));
}

} // namespace
