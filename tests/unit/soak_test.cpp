// Random-action soak: thousands of random but valid user actions on the whole
// editor, driven with real events, from a fixed seed. It checks that every
// saved scene loads again with the nodes it was saved with, and that from
// every point where the history starts afresh (start, new scene, opened
// scene) undoing every step gives back the scene as it was then, and redoing
// every step gives back the scene before the undo.
//
// SORN_SOAK_SEED and SORN_SOAK_ACTIONS choose the seed and the number of
// actions; SORN_SOAK_VERBOSE=1 prints every action as it runs.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/RecentFiles.h"
#include "app/Translate.h"
#include "events/SaveWindow.h"
#include "events/UndoCommands.h"
#include "scene/UndoHistory.h"
#include "support/ChosenFileDialog.h"
#include "support/EditorFixture.h"
#include "support/SceneSnapshot.h"
#include "support/SoakText.h"

using namespace irr;

namespace sorn {
namespace {

constexpr unsigned long kDefaultSeed = 20261208;
constexpr unsigned long kDefaultActions = 2000;

unsigned long environmentNumber(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 10);
    return end && *end == '\0' ? value : fallback;
}

core::stringw wide(const std::string& text) { return core::stringw(text.c_str()); }

// Every entry of the Add menu: the whole node catalogue.
const s32 kAddCommands[] = {ids::CmdAddPlane,    ids::CmdAddCube,        ids::CmdAddSphere,
                            ids::CmdAddCylinder, ids::CmdAddCone,        ids::CmdAddLight,
                            ids::CmdAddParticle, ids::CmdAddSkyBox,      ids::CmdAddSkyDome,
                            ids::CmdAddTerrain,  ids::CmdAddText,        ids::CmdAddVolumeLight,
                            ids::CmdAddWaterSurface};

// View, window and debug commands: they change how the scene is shown, never the scene.
const s32 kViewCommands[] = {ids::CmdSkyVisible,       ids::CmdGridVisible,          ids::CmdDebugOff,
                             ids::CmdDebugBoundingBox, ids::CmdDebugNormals,         ids::CmdDebugSkeleton,
                             ids::CmdDebugWireOverlay, ids::CmdDebugHalfTransparent, ids::CmdDebugBufferBoxes,
                             ids::CmdDebugAll,         ids::CmdCameraMaya1,          ids::CmdCameraMaya2,
                             ids::CmdCameraFps,        ids::CmdToolBox,              ids::CmdSceneBox,
                             ids::CmdSettings,         ids::CmdAbout};

const s32 kToolBarButtons[] = {ids::ButtonOpenSceneBox, ids::ButtonOpenToolBox, ids::ButtonCameraZero,
                               ids::ButtonAbout};

// Keys a user presses in the view: the editing letters, arrows, delete and more.
const EKEY_CODE kKeys[] = {KEY_KEY_X, KEY_KEY_Y,   KEY_KEY_Z, KEY_KEY_R,  KEY_KEY_S,    KEY_KEY_L,
                           KEY_KEY_M, KEY_ESCAPE,  KEY_F1,    KEY_LEFT,   KEY_RIGHT,    KEY_UP,
                           KEY_DOWN,  KEY_DELETE,  KEY_BACK,  KEY_RETURN, KEY_KEY_X,    KEY_KEY_R};

const s32 kFileDialogs[] = {ids::DialogAddStaticMesh,  ids::DialogAddAnimatedMesh, ids::DialogOpenScene,
                            ids::DialogToolBoxImage,   ids::DialogMaterialTexture, ids::DialogSkyBoxSet};

// A small model the soak adds through the model dialogs.
const char* const kCubeModel = "v 0 0 0\nv 10 0 0\nv 10 10 0\nv 0 10 0\nv 0 0 10\nv 10 0 10\nv 10 10 10\n"
                               "v 0 10 10\nf 1 2 3\nf 1 3 4\nf 5 6 7\nf 5 7 8\nf 1 2 6\nf 1 6 5\n";

struct SavedScene {
    std::string path;
    unsigned nodes = 0;
    std::map<std::string, unsigned> tally;
};

class RandomActionSoak : public test::EditorTest {
protected:
    using Action = void (RandomActionSoak::*)();
    struct WeightedAction {
        const char* name;
        unsigned weight;
        Action run;
    };

    void SetUp() override {
        test::EditorTest::SetUp();
        seed = environmentNumber("SORN_SOAK_SEED", kDefaultSeed);
        actionCount = environmentNumber("SORN_SOAK_ACTIONS", kDefaultActions);
        verbose = environmentNumber("SORN_SOAK_VERBOSE", 0) != 0;
        random.seed(static_cast<std::mt19937::result_type>(seed));
        saveFolder = appFolder.file("saved");
        scratchFile = appFolder.file("scratch.irr");
        ASSERT_TRUE(std::filesystem::create_directory(saveFolder));
        // As the editor names a scene's file, so that its saves in place
        // replace the record of the same file.
        saveFolder = std::filesystem::canonical(saveFolder).string();
        test::writeFile(appFolder.file("cube.obj"), kCubeModel);

        const std::string media = std::string(SORN_RUNTIME_DIR) + "/media/";
        const std::string engineMedia = SORN_IRRLICHT_MEDIA "/";
        for (const std::string& path :
             {media + "folder.png", engineMedia + "axe.jpg", engineMedia + "earth.jpg", engineMedia + "irrlicht2_up.jpg",
              engineMedia + "irrlichtlogo2.png", engineMedia, appFolder.file("missing.png"), appFolder.file("cube.obj")})
            imagePaths.push_back(std::wstring(wide(path).c_str()));
    }

    // The user's scene in a form that undo must give back exactly.
    std::string sceneText() {
        activePasses(2);
        return test::canonicalSceneText(smgr(), scratchFile, editor.gridSize, editor.gridSpacing);
    }

    void trace(const std::string& what) {
        recent.push_back(what);
        if (recent.size() > 25)
            recent.pop_front();
        if (verbose)
            std::printf("soak: %s\n", what.c_str());
    }

    unsigned pick(unsigned count) { return count ? static_cast<unsigned>(random() % count) : 0; }
    bool chance(unsigned percent) { return random() % 100 < percent; }

    // ---- The state a user finds the editor in before the next action ----

    std::vector<scene::ISceneNode*> userNodes() {
        std::vector<scene::ISceneNode*> nodes;
        std::function<void(scene::ISceneNode*)> walk = [&](scene::ISceneNode* node) {
            for (scene::ISceneNode* child : node->getChildren())
                if (!child->isDebugObject()) {
                    nodes.push_back(child);
                    walk(child);
                }
        };
        walk(smgr()->getRootSceneNode());
        return nodes;
    }

    gui::IGUIElement* findMessageBox() {
        for (gui::IGUIElement* top : gui()->getRootGUIElement()->getChildren())
            if (top->getType() == gui::EGUIET_MODAL_SCREEN)
                for (gui::IGUIElement* child : top->getChildren())
                    if (child->getType() == gui::EGUIET_MESSAGE_BOX)
                        return child;
        return nullptr;
    }

    // Clicks the button of the message box whose caption is the text, or its
    // first button when text is null: the box reports the answer and closes.
    void clickMessageBoxButton(gui::IGUIElement* box, const core::stringw* caption) {
        gui::IGUIElement* button = nullptr;
        std::function<void(gui::IGUIElement*)> search = [&](gui::IGUIElement* e) {
            for (gui::IGUIElement* child : e->getChildren()) {
                if (!button && child->getType() == gui::EGUI_ELEMENT_TYPE::EGUIET_BUTTON && child->isVisible() &&
                    (!caption || *caption == child->getText()))
                    button = child;
                search(child);
            }
        };
        search(box);
        ASSERT_NE(button, nullptr) << "the message box has no such button";
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = button;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = gui::EGET_BUTTON_CLICKED;
        box->grab();
        box->OnEvent(event);
        box->drop();
    }

    // The unsaved-changes question, answered with one of its three buttons.
    void answerUnsavedQuestion(const wchar_t* key) {
        gui::IGUIElement* box = findElement(ids::UnsavedChangesBox);
        ASSERT_NE(box, nullptr);
        const core::stringw caption = translate(key);
        trace(std::string("  answer ") + core::stringc(key).c_str());
        clickMessageBoxButton(box, &caption);
    }

    // A file dialog's answer: a file of the kind the dialog asks for, or
    // something else a user might pick, or cancel.
    std::wstring dialogChoice(s32 dialogId) {
        std::vector<std::wstring> choices;
        switch (dialogId) {
        case ids::DialogOpenScene:
            for (const SavedScene& saved : savedScenes)
                choices.push_back(std::wstring(wide(saved.path).c_str()));
            choices.push_back(std::wstring(wide(appFolder.file("cube.obj")).c_str()));
            choices.push_back(std::wstring(wide(saveFolder).c_str()));
            break;
        case ids::DialogAddStaticMesh:
        case ids::DialogAddAnimatedMesh:
            choices.assign(4, std::wstring(wide(appFolder.file("cube.obj")).c_str()));
            if (!savedScenes.empty())
                choices.push_back(std::wstring(wide(savedScenes[pick(savedScenes.size())].path).c_str()));
            choices.push_back(imagePaths[pick(imagePaths.size())]);
            break;
        default:
            choices = imagePaths;
            break;
        }
        return choices[pick(choices.size())];
    }

    void answerFileDialog(s32 dialogId, gui::IGUIElement* dialog) {
        // Drops the dialog as the engine's does once it reported.
        gui::IGUIElement* screen = dialog->getParent();
        if (chance(15)) {
            trace("  dialog cancelled");
            postGuiEvent(gui::EGET_FILE_CHOOSE_DIALOG_CANCELLED, dialog);
            (screen && screen->getType() == gui::EGUIET_MODAL_SCREEN ? screen : dialog)->remove();
            return;
        }
        const std::wstring file = dialogChoice(dialogId);
        trace("  dialog chose " + std::string(core::stringc(file.c_str()).c_str()).substr(0, 120));
        (screen && screen->getType() == gui::EGUIET_MODAL_SCREEN ? screen : dialog)->remove();
        auto* chosen = new test::ChosenFileDialog(gui(), dialogId, core::stringw(file.c_str()));
        postGuiEvent(gui::EGET_FILE_SELECTED, chosen);
        chosen->drop();
        ++counts["  file dialogs answered"];
    }

    // Closes what an action left open the way a user would: message boxes
    // with their button, file dialogs with an answer, windows with cancel.
    void settle() {
        for (int round = 0; round < 20; ++round) {
            if (gui::IGUIElement* box = findMessageBox()) {
                if (box->getID() == ids::UnsavedChangesBox) {
                    answerUnsavedQuestion(L"action_cancel");
                } else {
                    trace("  message: " + std::string(core::stringc(box->getText()).c_str()).substr(0, 160));
                    ++counts["  messages shown"];
                    clickMessageBoxButton(box, nullptr);
                }
                continue;
            }
            bool answered = false;
            for (s32 dialogId : kFileDialogs)
                if (gui::IGUIElement* dialog = findElement(dialogId)) {
                    answerFileDialog(dialogId, dialog);
                    answered = true;
                    break;
                }
            if (answered)
                continue;
            if (findElement(ids::SaveWindow)) {
                clickButton(ids::SaveCancel);
                continue;
            }
            if (findElement(ids::AboutWindow)) {
                clickButton(ids::AboutOk);
                continue;
            }
            if (findElement(ids::SettingsWindow)) {
                clickButton(chance(50) ? ids::SettingsCancel : ids::SettingsOk);
                continue;
            }
            break;
        }
        activePasses(1);
    }

    // The tool box and scene box hide while a node is edited in the view; a
    // user leaves the editing mode with Escape to reach them again.
    void leaveEditingModeForWindows() {
        if (editor.gizmoActive || (editor.editMode >= ids::ModeMoveX && editor.editMode <= ids::ModeScale))
            pressKey(KEY_ESCAPE);
    }

    void pressKey(EKEY_CODE key, bool control = false, bool shift = false) {
        SEvent event = test::keyEvent(key, true);
        event.KeyInput.Control = control;
        event.KeyInput.Shift = shift;
        editor.device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        editor.device->postEventFromUser(event);
    }

    void openSceneBox() {
        leaveEditingModeForWindows();
        if (!findElement(ids::SceneBoxTree))
            clickButton(ids::ButtonOpenSceneBox);
        activePasses(2);
    }

    void openToolBox() {
        leaveEditingModeForWindows();
        if (!findElement(ids::ToolBoxWindow))
            clickButton(ids::ButtonOpenToolBox);
        activePasses(1);
    }

    // ---- The history's checkpoints ----

    void startSegment() {
        segmentStart = sceneText();
        segmentHistoryLost = false;
        ++counts["  history starts"];
    }

    // The history dropped its oldest steps when it reached its bound: the
    // start of this segment can no longer be reached by undo.
    void noteHistoryBound() {
        if (undoHistory.size() >= UndoHistory::MaxSteps || undoHistory.memoryCost() > UndoHistory::MaxBytes / 2)
            segmentHistoryLost = true;
    }

    // Undoes every step and compares with the segment's start, then redoes
    // every step and compares with the scene before the undo.
    void checkUndoEverything(const char* when) {
        if (segmentHistoryLost) {
            ++counts["  undo checks skipped (history bound)"];
            return;
        }
        // The scene at each place in the history on the way back: each redo
        // must give back the one it left.
        std::vector<std::string> texts{sceneText()};
        while (undoHistory.canUndo()) {
            undoLastChange();
            texts.push_back(sceneText());
        }
        const size_t undone = texts.size() - 1;
        EXPECT_TRUE(texts.back() == segmentStart)
            << "undoing all " << undone << " steps (" << when << ") did not give back the scene the history started with\n"
            << firstDifference(segmentStart, texts.back());
        // Steps undone before the check stay undone: exactly what was undone here is redone.
        for (size_t redone = 1; redone <= undone; ++redone) {
            ASSERT_TRUE(undoHistory.canRedo()) << "only " << redone - 1 << " of " << undone << " steps can be redone";
            redoLastChange();
            const std::string& expected = texts[undone - redone];
            const std::string text = sceneText();
            ASSERT_TRUE(text == expected) << "redo " << redone << " of " << undone << " (" << when
                                          << ") did not give back the scene its undo left\n"
                                          << firstDifference(expected, text);
        }
        counts["  steps undone in checks"] += undone;
        counts["  steps redone in checks"] += undone;
        ++counts["  undo-everything checks"];
    }

    static std::string firstDifference(const std::string& expected, const std::string& actual) {
        size_t at = 0;
        while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
            ++at;
        const size_t from = at > 200 ? at - 200 : 0;
        // The node the difference lies in: the last name written before it.
        const std::string nameTag = "<string name=\"Name\" value=\"";
        const size_t name = expected.rfind(nameTag, at);
        const std::string node =
            name == std::string::npos ? "?" : expected.substr(name + nameTag.size(), expected.find('"', name + nameTag.size()) - name - nameTag.size());
        return "in node \"" + node + "\": expected ..." + expected.substr(from, 400) + "\nactual   ..." + actual.substr(from, 400);
    }

    // ---- Saving and loading ----

    // Fills the open save window with a path and presses save. A hostile name
    // first is refused and leaves the window open for the real one.
    void completeSaveWindow() {
        ASSERT_NE(saveWindow.fileNameText, nullptr) << "the save window is not open";
        if (chance(15)) {
            const std::string refused[] = {saveFolder + "/notascene.txt", saveFolder + "/missing/folder/x.irr",
                                           saveFolder, ""};
            const std::string name = refused[pick(4)];
            trace("  save as refused name '" + name + "'");
            saveWindow.fileNameText->setText(wide(name).c_str());
            clickButton(ids::SaveButton);
            EXPECT_FALSE(test::fileExists(name) && name.size() > 4 && name.substr(name.size() - 4) == ".txt");
            if (gui::IGUIElement* box = findMessageBox())
                if (box->getID() != ids::UnsavedChangesBox)
                    clickMessageBoxButton(box, nullptr);
            if (!findElement(ids::SaveWindow))
                return;
        }
        SavedScene saved;
        saved.path = saveFolder + "/scene-" + std::to_string(savedScenes.size() % 12) + ".irr";
        activePasses(2);
        saved.nodes = test::countUserNodes(smgr()->getRootSceneNode());
        saved.tally = test::tallyUserNodes(smgr());
        trace("  save " + saved.path + " with " + std::to_string(saved.nodes) + " nodes");
        saveWindow.fileNameText->setText(wide(saved.path).c_str());
        clickButton(ids::SaveButton);
        // A name saved before is replaced once the user says so.
        if (gui::IGUIElement* box = findElement(ids::ReplaceFileBox)) {
            trace("  replace " + saved.path);
            const core::stringw replace = translate(L"action_replace");
            clickMessageBoxButton(box, &replace);
        }
        ASSERT_TRUE(test::fileExists(saved.path)) << "the save wrote nothing";
        EXPECT_EQ(findElement(ids::SaveWindow), nullptr) << "a save that succeeded closes the window";
        ++counts["  scenes saved"];
        rememberSave(saved);
    }

    // The scene as it is now, to be written to its own file.
    SavedScene sceneToSaveInPlace() {
        SavedScene saved;
        saved.path = editor.sceneFile;
        activePasses(2);
        saved.nodes = test::countUserNodes(smgr()->getRootSceneNode());
        saved.tally = test::tallyUserNodes(smgr());
        return saved;
    }

    // File > Save wrote the scene to its own file, without the window.
    void checkSavedInPlace(const SavedScene& saved) {
        trace("  saved in place " + saved.path + " with " + std::to_string(saved.nodes) + " nodes");
        // (A message of the action that goes on after the save, an open, may show.)
        for (gui::IGUIElement* top : gui()->getRootGUIElement()->getChildren())
            for (gui::IGUIElement* child : top->getChildren())
                EXPECT_FALSE(child->getType() == gui::EGUIET_MESSAGE_BOX &&
                             translate(L"window_save_failed_caption") == child->getText())
                    << "saving in place to " << saved.path << " failed";
        EXPECT_FALSE(undoHistory.hasUnsavedChanges()) << "saved in place, still unsaved";
        ++counts["  scenes saved in place"];
        rememberSave(saved);
    }

    void rememberSave(const SavedScene& saved) {
        expectLoadsWithEngine(saved);
        // One entry per file name: the newest save of a name replaces the older.
        for (auto it = savedScenes.begin(); it != savedScenes.end(); ++it)
            if (it->path == saved.path) {
                savedScenes.erase(it);
                break;
            }
        savedScenes.push_back(saved);
    }

    // The engine itself reads the saved file back into a scene of its own.
    void expectLoadsWithEngine(const SavedScene& saved) {
        scene::ISceneManager* reader = smgr()->createNewSceneManager(false);
        for (u32 i = 1; i < smgr()->getRegisteredSceneNodeFactoryCount(); ++i)
            reader->registerSceneNodeFactory(smgr()->getSceneNodeFactory(i));
        EXPECT_TRUE(reader->loadScene(saved.path.c_str())) << saved.path;
        EXPECT_EQ(test::countUserNodes(reader->getRootSceneNode()), saved.nodes)
            << "the engine read a different number of nodes from " << saved.path;
        EXPECT_EQ(test::tallyUserNodes(reader), saved.tally) << saved.path;
        reader->drop();
        ++counts["  saved files loaded by the engine"];
    }

    // ---- The actions ----

    void addFromCatalogue() {
        const s32 command = kAddCommands[pick(std::size(kAddCommands))];
        trace("add " + std::to_string(command - ids::CmdAddPlane));
        chooseMenuCommand(command);
    }

    void pickNode() {
        openSceneBox();
        std::vector<scene::ISceneNode*> nodes = userNodes();
        if (nodes.empty() || chance(5)) {
            trace("pick the first tree item");
            pickInTree(nullptr);
            return;
        }
        scene::ISceneNode* node = nodes[pick(nodes.size())];
        if (!treeItemFor(node))
            return;
        trace("pick " + std::string(node->getName()));
        pickInTree(node);
    }

    // Makes every nested tab control show a random tab, then collects what a
    // user can see and use in the tool box.
    void chooseTabs(gui::IGUIElement* element) {
        if (element->getType() == gui::EGUIET_TAB_CONTROL) {
            auto* tabs = static_cast<gui::IGUITabControl*>(element);
            if (tabs->getTabCount() > 0)
                tabs->setActiveTab(static_cast<s32>(pick(tabs->getTabCount())));
        }
        for (gui::IGUIElement* child : element->getChildren())
            chooseTabs(child);
    }

    void collectVisible(gui::IGUIElement* element, std::vector<gui::IGUIElement*>& found) {
        for (gui::IGUIElement* child : element->getChildren()) {
            if (!child->isVisible())
                continue;
            found.push_back(child);
            collectVisible(child, found);
        }
    }

    void toolBoxApply() {
        // Most edits go to a node picked just before, as a user works.
        if (chance(70))
            pickNode();
        if (HasFatalFailure())
            return;
        openToolBox();
        gui::IGUIElement* window = findElement(ids::ToolBoxWindow);
        gui::IGUIElement* tabs = findElement(ids::ToolBoxTabControl);
        if (!window || !tabs || !window->isVisible())
            return;
        chooseTabs(tabs);
        std::vector<gui::IGUIElement*> elements;
        collectVisible(tabs, elements);
        // A combo box or scroll bar takes effect at once and may rebuild the
        // tool box: the elements are held until the end so none dangles.
        for (gui::IGUIElement* e : elements)
            e->grab();
        std::vector<gui::IGUIElement*> buttons;
        std::string typed;
        for (gui::IGUIElement* e : elements) {
            if (!isShown(e))
                continue;
            switch (e->getType()) {
            case gui::EGUIET_EDIT_BOX:
                if (chance(60)) {
                    const std::wstring text = test::randomFieldText(random, imagePaths);
                    e->setText(text.c_str());
                    typed += " [" + std::string(core::stringc(text.substr(0, 24).c_str()).c_str()) + "]";
                }
                break;
            case gui::EGUIET_CHECK_BOX:
                if (chance(30))
                    static_cast<gui::IGUICheckBox*>(e)->setChecked(!static_cast<gui::IGUICheckBox*>(e)->isChecked());
                break;
            case gui::EGUIET_COMBO_BOX: {
                auto* combo = static_cast<gui::IGUIComboBox*>(e);
                if (combo->getItemCount() > 0 && chance(25)) {
                    combo->setSelected(static_cast<s32>(pick(combo->getItemCount())));
                    trace("toolbox combo " + std::to_string(e->getID()) + " -> " +
                          std::to_string(combo->getSelected()));
                    postGuiEvent(gui::EGET_COMBO_BOX_CHANGED, combo);
                }
                break;
            }
            case gui::EGUIET_SCROLL_BAR: {
                auto* bar = static_cast<gui::IGUIScrollBar*>(e);
                if (chance(20)) {
                    bar->setPos(bar->getMin() + static_cast<s32>(pick(static_cast<unsigned>(bar->getMax() - bar->getMin() + 1))));
                    postGuiEvent(gui::EGET_SCROLL_BAR_CHANGED, bar);
                }
                break;
            }
            case gui::EGUIET_BUTTON:
                // Parts of other elements (a combo box's arrow) have no id of their own.
                if (e->getID() != -1)
                    buttons.push_back(e);
                break;
            default:
                break;
            }
        }
        std::vector<gui::IGUIElement*> shownButtons;
        for (gui::IGUIElement* e : buttons)
            if (isShown(e))
                shownButtons.push_back(e);
        gui::IGUIElement* button = shownButtons.empty() ? nullptr : shownButtons[pick(shownButtons.size())];
        if (button)
            button->grab();
        for (gui::IGUIElement* e : elements)
            e->drop();
        if (!button)
            return;
        char id[16];
        std::snprintf(id, sizeof id, "0x%x", static_cast<unsigned>(button->getID()));
        trace(std::string("toolbox button ") + id + typed.substr(0, 300));
        ++counts[std::string("  tool box button ") + id];
        postGuiEvent(gui::EGET_BUTTON_CLICKED, button);
        button->drop();
    }

    // The element is still part of the GUI and nothing on its way up hides it.
    bool isShown(gui::IGUIElement* element) {
        gui::IGUIElement* root = gui()->getRootGUIElement();
        for (gui::IGUIElement* e = element; e; e = e->getParent()) {
            if (e == root)
                return true;
            if (!e->isVisible())
                return false;
        }
        return false;
    }

    void pressRandomKey() {
        const EKEY_CODE key = kKeys[pick(std::size(kKeys))];
        trace("key " + std::to_string(key));
        pressKey(key);
    }

    void dragInView() {
        // Below the menus and the scene box, left of the tool box: the 3D view.
        s32 x = 230 + static_cast<s32>(pick(560)), y = 460 + static_cast<s32>(pick(280));
        if (chance(20)) {
            trace("right click");
            mouseEvent(EMIE_RMOUSE_PRESSED_DOWN, x, y);
            mouseEvent(EMIE_RMOUSE_LEFT_UP, x, y);
            return;
        }
        trace("drag from " + std::to_string(x) + "," + std::to_string(y));
        mouseEvent(EMIE_MOUSE_MOVED, x, y);
        mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, x, y);
        const int moves = 1 + static_cast<int>(pick(30));
        for (int i = 0; i < moves; ++i) {
            x = std::max(230, std::min(790, x + static_cast<s32>(pick(21)) - 10));
            y = std::max(460, std::min(740, y + static_cast<s32>(pick(21)) - 10));
            mouseEvent(EMIE_MOUSE_MOVED, x, y);
        }
        mouseEvent(EMIE_LMOUSE_LEFT_UP, x, y);
    }

    void pickThenClick(s32 button, const char* what) {
        pickNode();
        if (HasFatalFailure())
            return;
        trace(what);
        openSceneBox();
        clickButton(button);
    }

    void deleteNode() { pickThenClick(ids::SceneBoxRemove, "delete"); }

    void duplicateNode() {
        // Duplicating a node copies everything under it: keep the scene small
        // enough for thousands of actions.
        if (userNodes().size() > 150) {
            ++counts["  duplicates skipped (scene too large)"];
            return;
        }
        pickNode();
        if (HasFatalFailure())
            return;
        openSceneBox();
        scene::ISceneNode* original = editor.nodeSelected ? editor.selectedNode : nullptr;
        const unsigned before = test::countUserNodes(smgr()->getRootSceneNode());
        // The copy brings everything under the node along.
        const unsigned copied = original ? 1 + test::countUserNodes(original) : 0;
        trace("duplicate");
        clickButton(ids::SceneBoxDuplicate);
        if (original && original->getParent() && !original->isDebugObject())
            EXPECT_EQ(test::countUserNodes(smgr()->getRootSceneNode()), before + copied)
                << "duplicating " << original->getName() << " (" << smgr()->getSceneNodeTypeName(original->getType())
                << ") did not copy it with everything under it";
    }

    bool menuItemEnabled(s32 command) {
        s32 index = -1;
        gui::IGUIContextMenu* menu = menuHolding(command, &index);
        return menu && index >= 0 && menu->isItemEnabled(index);
    }

    void undoOrRedo(bool undo) {
        const s32 command = undo ? ids::CmdUndo : ids::CmdRedo;
        if (undo ? undoHistory.canUndo() : undoHistory.canRedo())
            ++counts[undo ? "  steps undone by undo actions" : "  steps redone by redo actions"];
        if (menuItemEnabled(command) && chance(50)) {
            trace(undo ? "undo from the menu" : "redo from the menu");
            chooseMenuCommand(command);
        } else {
            trace(undo ? "Ctrl+Z" : "Ctrl+Y");
            pressKey(undo ? KEY_KEY_Z : KEY_KEY_Y, true);
        }
    }

    void undo() { undoOrRedo(true); }
    void redo() { undoOrRedo(false); }

    void viewCommand() {
        if (chance(20)) {
            const s32 button = kToolBarButtons[pick(std::size(kToolBarButtons))];
            trace("tool bar button " + std::to_string(button));
            clickButton(button);
            return;
        }
        const s32 command = kViewCommands[pick(std::size(kViewCommands))];
        trace("view command " + std::to_string(command));
        chooseMenuCommand(command);
    }

    void addModel() {
        const s32 commands[] = {ids::CmdAddModel, ids::CmdAddAnimatedModel};
        if (chance(30)) {
            trace("scene box add button");
            openSceneBox();
            clickButton(ids::SceneBoxAdd);
        } else {
            trace("add model from the menu");
            chooseMenuCommand(commands[pick(2)]);
        }
    }

    // Save as, or Save: in place when the scene has a file, else the window.
    void save() {
        const bool saveAs = chance(50);
        trace(saveAs ? "save as from the menu" : "save from the menu");
        const SavedScene inPlace = sceneToSaveInPlace();
        chooseMenuCommand(saveAs ? ids::CmdSaveAs : ids::CmdSave);
        if (!saveAs && !inPlace.path.empty()) {
            EXPECT_EQ(findElement(ids::SaveWindow), nullptr) << "a scene with a file is saved without the window";
            checkSavedInPlace(inPlace);
            return;
        }
        completeSaveWindow();
    }

    // New and Open replace the scene: the history of the scene they replace
    // is checked first, and a new one starts once they ran.
    void replaceScene(s32 command) {
        checkUndoEverything(command == ids::CmdNewScene ? "before a new scene" : "before opening");
        if (HasFailure())
            return;
        const unsigned long generation = undoHistory.generation();
        const bool recent = command >= ids::CmdRecentFirst && command <= ids::CmdRecentLast;
        trace(command == ids::CmdNewScene ? "new scene" : recent ? "open recent " + recentTarget : "open scene");
        chooseMenuCommand(command);
        if (findElement(ids::UnsavedChangesBox)) {
            const unsigned answer = pick(10);
            if (answer < 2) {
                answerUnsavedQuestion(L"action_cancel");
                return;
            }
            if (answer < 4) {
                const SavedScene inPlace = sceneToSaveInPlace();
                answerUnsavedQuestion(L"action_save");
                if (inPlace.path.empty())
                    completeSaveWindow();
                else
                    checkSavedInPlace(inPlace);
            } else {
                answerUnsavedQuestion(L"action_discard");
            }
        }
        // A recent scene opens at once: it is the file of its last save.
        if (recent && editor.sceneFile == recentTarget) {
            activePasses(3);
            for (const SavedScene& saved : savedScenes)
                if (saved.path == recentTarget) {
                    EXPECT_EQ(test::countUserNodes(smgr()->getRootSceneNode()), saved.nodes)
                        << "reopening " << saved.path << " from File > Recent gave another number of nodes";
                    EXPECT_EQ(test::tallyUserNodes(smgr()), saved.tally) << saved.path;
                    ++counts["  recent scenes reopened"];
                }
        }
        if (command == ids::CmdOpenScene) {
            gui::IGUIElement* dialog = findElement(ids::DialogOpenScene);
            if (!dialog)
                return;
            const bool openSaved = !savedScenes.empty() && chance(90);
            const SavedScene saved = openSaved ? savedScenes[pick(savedScenes.size())] : SavedScene();
            if (!openSaved) {
                answerFileDialog(ids::DialogOpenScene, dialog);
            } else {
                trace("  open " + saved.path);
                dialog->getParent()->remove();
                test::ChosenFileDialog chosen(gui(), ids::DialogOpenScene, wide(saved.path));
                postGuiEvent(gui::EGET_FILE_SELECTED, &chosen);
                activePasses(3);
                EXPECT_EQ(test::countUserNodes(smgr()->getRootSceneNode()), saved.nodes)
                    << "opening " << saved.path << " in the editor gave another number of nodes";
                EXPECT_EQ(test::tallyUserNodes(smgr()), saved.tally) << saved.path;
                ++counts["  saved files reopened in the editor"];
            }
        }
        settle();
        if (undoHistory.generation() != generation)
            startSegment();
    }

    void newScene() { replaceScene(ids::CmdNewScene); }
    void openScene() { replaceScene(ids::CmdOpenScene); }
    void openRecentScene() {
        const std::vector<std::string> files = recentSceneFiles();
        if (files.empty()) {
            trace("no recent scene to open");
            return;
        }
        const size_t index = pick(files.size());
        recentTarget = files[index];
        replaceScene(ids::CmdRecentFirst + static_cast<s32>(index));
    }

    std::vector<WeightedAction> actions() {
        return {
            {"add from the catalogue", 14, &RandomActionSoak::addFromCatalogue},
            {"tree pick", 14, &RandomActionSoak::pickNode},
            {"tool box apply", 22, &RandomActionSoak::toolBoxApply},
            {"key", 9, &RandomActionSoak::pressRandomKey},
            {"mouse in the view", 7, &RandomActionSoak::dragInView},
            {"delete", 4, &RandomActionSoak::deleteNode},
            {"duplicate", 4, &RandomActionSoak::duplicateNode},
            {"undo", 8, &RandomActionSoak::undo},
            {"redo", 5, &RandomActionSoak::redo},
            {"view, window and debug", 5, &RandomActionSoak::viewCommand},
            {"add a model", 1, &RandomActionSoak::addModel},
            {"save", 2, &RandomActionSoak::save},
            {"open a saved scene", 1, &RandomActionSoak::openScene},
            {"open a recent scene", 1, &RandomActionSoak::openRecentScene},
            {"new scene", 1, &RandomActionSoak::newScene},
        };
    }

    void printSummary(unsigned long done, double seconds) {
        std::printf("soak: seed %lu, %lu of %lu actions in %.1f s\n", seed, done, actionCount, seconds);
        for (const auto& entry : counts)
            std::printf("soak:   %-40s %lu\n", entry.first.c_str(), entry.second);
        std::fflush(stdout);
    }

    std::string failureReport(unsigned long index) {
        std::string report = "soak failed at action " + std::to_string(index) + " of seed " + std::to_string(seed) +
                             " (SORN_SOAK_SEED=" + std::to_string(seed) + " SORN_SOAK_ACTIONS=" +
                             std::to_string(index + 1) + " SORN_SOAK_VERBOSE=1 reproduces it); recent actions:\n";
        for (const std::string& line : recent)
            report += "  " + line + "\n";
        return report;
    }

    unsigned long seed = kDefaultSeed;
    unsigned long actionCount = kDefaultActions;
    bool verbose = false;
    std::mt19937 random;
    std::string saveFolder, scratchFile;
    std::string recentTarget; // the file of the File > Recent entry chosen
    std::vector<std::wstring> imagePaths;
    std::vector<SavedScene> savedScenes;
    std::map<std::string, unsigned long> counts;
    std::deque<std::string> recent;
    std::string segmentStart;
    bool segmentHistoryLost = false;
};

TEST_F(RandomActionSoak, ThousandsOfUserActions) {
    const auto started = std::chrono::steady_clock::now();
    std::printf("soak: seed %lu, %lu actions\n", seed, actionCount);
    const std::vector<WeightedAction> table = actions();
    std::vector<unsigned> weights;
    for (const WeightedAction& action : table)
        weights.push_back(action.weight);
    std::discrete_distribution<size_t> choose(weights.begin(), weights.end());

    activePasses(3);
    startSegment();
    unsigned long index = 0;
    for (; index < actionCount; ++index) {
        const WeightedAction& action = table[choose(random)];
        ++counts[action.name];
        trace("#" + std::to_string(index) + " " + action.name);
        (this->*action.run)();
        if (!HasFatalFailure())
            settle();
        noteHistoryBound();
        if (verbose)
            std::printf("soak: %zu steps in the history%s\n", undoHistory.size(), undoHistory.canRedo() ? ", some undone" : "");
        if (HasFailure()) {
            ADD_FAILURE() << failureReport(index);
            break;
        }
    }
    if (!HasFailure())
        checkUndoEverything("at the end");
    if (HasFailure() && index >= actionCount)
        ADD_FAILURE() << failureReport(index);
    printSummary(index, std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
}

} // namespace
} // namespace sorn
