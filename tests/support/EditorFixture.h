#pragma once
// Starts the whole editor on the engine's null driver in a temporary copy of
// the runtime folder, and drives it with events the way the engine delivers them.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <functional>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "events/SornEventReceiver.h"

namespace sorn {
namespace test {

// A fresh temporary folder, removed with everything in it when destroyed.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

// Sets up an application folder: media/, lang/ and doc/ of the built runtime
// folder (linked) and a copy of its config.xml, or the given config text.
void prepareAppFolder(const std::string& folder, const std::string* configText = nullptr);

// A drag as the engine delivers it: the pointer at the first point, the left
// button pressed there, moved through the others with the button held, let go
// at the last.
void dragWithLeftButton(irr::IrrlichtDevice* device, const std::vector<irr::core::position2di>& points);

// Answers the engine's colour selection dialog: sets its A, R, G and B spin
// boxes (its first four) and clicks its OK. False when it has no OK button.
bool answerColourDialog(irr::gui::IGUIElement* dialog, const irr::u32 (&argb)[4]);

// A key event as the engine delivers it.
irr::SEvent keyEvent(irr::EKEY_CODE key, bool pressedDown);

// Long work made as slow as a test wants: each reading of the work's clock
// moves it on by step milliseconds. Every redraw of the progress window
// records its two text lines, then calls onRedraw. Everything is put back
// when it goes.
class SlowWork {
public:
    explicit SlowWork(unsigned long long step, std::function<void()> onRedraw = nullptr);
    ~SlowWork();
    // The caption line and the figures line of each redraw.
    std::vector<std::pair<std::wstring, std::wstring>> shown;
    std::function<void()> onRedraw;
};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the editor; SetUp calls it with no arguments unless startInSetUp is false.
    void start(const std::vector<std::string>& args = {});

    // Runs n frame passes with an active, focused window.
    void activePasses(int n);

    bool postGuiEvent(irr::gui::EGUI_EVENT_TYPE type, irr::gui::IGUIElement* caller);
    bool clickButton(irr::s32 id);
    // Chooses a menu item the way a user's click does: the item is highlighted
    // under the pointer and the button released there.
    void chooseMenuCommand(irr::s32 commandId);
    // Finds the sub-menu holding the command and its index there.
    irr::gui::IGUIContextMenu* menuHolding(irr::s32 commandId, irr::s32* index = nullptr);
    bool isMenuItemChecked(irr::s32 commandId);

    // Key release posted to the device (the receiver sees it first).
    bool releaseKey(irr::EKEY_CODE key);
    // A Control chord as a keyboard types it: Control and the key go down,
    // then the key comes up with Control already let go, as it often is.
    // Returns whether the key-down was taken.
    bool typeCtrlKey(irr::EKEY_CODE key, bool shift = false);
    bool mouseEvent(irr::EMOUSE_INPUT_EVENT type, irr::s32 x, irr::s32 y);

    // Picks the scene box tree item carrying the node (the scene box must be open).
    void pickInTree(irr::scene::ISceneNode* node);
    // Clicks the node's row of the scene box tree with the mouse, holding
    // Control and/or Shift (null: the "Scene" row). Opens its ancestors first.
    void clickTreeRow(irr::scene::ISceneNode* node, bool control, bool shift = false);
    // Where the node's centre is seen in the view through the active camera.
    irr::core::position2di screenPointOf(irr::scene::ISceneNode* node);
    // A left click in the view (press and release at one place).
    void clickInView(irr::core::position2di at, bool control = false);
    // The tree item carrying the node, or null.
    irr::gui::IGUITreeViewNode* treeItemFor(irr::scene::ISceneNode* node);

    // Every open message box as its caption, a line break and its text, in
    // the order they were opened; closeMessageBoxes takes them all away.
    std::vector<std::wstring> messageBoxes();
    void closeMessageBoxes();

    irr::gui::IGUIEnvironment* gui() const { return editor.device->getGUIEnvironment(); }
    irr::scene::ISceneManager* smgr() const { return editor.sceneManager; }

    bool startInSetUp = true;
    std::string configText;    // when not empty, written as config.xml before start
    bool writeConfig = true;   // false: start without config.xml
    TempDir appFolder;
    SornEventReceiver receiver;

private:
    std::string previousDirectory_;
    std::vector<std::string> argStorage_;
};

} // namespace test
} // namespace sorn
