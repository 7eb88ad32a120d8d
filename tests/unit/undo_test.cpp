// Undo and redo of every kind of scene change, the history's bound, the
// unsaved-changes flag and the question asked before unsaved work is lost.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/Translate.h"
#include "events/ClipboardCommands.h"
#include "events/SaveWindow.h"
#include "events/SceneFileCommands.h"
#include "events/TreeEditCommands.h"
#include "events/UndoCommands.h"
#include "events/UnsavedChanges.h"
#include "files/SceneSave.h"
#include "scene/TextNodeData.h"
#include "scene/AnimationPlayback.h"
#include "scene/AnimatorEditing.h"
#include "scene/NodeCatalogue.h"
#include "scene/SelectedNodes.h"
#include "scene/NodeName.h"
#include "scene/Reparent.h"
#include "app/TextConvert.h"
#include "scene/UndoHistory.h"
#include "support/ChosenFileDialog.h"
#include "support/EditorFixture.h"
#include "support/TestImages.h"
#include "toolbox/AttributePanel.h"
#include "toolbox/ColourSwatch.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {
namespace {

class UndoTest : public test::EditorTest {
protected:
    // The scene as the engine writes it: what undo must give back exactly.
    std::string sceneText() {
        const std::string path = appFolder.file("snapshot.irr");
        EXPECT_TRUE(smgr()->saveScene(path.c_str(), textNodeUserData()));
        std::string text = test::readFile(path);
        // The grid is the editor's, not in the file: it counts as scene state.
        return text + "|grid " + std::to_string(editor.gridSize) + " " + std::to_string(editor.gridSpacing);
    }

    scene::ISceneNode* addFromMenu(s32 command) {
        const u32 before = smgr()->getRootSceneNode()->getChildren().size();
        chooseMenuCommand(command);
        const auto& children = smgr()->getRootSceneNode()->getChildren();
        EXPECT_EQ(children.size(), before + 1);
        return children.getLast() == children.end() ? nullptr : *children.getLast();
    }

    void select(scene::ISceneNode* node) {
        editor.selectedNode = node;
        editor.nodeSelected = node != nullptr;
        updateToolBox();
    }

    void setEditText(s32 id, const wchar_t* text) {
        gui::IGUIElement* box = findElement(id);
        ASSERT_NE(box, nullptr);
        box->setText(text);
    }

    // Clicks the question's button with the caption of the key, as a user
    // would: the box reports the answer and closes.
    void answerQuestion(const wchar_t* key) {
        gui::IGUIElement* box = findElement(ids::UnsavedChangesBox);
        ASSERT_NE(box, nullptr) << "no question was asked";
        gui::IGUIElement* button = nullptr;
        std::function<void(gui::IGUIElement*)> search = [&](gui::IGUIElement* e) {
            for (gui::IGUIElement* child : e->getChildren()) {
                if (child->getType() == gui::EGUIET_BUTTON && translate(key) == child->getText())
                    button = child;
                search(child);
            }
        };
        search(box);
        ASSERT_NE(button, nullptr) << "no button reads " << core::stringc(translate(key)).c_str();
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = button;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = gui::EGET_BUTTON_CLICKED;
        box->OnEvent(event);
        EXPECT_EQ(findElement(ids::UnsavedChangesBox), nullptr);
    }

    bool menuItemEnabled(s32 command) {
        s32 index = -1;
        gui::IGUIContextMenu* menu = menuHolding(command, &index);
        EXPECT_NE(menu, nullptr);
        return menu && menu->isItemEnabled(index);
    }

    std::wstring menuText(s32 command) {
        s32 index = -1;
        gui::IGUIContextMenu* menu = menuHolding(command, &index);
        return menu ? std::wstring(menu->getItemText(index)) : L"<no item>";
    }

    std::wstring statusNote() {
        const std::wstring text = editor.statusText ? editor.statusText->getText() : L"";
        const std::wstring::size_type bar = text.rfind(L"  |  ");
        return bar == std::wstring::npos ? L"" : text.substr(bar + 5);
    }

    // The newest step is named in both languages: the Undo item names it,
    // and once it is undone the Redo item does and the status line says it
    // was undone; redone, the status line says that. The step is done again
    // at the end.
    void expectNewestStepNamed(const wchar_t* english, const wchar_t* french) {
        struct Captions {
            const wchar_t* language;
            const wchar_t* name;
            std::wstring undo, redo, undone, redone;
        };
        const Captions languages[] = {
            {L"en", english, L"Undo %s (Ctrl+Z)", L"Redo %s (Ctrl+Y)", L"Undone: %s", L"Redone: %s"},
            {L"fr", french, L"Annuler %s (Ctrl+Z)", L"Rétablir %s (Ctrl+Y)", L"Annulé : %s", L"Rétabli : %s"},
        };
        const auto named = [](std::wstring text, const wchar_t* name) {
            return text.replace(text.find(L"%s"), 2, name);
        };
        for (const Captions& captions : languages) {
            SCOPED_TRACE(core::stringc(captions.language).c_str());
            loadLanguage(captions.language);
            updateUndoMenuItems();
            EXPECT_TRUE(menuText(ids::CmdUndo) == named(captions.undo, captions.name));
            undoLastChange();
            EXPECT_TRUE(menuText(ids::CmdRedo) == named(captions.redo, captions.name));
            EXPECT_TRUE(statusNote() == named(captions.undone, captions.name));
            redoLastChange();
            EXPECT_TRUE(statusNote() == named(captions.redone, captions.name));
            EXPECT_TRUE(menuText(ids::CmdUndo) == named(captions.undo, captions.name));
        }
        loadLanguage(L"en");
        updateUndoMenuItems();
    }

    // The attributes tab's row of the attribute, given the text or the
    // check, then Enter or the check box's report, as the engine sends them.
    void enterAttribute(const char* name, const wchar_t* text, bool checked = false) {
        const s32 id = attributeRowId(findElement(ids::AttributesPanel), name);
        gui::IGUIElement* row = findElement(id);
        ASSERT_NE(row, nullptr) << name;
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = row;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = gui::EGET_EDITBOX_ENTER;
        if (text)
            row->setText(text);
        else {
            static_cast<gui::IGUICheckBox*>(row)->setChecked(checked);
            event.GUIEvent.EventType = gui::EGET_CHECKBOX_CHANGED;
        }
        row->getParent()->OnEvent(event);
    }
    // The swatch opens the colour dialog; its OK with this colour.
    void chooseColour(s32 swatchId, video::SColor colour) {
        auto* swatch = dynamic_cast<ColourSwatch*>(findElement(swatchId));
        ASSERT_NE(swatch, nullptr);
        gui::IGUIElement* dialog = swatch->openDialog();
        ASSERT_NE(dialog, nullptr);
        const u32 channels[4] = {colour.getAlpha(), colour.getRed(), colour.getGreen(), colour.getBlue()};
        ASSERT_TRUE(sorn::test::answerColourDialog(dialog, channels));
    }

    // Runs a change, then checks undo gives back the scene before and redo
    // the scene after, each shown as after any other change. A change of what
    // a save writes is unsaved work; one of the editor's own state is not.
    void expectUndoable(const std::function<void()>& change, bool savedInTheScene = true) {
        activePasses(3);
        const std::string before = sceneText();
        const size_t steps = undoHistory.size();
        change();
        activePasses(3);
        const std::string after = sceneText();
        ASSERT_TRUE(before != after) << "the change changed nothing";
        EXPECT_EQ(undoHistory.size(), steps + 1) << "one change, one step";
        EXPECT_EQ(undoHistory.hasUnsavedChanges(), savedInTheScene);
        undoLastChange();
        activePasses(3);
        EXPECT_TRUE(sceneText() == before) << "undo did not give back the scene before";
        redoLastChange();
        activePasses(3);
        EXPECT_TRUE(sceneText() == after) << "redo did not give back the scene after";
    }
};

TEST_F(UndoTest, AddingFromTheCatalogueIsOneStep) {
    const s32 commands[] = {ids::CmdAddCube,     ids::CmdAddSphere,  ids::CmdAddPlane, ids::CmdAddLight,
                            ids::CmdAddParticle, ids::CmdAddSkyBox,  ids::CmdAddText,  ids::CmdAddVolumeLight,
                            ids::CmdAddTerrain,  ids::CmdAddSkyDome, ids::CmdAddWaterSurface};
    for (s32 command : commands)
        expectUndoable([&] { addFromMenu(command); });
}

TEST_F(UndoTest, ObjectTabAppliesAndStepsAreSteps) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    createToolBox();
    select(cube);
    expectUndoable([&] {
        setEditText(ids::PositionEditX, L"12.5");
        clickButton(ids::ApplyPosition);
    });
    expectUndoable([&] { clickButton(0x5004d); }); // rotation X + 1
    expectUndoable([&] { clickButton(ids::ScaleTimesTen); });
    // An apply that changes nothing adds no step.
    const size_t steps = undoHistory.size();
    clickButton(ids::ApplyPosition);
    EXPECT_EQ(undoHistory.size(), steps);
}

// Every apply of the tool box's property tabs is one step: the node's type,
// then what the user does in its tab.
struct TabApply {
    const char* name;
    s32 addCommand;
    std::function<void(UndoTest&)> apply;
    // The step's name in English and French.
    const wchar_t* english;
    const wchar_t* french;
};

class UndoTabApplyTest : public UndoTest, public testing::WithParamInterface<TabApply> {
public:
    using UndoTest::chooseColour;
    using UndoTest::enterAttribute;
    void type(s32 id, const wchar_t* text) { setEditText(id, text); }
    void click(s32 id) { clickButton(id); }
    void choose(s32 comboId, s32 index) {
        auto* combo = static_cast<gui::IGUIComboBox*>(findElement(comboId));
        ASSERT_NE(combo, nullptr);
        combo->setSelected(index);
        postGuiEvent(gui::EGET_COMBO_BOX_CHANGED, combo);
    }
    void check(s32 id, bool checked) {
        auto* box = static_cast<gui::IGUICheckBox*>(findElement(id));
        ASSERT_NE(box, nullptr);
        box->setChecked(checked);
    }
    std::wstring media(const char* name) {
        return std::wstring(core::stringw((std::string(SORN_RUNTIME_DIR) + "/media/" + name).c_str()).c_str());
    }
};

TEST_P(UndoTabApplyTest, IsOneStep) {
    scene::ISceneNode* node = addFromMenu(GetParam().addCommand);
    ASSERT_NE(node, nullptr);
    createToolBox();
    select(node);
    expectUndoable([&] { GetParam().apply(*this); });
    expectNewestStepNamed(GetParam().english, GetParam().french);
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, UndoTabApplyTest,
    testing::Values(
        TabApply{"material_flags", ids::CmdAddCube,
                 [](UndoTest& t) {
                     auto& tab = static_cast<UndoTabApplyTest&>(t);
                     tab.check(ids::MaterialFirstFlagBox, true); // wire frame
                     tab.click(ids::MaterialFlagsSet);
                 }, L"Flags", L"Drapeaux"},
        TabApply{"default_flags", ids::CmdAddSphere,
                 [](UndoTest& t) {
                     static_cast<UndoTabApplyTest&>(t).click(ids::MaterialFlagsDefault);
                 }, L"Flags", L"Drapeaux"},
        TabApply{"material_type", ids::CmdAddCube,
                 [](UndoTest& t) { static_cast<UndoTabApplyTest&>(t).choose(ids::MaterialTypeCombo, 1); },
                 L"Material", L"Matériau"},
        TabApply{"texture", ids::CmdAddCube,
                 [](UndoTest& t) {
                     auto& tab = static_cast<UndoTabApplyTest&>(t);
                     tab.type(ids::MaterialTexturePath, tab.media("folder.png").c_str());
                     tab.click(ids::MaterialTextureSet);
                 }, L"Texture", L"Texture"},
        TabApply{"light", ids::CmdAddLight,
                 [](UndoTest& t) {
                     auto& tab = static_cast<UndoTabApplyTest&>(t);
                     tab.type(ids::LightFirstRow + 1, L"255,255,0,0");
                     tab.choose(ids::LightTypeCombo, 1);
                     tab.click(ids::LightApply);
                 }, L"Light", L"Lumière"},
        TabApply{"light_swatch", ids::CmdAddLight,
                 [](UndoTest& t) {
                     static_cast<UndoTabApplyTest&>(t).chooseColour(ids::LightFirstSwatch + 1, 0xff102030);
                     EXPECT_EQ(std::wstring(findElement(ids::LightFirstRow + 3)->getText()), L"255,16,32,48")
                         << "the swatch sets its row";
                 }, L"Light", L"Lumière"},
        TabApply{"volume_light_swatch", ids::CmdAddVolumeLight,
                 [](UndoTest& t) {
                     static_cast<UndoTabApplyTest&>(t).chooseColour(ids::VolumeLightFootSwatch, 0x80ff0000);
                 }, L"Volume light", L"Lumière volumique"},
        TabApply{"attribute_light_radius", ids::CmdAddLight,
                 [](UndoTest& t) { static_cast<UndoTabApplyTest&>(t).enterAttribute("Radius", L"250"); },
                 L"Attribute", L"Attribut"},
        TabApply{"attribute_light_diffuse", ids::CmdAddLight,
                 [](UndoTest& t) {
                     static_cast<UndoTabApplyTest&>(t).enterAttribute("DiffuseColor", L"255,255,0,0");
                 }, L"Attribute", L"Attribut"},
        TabApply{"attribute_visible", ids::CmdAddCube,
                 [](UndoTest& t) { static_cast<UndoTabApplyTest&>(t).enterAttribute("Visible", nullptr, false); },
                 L"Attribute", L"Attribut"},
        TabApply{"attribute_name", ids::CmdAddSphere,
                 [](UndoTest& t) {
                     static_cast<UndoTabApplyTest&>(t).enterAttribute("Name", L"B\u00e9b\u00e9 \u4e2d!");
                     EXPECT_EQ(std::string(editor.selectedNode->getName()), "B\xe9" "b\xe9 ?!");
                 },
                 L"Attribute", L"Attribut"},
        TabApply{"attribute_emitter_rate", ids::CmdAddParticle,
                 [](UndoTest& t) {
                     static_cast<UndoTabApplyTest&>(t).enterAttribute("MaxParticlesPerSecond", L"900");
                     auto* system = static_cast<scene::IParticleSystemSceneNode*>(editor.selectedNode);
                     EXPECT_EQ(system->getEmitter()->getMaxParticlesPerSecond(), 900u) << "beyond the reader's 200";
                 }, L"Attribute", L"Attribut"},
        TabApply{"emitter", ids::CmdAddParticle,
                 [](UndoTest& t) {
                     auto& tab = static_cast<UndoTabApplyTest&>(t);
                     tab.choose(ids::EmitterTypeCombo, 5); // ring
                     tab.click(ids::EmitterUpdate);
                 }, L"Emitter", L"Émetteur"},
        TabApply{"text", ids::CmdAddText,
                 [](UndoTest& t) {
                     auto& tab = static_cast<UndoTabApplyTest&>(t);
                     tab.type(ids::TextEdit, L"Hello, world");
                     tab.click(ids::TextApply);
                 }, L"Text", L"Texte"},
        TabApply{"volume_light", ids::CmdAddVolumeLight,
                 [](UndoTest& t) {
                     auto& tab = static_cast<UndoTabApplyTest&>(t);
                     tab.type(ids::VolumeLightTailEdit, L"255,255,0,0");
                     tab.type(ids::VolumeLightSubDivUEdit, L"8");
                     tab.click(ids::VolumeLightApply);
                 }, L"Volume light", L"Lumière volumique"},
        TabApply{"sky_box_face", ids::CmdAddSkyBox,
                 [](UndoTest& t) {
                     auto& tab = static_cast<UndoTabApplyTest&>(t);
                     tab.type(ids::SkyBoxUpEdit, tab.media("folder.png").c_str());
                     tab.click(ids::SkyBoxApply);
                 }, L"Texture", L"Texture"},
        TabApply{"terrain_image", ids::CmdAddTerrain,
                 [](UndoTest& t) {
                     auto& tab = static_cast<UndoTabApplyTest&>(t);
                     tab.type(ids::ImagePathEdit, tab.media("folder.png").c_str());
                     tab.click(ids::ImagePathApply);
                 }, L"Texture", L"Texture"}),
    [](const testing::TestParamInfo<TabApply>& info) { return std::string(info.param.name); });

// The grid is the editor's and no save writes it: its changes are undone
// like any tool box apply (a wrong size is one Ctrl+Z away) but are no
// unsaved work, so Quit after them asks nothing.
TEST_F(UndoTest, GridSizeAndSpacingAreStepsButNoUnsavedWork) {
    createToolBox();
    const auto changeGrid = [&](const wchar_t* size) {
        setEditText(ids::GridSizeEdit, size);
        setEditText(ids::GridSpacingEdit, L"50");
        clickButton(ids::GridApply);
    };
    expectUndoable([&] { changeGrid(L"500"); }, false);
    EXPECT_EQ(editor.gridSize, 500.f);
    undoLastChange();
    EXPECT_EQ(editor.gridSize, 2000.f);
    EXPECT_EQ(editor.gridSpacing, 100.f);

    // Saved with a grid step undone after it, then another grid change in its
    // place: the scene is still the saved one.
    addFromMenu(ids::CmdAddCube);
    changeGrid(L"700");
    onSceneSaved();
    undoLastChange();
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
    changeGrid(L"800");
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
    undoLastChange();
    undoLastChange(); // the cube goes
    EXPECT_TRUE(undoHistory.hasUnsavedChanges());
    redoLastChange();
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());

    chooseMenuCommand(ids::CmdQuit);
    EXPECT_EQ(findElement(ids::UnsavedChangesBox), nullptr);
    EXPECT_FALSE(editor.device->run());
}

// View menu items that change what a save writes (a sky's visibility, the
// selected node's debug drawing) are steps, and undo puts their check marks
// back with them.
struct ViewChange {
    const char* name;
    s32 addCommand;
    std::vector<s32> before; // chosen first, as steps of their own
    s32 command;
    // The step's name in English and French.
    const wchar_t* english;
    const wchar_t* french;
};

class UndoViewMenuTest : public UndoTest, public testing::WithParamInterface<ViewChange> {
protected:
    std::vector<bool> checks() {
        std::vector<bool> marks;
        for (s32 id = ids::CmdDebugOff; id <= ids::CmdDebugAll; ++id)
            marks.push_back(isMenuItemChecked(id));
        marks.push_back(isMenuItemChecked(ids::CmdSkyVisible));
        return marks;
    }
};

TEST_P(UndoViewMenuTest, IsOneStepAndItsCheckMarksFollowUndo) {
    select(addFromMenu(GetParam().addCommand));
    for (s32 command : GetParam().before)
        chooseMenuCommand(command);
    const std::vector<bool> before = checks();
    expectUndoable([&] { chooseMenuCommand(GetParam().command); });
    const std::vector<bool> after = checks();
    EXPECT_NE(after, before);
    undoLastChange();
    EXPECT_EQ(checks(), before);
    redoLastChange();
    EXPECT_EQ(checks(), after);
    expectNewestStepNamed(GetParam().english, GetParam().french);
    onSceneSaved();
    undoLastChange();
    EXPECT_TRUE(undoHistory.hasUnsavedChanges());
}

INSTANTIATE_TEST_SUITE_P(
    Items, UndoViewMenuTest,
    testing::Values(
        ViewChange{"sky_box_hidden", ids::CmdAddSkyBox, {}, ids::CmdSkyVisible, L"Sky", L"Ciel"},
        ViewChange{"sky_dome_shown", ids::CmdAddSkyDome, {ids::CmdSkyVisible}, ids::CmdSkyVisible, L"Sky", L"Ciel"},
        ViewChange{"bounding_box", ids::CmdAddCube, {}, ids::CmdDebugBoundingBox, L"Debug drawing",
                   L"Affichage de débogage"},
        ViewChange{"normals_off", ids::CmdAddSphere, {ids::CmdDebugNormals}, ids::CmdDebugNormals, L"Debug drawing",
                   L"Affichage de débogage"},
        ViewChange{"all", ids::CmdAddCube, {ids::CmdDebugSkeleton}, ids::CmdDebugAll, L"Debug drawing",
                   L"Affichage de débogage"},
        ViewChange{"off", ids::CmdAddCube, {ids::CmdDebugAll}, ids::CmdDebugOff, L"Debug drawing",
                   L"Affichage de débogage"}),
    [](const testing::TestParamInfo<ViewChange>& info) { return std::string(info.param.name); });

TEST_F(UndoTest, ViewItemsThatChangeNoSkyAndNoNodeAreNoSteps) {
    const size_t steps = undoHistory.size();
    chooseMenuCommand(ids::CmdSkyVisible); // no sky of the user's
    chooseMenuCommand(ids::CmdDebugAll);   // nothing selected
    chooseMenuCommand(ids::CmdGridVisible);
    EXPECT_EQ(undoHistory.size(), steps);
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
}

// The other kinds of change, each named in the Scene menu and on the status
// line: what is done first (not named), then the change itself.
class UndoNamedStepTest;

struct NamedChange {
    const char* name;
    std::function<void(UndoNamedStepTest&)> prepare;
    std::function<void(UndoNamedStepTest&)> change;
    const wchar_t* english;
    const wchar_t* french;
};

class UndoNamedStepTest : public UndoTest, public testing::WithParamInterface<NamedChange> {
public:
    scene::ISceneNode* cube = nullptr;
    scene::ISceneNode* other = nullptr;

    // A cube, picked in the scene box, with the tool box open.
    void addPickedCube() {
        cube = addFromMenu(ids::CmdAddCube);
        chooseMenuCommand(ids::CmdSceneBox);
        createToolBox();
        activePasses(3);
        pickInTree(cube);
    }
    // The tool box with nothing selected: its scene tab.
    void openToolBox() { createToolBox(); }
    void type(s32 id, const wchar_t* text) { setEditText(id, text); }
    void click(s32 id) { clickButton(id); }
    void release(EKEY_CODE key) { releaseKey(key); }
    void add(s32 command) { addFromMenu(command); }
};

TEST_P(UndoNamedStepTest, MenuAndStatusLineNameIt) {
    GetParam().prepare(*this);
    const size_t steps = undoHistory.size();
    GetParam().change(*this);
    ASSERT_EQ(undoHistory.size(), steps + 1) << "the change was no step";
    expectNewestStepNamed(GetParam().english, GetParam().french);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UndoNamedStepTest,
    testing::Values(
        NamedChange{"add", [](UndoNamedStepTest&) {}, [](UndoNamedStepTest& t) { t.add(ids::CmdAddSphere); },
                    L"Add", L"Ajout"},
        NamedChange{"move", [](UndoNamedStepTest& t) { t.addPickedCube(); },
                    [](UndoNamedStepTest& t) {
                        t.type(ids::PositionEditX, L"12.5");
                        t.click(ids::ApplyPosition);
                    },
                    L"Move", L"Déplacement"},
        NamedChange{"turn", [](UndoNamedStepTest& t) { t.addPickedCube(); },
                    [](UndoNamedStepTest& t) { t.click(0x5004d); }, // rotation X + 1
                    L"Turn", L"Rotation"},
        NamedChange{"scale", [](UndoNamedStepTest& t) { t.addPickedCube(); },
                    [](UndoNamedStepTest& t) { t.click(ids::ScaleTimesTen); }, L"Scale", L"Échelle"},
        NamedChange{"duplicate", [](UndoNamedStepTest& t) { t.addPickedCube(); },
                    [](UndoNamedStepTest& t) { t.click(ids::SceneBoxDuplicate); }, L"Duplicate", L"Duplication"},
        NamedChange{"delete", [](UndoNamedStepTest& t) { t.addPickedCube(); },
                    [](UndoNamedStepTest& t) { t.click(ids::SceneBoxRemove); }, L"Delete", L"Suppression"},
        NamedChange{"lighting_key", [](UndoNamedStepTest& t) { t.addPickedCube(); },
                    [](UndoNamedStepTest& t) { t.release(KEY_KEY_L); }, L"Lighting", L"Éclairage"},
        NamedChange{"rename", [](UndoNamedStepTest& t) { t.addPickedCube(); },
                    [](UndoNamedStepTest& t) {
                        t.type(ids::NameEdit, L"Crate");
                        t.click(ids::ApplyName);
                    },
                    L"Rename", L"Renommage"},
        NamedChange{"reparent",
                    [](UndoNamedStepTest& t) {
                        t.addPickedCube();
                        t.other = addNode(scene::ESNT_SPHERE, 0);
                    },
                    [](UndoNamedStepTest& t) {
                        reparentNodesRecorded({t.other}, t.cube->getParent());
                    },
                    L"Reparent", L"Changement de parent"},
        NamedChange{"cut", [](UndoNamedStepTest& t) { t.addPickedCube(); },
                    [](UndoNamedStepTest&) { cutNodes(nodesToCopy()); }, L"Cut", L"Coupe"},
        NamedChange{"paste",
                    [](UndoNamedStepTest& t) {
                        t.addPickedCube();
                        copyNodes(nodesToCopy());
                    },
                    [](UndoNamedStepTest&) { pasteFromClipboard(); }, L"Paste", L"Collage"},
        NamedChange{"grid", [](UndoNamedStepTest& t) { t.openToolBox(); },
                    [](UndoNamedStepTest& t) {
                        t.type(ids::GridSizeEdit, L"500");
                        t.click(ids::GridApply);
                    },
                    L"Grid", L"Grille"}),
    [](const testing::TestParamInfo<NamedChange>& info) { return std::string(info.param.name); });

// With nothing to undo or redo the items read as they always did; a new
// change ends the status line's note of the last undo.
TEST_F(UndoTest, PlainCaptionsWithNothingToUndoAndANewChangeEndsTheNote) {
    EXPECT_TRUE(menuText(ids::CmdUndo) == std::wstring(translate(L"menu_scene_undo").c_str()));
    EXPECT_TRUE(menuText(ids::CmdRedo) == std::wstring(translate(L"menu_scene_redo").c_str()));
    addFromMenu(ids::CmdAddCube);
    undoLastChange();
    EXPECT_TRUE(menuText(ids::CmdUndo) == L"Undo (Ctrl+Z)");
    EXPECT_TRUE(statusNote() == L"Undone: Add");
    addFromMenu(ids::CmdAddSphere);
    EXPECT_TRUE(statusNote().empty());
    EXPECT_TRUE(menuText(ids::CmdRedo) == L"Redo (Ctrl+Y)");
    forgetSceneHistory();
    EXPECT_TRUE(menuText(ids::CmdUndo) == L"Undo (Ctrl+Z)");
}

TEST_F(UndoTest, DeleteComesBackWithChildrenAtItsPlace) {
    scene::ISceneNode* first = addFromMenu(ids::CmdAddCube);
    scene::ISceneNode* middle = addFromMenu(ids::CmdAddSphere);
    addFromMenu(ids::CmdAddLight);
    scene::ISceneNode* child = smgr()->addCubeSceneNode(3.f, middle);
    child->setName("Child");
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    pickInTree(middle);
    expectUndoable([&] { clickButton(ids::SceneBoxRemove); });
    // Redo deleted it again; one more undo puts it back in second place.
    undoLastChange();
    activePasses(3);
    const auto& siblings = smgr()->getRootSceneNode()->getChildren();
    std::vector<scene::ISceneNode*> order;
    for (scene::ISceneNode* sibling : siblings)
        order.push_back(sibling);
    auto at = std::find(order.begin(), order.end(), middle);
    ASSERT_NE(at, order.end());
    EXPECT_EQ(*(at - 1), first);
    EXPECT_EQ(child->getParent(), middle);
    // Tree picks of the restored node work again.
    pickInTree(middle);
    EXPECT_EQ(editor.selectedNode, middle);
}

// Moving nodes under another keeps where they are in the world, whatever the
// transformations of the parents, old and new; undo and redo give back each
// scene exactly.
struct ReparentCase {
    const char* name;
    core::vector3df parentPosition, parentRotation, parentScale;
    core::vector3df targetPosition, targetRotation, targetScale;
};

class UndoReparentTest : public UndoTest, public testing::WithParamInterface<ReparentCase> {};

TEST_P(UndoReparentTest, KeepsTheWorldPlaceAndIsOneStep) {
    const ReparentCase& c = GetParam();
    scene::ISceneNode* parent = smgr()->addEmptySceneNode();
    parent->setPosition(c.parentPosition);
    parent->setRotation(c.parentRotation);
    parent->setScale(c.parentScale);
    parent->setName("old parent");
    scene::ISceneNode* target = smgr()->addEmptySceneNode();
    target->setPosition(c.targetPosition);
    target->setRotation(c.targetRotation);
    target->setScale(c.targetScale);
    target->setName("new parent");
    scene::ISceneNode* node = smgr()->addCubeSceneNode(10.f, parent, -1, {1, 2, 3}, {10, 20, 30}, {1, 2, 1});
    smgr()->addSphereSceneNode(5.f, 16, parent)->setName("sibling after");
    const core::vector3df corners[] = {{0, 0, 0}, {5, 5, 5}, {-5, 5, -5}};
    std::vector<core::vector3df> world;
    for (core::vector3df p : corners) {
        worldTransformOf(node).transformVect(p);
        world.push_back(p);
    }
    expectUndoable([&] { ASSERT_TRUE(reparentNodesRecorded({node}, target)); });
    EXPECT_EQ(node->getParent(), target);
    for (size_t i = 0; i < world.size(); ++i) {
        core::vector3df p = corners[i];
        worldTransformOf(node).transformVect(p);
        EXPECT_NEAR(p.X, world[i].X, 2e-3f) << i;
        EXPECT_NEAR(p.Y, world[i].Y, 2e-3f) << i;
        EXPECT_NEAR(p.Z, world[i].Z, 2e-3f) << i;
    }
    undoLastChange();
    EXPECT_EQ(*parent->getChildren().begin(), node) << "back first among its siblings";
}

INSTANTIATE_TEST_SUITE_P(
    Parents, UndoReparentTest,
    testing::Values(ReparentCase{"moved", {10, 0, 0}, {}, {1, 1, 1}, {0, -4, 2}, {}, {1, 1, 1}},
                    ReparentCase{"turned", {0, 0, 0}, {0, 90, 0}, {1, 1, 1}, {3, 0, 0}, {45, 0, 30}, {1, 1, 1}},
                    ReparentCase{"scaled", {1, 1, 1}, {}, {2, 2, 2}, {0, 0, 0}, {}, {0.5f, 0.5f, 0.5f}},
                    ReparentCase{"all", {4, 5, 6}, {10, 20, 30}, {3, 3, 3}, {-7, 1, 2}, {0, 0, 90}, {2, 2, 2}}),
    [](const testing::TestParamInfo<ReparentCase>& info) { return std::string(info.param.name); });

// The list form: nodes under one another move as one (the top one carries
// the rest), a node named twice moves once, and nothing goes under itself,
// its descendants, or where it already is.
TEST_F(UndoTest, ReparentTakesAListAndRefusesWhatCannotMove) {
    scene::ISceneNode* root = smgr()->getRootSceneNode();
    scene::ISceneNode* a = smgr()->addEmptySceneNode();
    scene::ISceneNode* b = smgr()->addEmptySceneNode(a);
    scene::ISceneNode* c = smgr()->addEmptySceneNode(b);
    scene::ISceneNode* target = smgr()->addEmptySceneNode();
    const size_t steps = undoHistory.size();
    EXPECT_FALSE(reparentNodesRecorded({a}, c)) << "under its own descendant";
    EXPECT_FALSE(reparentNodesRecorded({a}, a)) << "under itself";
    EXPECT_FALSE(reparentNodesRecorded({b}, a)) << "already there";
    EXPECT_FALSE(reparentNodesRecorded({}, target));
    EXPECT_EQ(undoHistory.size(), steps);

    ASSERT_TRUE(reparentNodesRecorded({c, b, b, target}, target));
    EXPECT_EQ(undoHistory.size(), steps + 1);
    EXPECT_EQ(b->getParent(), target);
    EXPECT_EQ(c->getParent(), b) << "carried by its parent";
    EXPECT_EQ(target->getParent(), root);
    EXPECT_EQ(target->getChildren().size(), 1u);
    undoLastChange();
    EXPECT_EQ(b->getParent(), a);
    EXPECT_EQ(c->getParent(), b);
}

// A name from the object tab's row: one step, characters beyond what the
// font shows become '?', and the same name again is no step.
TEST_F(UndoTest, RenameFromTheNameRowIsOneStep) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdSceneBox);
    createToolBox();
    activePasses(3);
    pickInTree(cube);
    expectUndoable([&] {
        setEditText(ids::NameEdit, L"B\u00F6x \u4E2D");
        clickButton(ids::ApplyName);
    });
    EXPECT_EQ(std::string(cube->getName()), "B\xF6x ?");
    const size_t steps = undoHistory.size();
    setEditText(ids::NameEdit, L"B\u00F6x ?");
    clickButton(ids::ApplyName);
    EXPECT_EQ(undoHistory.size(), steps) << "no change, no step";
    setEditText(ids::NameEdit, L"");
    postGuiEvent(gui::EGET_EDITBOX_ENTER, findElement(ids::NameEdit));
    EXPECT_EQ(std::string(cube->getName()), "") << "Enter in the row applies it";
    EXPECT_EQ(undoHistory.size(), steps + 1);
}

// A camera's field of view and a light's radius changed in the attributes
// tab are saved, and the reopened scene shows them there.
TEST_F(UndoTest, AttributeEditsSaveAndReopen) {
    scene::ICameraSceneNode* camera =
        smgr()->addCameraSceneNode(nullptr, core::vector3df(0, 0, 0), core::vector3df(0, 0, 100), -1, false);
    camera->setName("Cam");
    scene::ISceneNode* light = addFromMenu(ids::CmdAddLight);
    light->setName("Lamp");
    createToolBox();
    select(camera);
    enterAttribute("Fovy", L"0.5");
    EXPECT_FLOAT_EQ(camera->getFOV(), 0.5f);
    select(light);
    enterAttribute("Radius", L"250");
    enterAttribute("Radius", L"0"); // no attenuation a file can carry: kept
    EXPECT_FLOAT_EQ(static_cast<scene::ILightSceneNode*>(light)->getRadius(), 250.f);

    const std::string path = appFolder.file("attributes.irr");
    ASSERT_TRUE(saveSceneFile(path, textNodeUserData()));
    openSceneFromDialog(path);
    activePasses(3);
    auto* reopenedCamera = static_cast<scene::ICameraSceneNode*>(smgr()->getSceneNodeFromName("Cam"));
    ASSERT_NE(reopenedCamera, nullptr);
    EXPECT_FLOAT_EQ(reopenedCamera->getFOV(), 0.5f);
    scene::ISceneNode* reopenedLight = smgr()->getSceneNodeFromName("Lamp");
    ASSERT_NE(reopenedLight, nullptr);
    select(reopenedLight);
    gui::IGUIElement* radius = findElement(attributeRowId(findElement(ids::AttributesPanel), "Radius"));
    ASSERT_NE(radius, nullptr);
    EXPECT_EQ(std::wstring(radius->getText()), L"250.000000");
}

// Renamed and regrouped nodes are saved as they are shown: the names with
// their accents and XML characters, the child inside its new parent.
TEST_F(UndoTest, RenamedAndReparentedNodesSaveAndReopenAsShown) {
    const wchar_t* const names[] = {L"Cr\u00E8me & <br\u00FBl\u00E9e> \"x\"", L"\u00C9TAG\u00C8RE", L""};
    std::vector<scene::ISceneNode*> nodes;
    for (const wchar_t* name : names) {
        nodes.push_back(addFromMenu(ids::CmdAddCube));
        renameNodeRecorded(nodes.back(), name);
    }
    nodes[0]->setPosition({4, 0, 0});
    const core::vector3df world = worldTransformOf(nodes[1]).getTranslation();
    ASSERT_TRUE(reparentNodesRecorded({nodes[1]}, nodes[0]));
    const std::string path = appFolder.file("renamed.irr");
    ASSERT_TRUE(saveSceneFile(path, textNodeUserData()));
    // The file spells the names as the bytes the engine holds (8-bit text).
    const std::string text = test::readFile(path);
    ASSERT_EQ(text.compare(0, 5, "<?xml"), 0);
    EXPECT_NE(text.find("Cr\xE8me &amp; &lt;br\xFBl\xE9" "e&gt;"), std::string::npos);
    EXPECT_NE(text.find("\xC9TAG\xC8RE"), std::string::npos);
    openSceneFromDialog(path);
    activePasses(3);
    std::vector<std::wstring> found;
    std::function<void(scene::ISceneNode*, int)> walk = [&](scene::ISceneNode* node, int depth) {
        for (scene::ISceneNode* child : node->getChildren()) {
            if (child->isDebugObject() || child->getType() == scene::ESNT_CAMERA)
                continue;
            found.push_back(std::wstring(depth, L' ') + std::wstring(nodeNameText(child).c_str()));
            walk(child, depth + 1);
        }
    };
    walk(smgr()->getRootSceneNode(), 0);
    const std::vector<std::wstring> expected = {names[0], std::wstring(L" ") + names[1], names[2]};
    EXPECT_TRUE(found == expected) << found.size();
    scene::ISceneNode* reopened = smgr()->getSceneNodeFromName(narrowToBytes(names[1]).c_str());
    ASSERT_NE(reopened, nullptr);
    EXPECT_NEAR(worldTransformOf(reopened).getTranslation().X, world.X, 1e-3f) << "kept in place";
    EXPECT_NEAR(worldTransformOf(reopened).getTranslation().Z, world.Z, 1e-3f) << "kept in place";
}

TEST_F(UndoTest, DuplicateIsOneStep) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    pickInTree(cube);
    expectUndoable([&] { clickButton(ids::SceneBoxDuplicate); });
}

TEST_F(UndoTest, AWholeDragIsOneStepAndARightClickResetIsOne) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    pickInTree(cube);
    releaseKey(KEY_KEY_X);
    expectUndoable([&] {
        mouseEvent(EMIE_MOUSE_MOVED, 100, 300);
        mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 100, 300);
        for (s32 x = 101; x < 120; ++x)
            mouseEvent(EMIE_MOUSE_MOVED, x, 300);
        mouseEvent(EMIE_LMOUSE_LEFT_UP, 120, 300);
    });
    EXPECT_NE(cube->getPosition().X, 0.f);
    releaseKey(KEY_KEY_X);
    releaseKey(KEY_KEY_R);
    releaseKey(KEY_KEY_X); // rotate about X
    cube->setRotation(core::vector3df(10.f, 20.f, 30.f));
    expectUndoable([&] { mouseEvent(EMIE_RMOUSE_LEFT_UP, 200, 200); });
}

// ---- Several selected nodes: every action on them is one step ----------------

struct GroupChange {
    const char* name;
    std::function<void(UndoTest&)> run;
};

class UndoGroupTest : public UndoTest, public testing::WithParamInterface<GroupChange> {
public:
    void click(s32 id) { clickButton(id); }
    void key(EKEY_CODE code) { releaseKey(code); }
    void mouse(EMOUSE_INPUT_EVENT type, s32 x, s32 y) { mouseEvent(type, x, y); }
    void text(s32 id, const wchar_t* value) { setEditText(id, value); }
};

const GroupChange kGroupChanges[] = {
    {"delete", [](UndoTest& t) { static_cast<UndoGroupTest&>(t).click(ids::SceneBoxRemove); }},
    {"delete_key", [](UndoTest& t) { static_cast<UndoGroupTest&>(t).key(KEY_DELETE); }},
    {"duplicate", [](UndoTest& t) { static_cast<UndoGroupTest&>(t).click(ids::SceneBoxDuplicate); }},
    {"object_tab_set",
     [](UndoTest& t) {
         auto& g = static_cast<UndoGroupTest&>(t);
         g.text(ids::PositionEditY, L"12");
         g.click(ids::ApplyPosition);
     }},
    {"object_tab_step", [](UndoTest& t) { static_cast<UndoGroupTest&>(t).click(0x50047); }},
    {"drag",
     [](UndoTest& t) {
         auto& g = static_cast<UndoGroupTest&>(t);
         g.key(KEY_KEY_R);
         g.mouse(EMIE_LMOUSE_PRESSED_DOWN, 400, 300);
         for (s32 x = 401; x < 420; ++x)
             g.mouse(EMIE_MOUSE_MOVED, x, 300);
         g.mouse(EMIE_LMOUSE_LEFT_UP, 420, 300);
         g.key(KEY_KEY_R);
     }},
};

std::ostream& operator<<(std::ostream& out, const GroupChange& c) { return out << c.name; }

TEST_P(UndoGroupTest, IsOneStepForAllSelected) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    scene::ISceneNode* sphere = addFromMenu(ids::CmdAddSphere);
    scene::ISceneNode* light = addFromMenu(ids::CmdAddLight);
    cube->setPosition({-20.f, 0.f, 0.f});
    sphere->setPosition({20.f, 0.f, 0.f});
    chooseMenuCommand(ids::CmdSceneBox);
    chooseMenuCommand(ids::CmdToolBox);
    activePasses(3);
    pickInTree(cube);
    clickTreeRow(sphere, true);
    ASSERT_EQ(selectedNodes(), (std::vector<scene::ISceneNode*>{cube, sphere}));
    const core::vector3df lightAt = light->getPosition();
    expectUndoable([&] { GetParam().run(*this); });
    EXPECT_EQ(light->getPosition(), lightAt) << "a node not selected is left alone";
}

INSTANTIATE_TEST_SUITE_P(Actions, UndoGroupTest, testing::ValuesIn(kGroupChanges),
                         [](const testing::TestParamInfo<GroupChange>& info) { return std::string(info.param.name); });

TEST_F(UndoTest, UndoingAGroupDeleteBringsBothBackAndRedoDropsThemFromTheSelection) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    scene::ISceneNode* sphere = addFromMenu(ids::CmdAddSphere);
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    pickInTree(cube);
    clickTreeRow(sphere, true);
    clickButton(ids::SceneBoxRemove);
    EXPECT_TRUE(typeCtrlKey(KEY_KEY_Z));
    EXPECT_EQ(cube->getParent(), smgr()->getRootSceneNode());
    EXPECT_EQ(sphere->getParent(), smgr()->getRootSceneNode());
    // Selected again, then the delete redone: both leave the selection.
    pickInTree(cube);
    clickTreeRow(sphere, true);
    typeCtrlKey(KEY_KEY_Y); // the delete again
    EXPECT_TRUE(selectedNodes().empty());
}

// Nodes with animators, held aside as after an open.
class AnimatedUndoTest : public UndoTest {
protected:
    scene::ISceneNode* animatedCube(const core::vector3df& position, scene::ISceneNodeAnimator* animator) {
        select(nullptr);
        scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
        cube->setPosition(position);
        cube->addAnimator(animator);
        animator->drop();
        return cube;
    }

    void runFor(u32 milliseconds) {
        for (u32 passed = 0; passed < milliseconds; passed += 100) {
            editor.device->getTimer()->setTime(editor.device->getTimer()->getTime() + 100);
            activePasses(1);
        }
    }

    // A drag along X in the view, the animation running between the pointer's
    // moves. Returns how far the moves themselves took the node.
    f32 dragAlongX(scene::ISceneNode* node) {
        select(node);
        releaseKey(KEY_KEY_X);
        f32 moved = 0.f;
        mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, 100, 300);
        for (s32 x = 101; x < 120; ++x, runFor(100)) {
            const f32 before = node->getPosition().X;
            mouseEvent(EMIE_MOUSE_MOVED, x, 300);
            moved += node->getPosition().X - before;
        }
        mouseEvent(EMIE_LMOUSE_LEFT_UP, 120, 300);
        releaseKey(KEY_KEY_X);
        return moved;
    }

    void playOrStop() { chooseMenuCommand(ids::CmdPlayAnimation); }
};

TEST_F(AnimatedUndoTest, EditsWhilePlayingMoveTheAuthoredStateAndUndoWorksEitherWay) {
    scene::ISceneNode* flyer = animatedCube({10, 0, 0}, smgr()->createFlyCircleAnimator({0, 0, 0}, 50.f));
    scene::ISceneNode* spinner = animatedCube({0, 0, 0}, smgr()->createRotationAnimator({0, 1, 0}));
    holdSceneAnimators();
    createToolBox();
    const size_t steps = undoHistory.size();
    playOrStop();
    runFor(500);
    const core::vector3df flyerMoved(10.f + dragAlongX(flyer), 0, 0), spinnerMoved(1, 2, 3);
    ASSERT_GT(flyerMoved.X, 15.f);
    select(spinner);
    setEditText(ids::PositionEditX, L"1");
    setEditText(ids::PositionEditY, L"2");
    setEditText(ids::PositionEditZ, L"3");
    clickButton(ids::ApplyPosition);
    runFor(300);
    playOrStop();
    EXPECT_TRUE(flyer->getPosition().equals(flyerMoved, 1e-3f)) << "where the drag put it, not where it flew";
    EXPECT_EQ(spinner->getPosition(), spinnerMoved);
    EXPECT_EQ(spinner->getRotation(), core::vector3df(0, 0, 0)) << "its turning was the animation's";

    // Undo and redo stopped, then while playing: each gives the authored state.
    const struct {
        void (*step)();
        bool playing;
        core::vector3df flyer, spinner;
    } moves[] = {
        {undoLastChange, false, flyerMoved, {0, 0, 0}}, {undoLastChange, false, {10, 0, 0}, {0, 0, 0}},
        {redoLastChange, true, flyerMoved, {0, 0, 0}},  {redoLastChange, true, flyerMoved, spinnerMoved},
        {undoLastChange, true, flyerMoved, {0, 0, 0}},
    };
    for (const auto& move : moves) {
        if (move.playing)
            playOrStop(), runFor(300);
        move.step();
        if (move.playing)
            runFor(300), playOrStop();
        EXPECT_TRUE(flyer->getPosition().equals(move.flyer, 1e-3f)) << &move - moves;
        EXPECT_EQ(spinner->getPosition(), move.spinner) << &move - moves;
        EXPECT_EQ(undoHistory.size(), steps + 2) << "each edit one step, play none";
    }
}

TEST_F(AnimatedUndoTest, CopiesGetTheHeldAnimatorsAndADeletedNodeKeepsThem) {
    scene::ISceneNode* cube = animatedCube({5, 0, 0}, smgr()->createRotationAnimator({0, 1, 0}));
    scene::ISceneNodeAnimator* deletion = smgr()->createDeleteAnimator(100);
    cube->addAnimator(deletion);
    deletion->drop();
    holdSceneAnimators();
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    auto duplicate = [&] {
        pickInTree(cube);
        clickButton(ids::SceneBoxDuplicate);
        return *smgr()->getRootSceneNode()->getChildren().getLast();
    };
    scene::ISceneNode* copies[] = {duplicate(), nullptr};
    playOrStop();
    runFor(1000);
    copies[1] = duplicate();
    runFor(1000);
    for (scene::ISceneNode* copy : copies) {
        EXPECT_EQ(copy->getParent(), smgr()->getRootSceneNode()) << "its deletion animator never runs";
        EXPECT_NE(copy->getRotation(), core::vector3df(0, 0, 0)) << "the copy plays";
    }
    playOrStop();
    // Deleted and brought back by undo, a copy still has its animators.
    pickInTree(copies[0]);
    clickButton(ids::SceneBoxRemove);
    activePasses(3);
    holdSceneAnimators(); // lets go of the nodes nothing else holds
    undoLastChange();
    for (scene::ISceneNode* copy : copies) {
        EXPECT_EQ(copy->getRotation(), core::vector3df(0, 0, 0)) << "the original's authored state";
        EXPECT_TRUE(copy->getAnimators().empty());
        ASSERT_EQ(heldAnimatorCount(copy), 2u);
        for (u32 i = 0; i < 2; ++i) {
            EXPECT_NE(heldAnimator(copy, i), heldAnimator(cube, i));
            EXPECT_EQ(heldAnimator(copy, i)->getType(), heldAnimator(cube, i)->getType());
        }
    }
}

// Each kind of animator the user adds, with what its defaults hold around a
// node at (7, 3, -2) carrying a texture.
struct AddedKind {
    AnimatorKind kind;
    const char* attribute; // "": it has none
    const wchar_t* expected;
};
const AddedKind kAddedKinds[] = {
    {AnimatorKind::Rotation, "Rotation", L"0.000000, 1.000000, 0.000000"},
    {AnimatorKind::FlyCircle, "Center", L"7.000000, 3.000000, -2.000000"},
    {AnimatorKind::FlyStraight, "End", L"27.000000, 3.000000, -2.000000"},
    {AnimatorKind::FollowSpline, "Point3", L"27.000000, 3.000000, 18.000000"},
    {AnimatorKind::Texture, "Texture1", L"spot.png"},
    {AnimatorKind::Deletion, "", L""},
};

class AnimatorEditFixture : public AnimatedUndoTest {
protected:
    void SetUp() override {
        AnimatedUndoTest::SetUp();
        ASSERT_TRUE(test::writeTestImage(appFolder.file("spot.png")));
        texture = editor.device->getVideoDriver()->getTexture(appFolder.file("spot.png").c_str());
        node = animatedCube({7, 3, -2}, smgr()->createRotationAnimator({1, 0, 0}));
        node->setMaterialTexture(0, texture);
        holdSceneAnimators();
    }

    // A value as text; a texture by its file's name.
    std::wstring valueOf(scene::ISceneNodeAnimator* animator, const char* name) {
        auto attributes = EngineRef<io::IAttributes>::adopt(smgr()->getFileSystem()->createEmptyAttributes());
        animator->serializeAttributes(attributes.get());
        video::ITexture* shown = attributes->getAttributeAsTexture(name);
        if (attributes->getAttributeType(name) == io::EAT_TEXTURE && shown)
            return core::stringw(smgr()->getFileSystem()->getFileBasename(shown->getName())).c_str();
        return attributes->getAttributeAsStringW(name).c_str();
    }

    std::vector<scene::ISceneNodeAnimator*> held() {
        std::vector<scene::ISceneNodeAnimator*> list;
        for (u32 i = 0; i < heldAnimatorCount(node); ++i)
            list.push_back(heldAnimator(node, i));
        return list;
    }

    // Records the edit's step as the tool box does; fails without one.
    void record(AnimatorEdit edit) {
        ASSERT_NE(edit.step, nullptr) << static_cast<int>(edit.refusal);
        recordStep(std::move(edit.step));
    }

    video::ITexture* texture = nullptr;
    scene::ISceneNode* node = nullptr;
};

class AnimatorEditTest : public AnimatorEditFixture, public testing::WithParamInterface<AddedKind> {};

TEST_P(AnimatorEditTest, AddRemoveAndTheirUndoKeepTheListExactlyStoppedOrPlaying) {
    const AddedKind& added = GetParam();
    const size_t steps = undoHistory.size();
    const auto original = held();
    record(addAnimator(node, added.kind));
    auto withIt = held();
    ASSERT_EQ(withIt.size(), 2u);
    EXPECT_EQ(withIt[0], original[0]);
    EXPECT_EQ(withIt[1]->getType(), animatorTypeOf(added.kind));
    EXPECT_TRUE(valueOf(withIt[1], added.attribute) == added.expected) << added.attribute;
    EXPECT_TRUE(node->getAnimators().empty()) << "held aside, as the node's others";

    // Undo and redo, stopped and then playing (longer than a deletion waits).
    for (bool playing : {false, true}) {
        if (playing)
            playOrStop(), runFor(12000);
        undoLastChange();
        EXPECT_TRUE(held() == original) << playing;
        redoLastChange();
        EXPECT_TRUE(held() == withIt) << playing;
        if (playing)
            runFor(300), playOrStop();
    }
    EXPECT_EQ(node->getParent(), smgr()->getRootSceneNode()) << "play costs no node";
    EXPECT_EQ(node->getPosition(), core::vector3df(7, 3, -2));
    // Removed from the front and put back there.
    record(addAnimator(node, AnimatorKind::Rotation));
    withIt = held();
    record(removeAnimator(node, 1));
    EXPECT_EQ(held(), (std::vector<scene::ISceneNodeAnimator*>{withIt[0], withIt[2]}));
    undoLastChange();
    EXPECT_TRUE(held() == withIt);
    EXPECT_EQ(undoHistory.size(), steps + 3);
    EXPECT_EQ(removeAnimator(node, 3).refusal, AnimatorRefusal::NoAnimator);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AnimatorEditTest, testing::ValuesIn(kAddedKinds),
                         [](const auto& info) { return std::to_string(static_cast<int>(info.param.kind)); });

class AnimatorChangeTest : public AnimatorEditFixture {};

// A new value is one step that undo takes back to the very animator before;
// a time of 0 ms, which stops the engine, and numbers that are none are refused.
TEST_F(AnimatorChangeTest, IsOneStepOrRefusedAndUndoGivesTheAnimatorBack) {
    const struct {
        AnimatorKind kind;
        const char* attribute;
        const wchar_t* value;
        bool refused;
    } changes[] = {
        {AnimatorKind::Rotation, "Rotation", L"0.000000, 2.500000, 0.000000", false},
        {AnimatorKind::FlyCircle, "Radius", L"25.000000", false},
        {AnimatorKind::FlyCircle, "Center", L"1e39, 0, 0", true}, // read as infinity
        {AnimatorKind::FlyStraight, "TimeForWay", L"0", true},
        {AnimatorKind::FollowSpline, "Point1", L"1.000000, 2.000000, 3.000000", false},
        {AnimatorKind::Texture, "TimePerFrame", L"0", true},
        {AnimatorKind::Texture, "TimePerFrame", L"250", false},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.attribute);
        record(addAnimator(node, change.kind));
        const u32 index = heldAnimatorCount(node) - 1;
        scene::ISceneNodeAnimator* before = heldAnimator(node, index);
        const std::wstring old = valueOf(before, change.attribute);
        auto attributes = EngineRef<io::IAttributes>::adopt(smgr()->getFileSystem()->createEmptyAttributes());
        before->serializeAttributes(attributes.get());
        EXPECT_EQ(changeAnimator(node, index, attributes.get()).step, nullptr) << "the same values change nothing";
        attributes->setAttribute(change.attribute, change.value);
        const size_t steps = undoHistory.size();
        AnimatorEdit edit = changeAnimator(node, index, attributes.get());
        if (change.refused) {
            EXPECT_EQ(edit.refusal, AnimatorRefusal::UnsafeValues);
            EXPECT_EQ(heldAnimator(node, index), before);
            continue;
        }
        record(std::move(edit));
        EXPECT_TRUE(valueOf(heldAnimator(node, index), change.attribute) == change.value);
        EXPECT_TRUE(valueOf(before, change.attribute) == old) << "the original is kept for undo";
        undoLastChange();
        EXPECT_EQ(heldAnimator(node, index), before);
        redoLastChange();
        EXPECT_TRUE(valueOf(heldAnimator(node, index), change.attribute) == change.value);
        EXPECT_EQ(undoHistory.size(), steps + 1);
    }
}

TEST_F(AnimatorChangeTest, AFilesTextureAnimatorOfNoTimeDoesNotStopPlay) {
    core::array<video::ITexture*> textures;
    textures.push_back(texture);
    textures.push_back(texture);
    scene::ISceneNode* flicker = animatedCube({0, 0, 0}, smgr()->createTextureAnimator(textures, 0));
    holdSceneAnimators();
    playOrStop();
    runFor(500);
    playOrStop();
    EXPECT_EQ(heldAnimatorCount(flicker), 1u);
}

TEST_F(AnimatorChangeTest, AddedAnimatorsAreSavedInOrderWithTheirValues) {
    for (const AddedKind& added : kAddedKinds)
        record(addAnimator(node, added.kind));
    auto attributes = EngineRef<io::IAttributes>::adopt(smgr()->getFileSystem()->createEmptyAttributes());
    heldAnimator(node, 2)->serializeAttributes(attributes.get());
    attributes->setAttribute("Radius", 33.f);
    record(changeAnimator(node, 2, attributes.get()));
    node->setName("Animated");
    // Each animator as its type and its values.
    const auto valuesOf = [&](scene::ISceneNode* n) {
        std::vector<std::wstring> values;
        for (u32 i = 0; i < heldAnimatorCount(n); ++i) {
            auto written = EngineRef<io::IAttributes>::adopt(smgr()->getFileSystem()->createEmptyAttributes());
            heldAnimator(n, i)->serializeAttributes(written.get());
            values.push_back(L"type " + std::to_wstring(heldAnimator(n, i)->getType()));
            for (u32 a = 0; a < written->getAttributeCount(); ++a)
                values.push_back(valueOf(heldAnimator(n, i), written->getAttributeName(static_cast<s32>(a))));
        }
        return values;
    };
    const auto authored = valuesOf(node);
    ASSERT_TRUE(saveSceneFile(appFolder.file("animators.irr"), textNodeUserData()));
    openSceneFromDialog(appFolder.file("animators.irr"));
    activePasses(3);
    scene::ISceneNode* reopened = smgr()->getSceneNodeFromName("Animated");
    ASSERT_NE(reopened, nullptr);
    ASSERT_EQ(heldAnimatorCount(reopened), 7u);
    EXPECT_TRUE(valuesOf(reopened) == authored);
    EXPECT_TRUE(valueOf(heldAnimator(reopened, 2), "Radius") == L"33.000000");
}

TEST_F(UndoTest, LightingKeyIsAStepAndCtrlZNeverSwitchesAMode) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    pickInTree(cube);
    expectUndoable([&] { releaseKey(KEY_KEY_L); });
    EXPECT_TRUE(typeCtrlKey(KEY_KEY_Z));
    EXPECT_EQ(editor.editMode, ids::ModeNone);
    EXPECT_FALSE(editor.gizmoActive);
}

// The lighting key flips the model lighting flag and gives it to the node:
// after an undo, the key flips the node's lighting as restored.
TEST_F(UndoTest, LightingKeyAfterAnUndoFlipsTheNodesLighting) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    pickInTree(cube);
    cube->setMaterialFlag(video::EMF_LIGHTING, editor.modelLighting); // as the flag stands
    const bool lit = cube->getMaterial(0).Lighting;
    releaseKey(KEY_KEY_L);
    ASSERT_NE(cube->getMaterial(0).Lighting, lit);
    undoLastChange();
    ASSERT_EQ(cube->getMaterial(0).Lighting, lit);
    releaseKey(KEY_KEY_L);
    EXPECT_NE(cube->getMaterial(0).Lighting, lit) << "the key did nothing visible after the undo";
    EXPECT_EQ(editor.modelLighting, cube->getMaterial(0).Lighting);
}

TEST_F(UndoTest, KeysUndoAndRedoButNotWhileTypingOrAskingAndMenuFollows) {
    EXPECT_FALSE(menuItemEnabled(ids::CmdUndo));
    EXPECT_FALSE(menuItemEnabled(ids::CmdRedo));
    addFromMenu(ids::CmdAddCube);
    EXPECT_TRUE(menuItemEnabled(ids::CmdUndo));
    const u32 withCube = smgr()->getRootSceneNode()->getChildren().size();

    EXPECT_TRUE(typeCtrlKey(KEY_KEY_Z));
    EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), withCube - 1);
    EXPECT_FALSE(menuItemEnabled(ids::CmdUndo));
    EXPECT_TRUE(menuItemEnabled(ids::CmdRedo));
    EXPECT_TRUE(typeCtrlKey(KEY_KEY_Y));
    EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), withCube);
    EXPECT_TRUE(typeCtrlKey(KEY_KEY_Z));
    EXPECT_TRUE(typeCtrlKey(KEY_KEY_Z, true)); // Ctrl+Shift+Z redoes
    EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), withCube);

    // An edit box with the focus keeps the keys for its text.
    createToolBox();
    ASSERT_TRUE(gui()->setFocus(findElement(ids::GridSizeEdit)));
    ASSERT_EQ(gui()->getFocus(), findElement(ids::GridSizeEdit));
    EXPECT_FALSE(typeCtrlKey(KEY_KEY_Z));
    EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), withCube);
    gui()->removeFocus(gui()->getFocus());

    // So does a modal window.
    gui()->addMessageBox(L"x", L"y", true);
    typeCtrlKey(KEY_KEY_Z);
    EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), withCube);
}

TEST_F(UndoTest, UndoFromTheMenu) {
    addFromMenu(ids::CmdAddSphere);
    const u32 withSphere = smgr()->getRootSceneNode()->getChildren().size();
    chooseMenuCommand(ids::CmdUndo);
    EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), withSphere - 1);
    chooseMenuCommand(ids::CmdRedo);
    EXPECT_EQ(smgr()->getRootSceneNode()->getChildren().size(), withSphere);
}

TEST_F(UndoTest, UndoOfAnAddDropsASelectionThatLeftTheScene) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    pickInTree(cube);
    ASSERT_EQ(editor.selectedNode, cube);
    undoLastChange();
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_FALSE(editor.nodeSelected);
    activePasses(3);
    EXPECT_EQ(treeItemFor(cube), nullptr);
    // A new change forgets the add: the node is released, the stale pointer
    // is never used again.
    addFromMenu(ids::CmdAddSphere);
    EXPECT_FALSE(undoHistory.canRedo());
}

TEST_F(UndoTest, UndoOfADeleteWhoseParentWasDeletedSince) {
    scene::ISceneNode* parent = addFromMenu(ids::CmdAddCube);
    scene::ISceneNode* child = smgr()->addSphereSceneNode(2.f, 16, parent);
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    const std::string start = sceneText();
    pickInTree(child);
    clickButton(ids::SceneBoxRemove);
    activePasses(3);
    pickInTree(parent);
    clickButton(ids::SceneBoxRemove);
    activePasses(3);
    undoLastChange();
    undoLastChange();
    activePasses(3);
    EXPECT_EQ(child->getParent(), parent);
    EXPECT_TRUE(sceneText() == start);
}

TEST_F(UndoTest, AModelAddedFromAFileComesBackAfterTheFileIsGone) {
    const std::string model = appFolder.file("sydney.md2");
    ASSERT_EQ(std::system(("gzip -dc /usr/share/doc/libirrlicht-dev/media/sydney.md2.gz > " + model).c_str()), 0);
    const std::string before = sceneText();
    const size_t steps = undoHistory.size();
    addModelFromDialog(model, true);
    ASSERT_EQ(undoHistory.size(), steps + 1);
    scene::ISceneNode* node = *smgr()->getRootSceneNode()->getChildren().getLast();
    ASSERT_EQ(node->getType(), scene::ESNT_ANIMATED_MESH);
    const std::string added = sceneText();

    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    pickInTree(node);
    clickButton(ids::SceneBoxRemove);
    std::remove(model.c_str());
    undoLastChange(); // the delete: the mesh is still in memory
    activePasses(3);
    EXPECT_TRUE(sceneText() == added);
    undoLastChange(); // the add
    activePasses(3);
    EXPECT_TRUE(sceneText() == before);
    redoLastChange();
    activePasses(3);
    EXPECT_TRUE(sceneText() == added);
}

TEST_F(UndoTest, TheHistoryIsBounded) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    createToolBox();
    select(cube);
    for (size_t i = 0; i < UndoHistory::MaxSteps + 20; ++i)
        clickButton(0x50047); // position X + 1
    EXPECT_EQ(undoHistory.size(), UndoHistory::MaxSteps);
    EXPECT_LE(undoHistory.memoryCost(), UndoHistory::MaxBytes);
    size_t undone = 0;
    while (undoHistory.canUndo()) {
        undoLastChange();
        ++undone;
    }
    EXPECT_EQ(undone, UndoHistory::MaxSteps);
    // The oldest steps are gone: the cube stays, 20 steps to the right.
    EXPECT_EQ(cube->getPosition().X, 20.f);
}

TEST_F(UndoTest, UnsavedFlagFollowsSavesAndUndo) {
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
    addFromMenu(ids::CmdAddCube);
    EXPECT_TRUE(undoHistory.hasUnsavedChanges());
    onSceneSaved();
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
    addFromMenu(ids::CmdAddSphere);
    EXPECT_TRUE(undoHistory.hasUnsavedChanges());
    undoLastChange(); // back to the saved state
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
    undoLastChange(); // before it
    EXPECT_TRUE(undoHistory.hasUnsavedChanges());
    redoLastChange();
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
    // New clears the history: nothing unsaved, nothing to undo.
    chooseMenuCommand(ids::CmdNewScene);
    gui::IGUIElement* question = findElement(ids::UnsavedChangesBox);
    EXPECT_EQ(question, nullptr) << "nothing was unsaved, nothing is asked";
    EXPECT_FALSE(undoHistory.canUndo());
}

TEST_F(UndoTest, AnOpenedSceneStartsWithNothingToUndoEvenAfterAGridChange) {
    createToolBox();
    setEditText(ids::GridSizeEdit, L"500");
    clickButton(ids::GridApply);
    ASSERT_TRUE(undoHistory.canUndo());
    const std::string scene = appFolder.file("other.irr");
    ASSERT_TRUE(smgr()->saveScene(scene.c_str()));
    // The open dialog reports the chosen file; opening resets the grid.
    test::ChosenFileDialog dialog(gui(), ids::DialogOpenScene, core::stringw(scene.c_str()));
    postGuiEvent(gui::EGET_FILE_SELECTED, &dialog);
    EXPECT_EQ(editor.gridSize, 2000.f);
    EXPECT_FALSE(undoHistory.canUndo());
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
}

// The three answers of the question, for New and Quit.
TEST_F(UndoTest, NewAsksFirstAndEachAnswerDoesWhatItSays) {
    scene::ISceneNode* cube = addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdNewScene);
    answerQuestion(L"action_cancel");
    activePasses(3);
    EXPECT_EQ(cube->getParent(), smgr()->getRootSceneNode()) << "cancel keeps the scene";
    EXPECT_TRUE(undoHistory.hasUnsavedChanges());

    chooseMenuCommand(ids::CmdNewScene);
    answerQuestion(L"action_discard");
    activePasses(3);
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
    EXPECT_FALSE(undoHistory.canUndo());
    for (scene::ISceneNode* child : smgr()->getRootSceneNode()->getChildren())
        EXPECT_TRUE(child->isDebugObject() || child->getType() == scene::ESNT_CAMERA) << child->getName();
}

TEST_F(UndoTest, SaveAnswerContinuesOnlyOnceTheFileIsWritten) {
    addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdQuit);
    answerQuestion(L"action_save");
    ASSERT_NE(findElement(ids::SaveWindow), nullptr) << "save opens the save window";
    EXPECT_TRUE(editor.device->run()) << "nothing quits before the file is written";

    // A refused name keeps the editor running.
    saveWindow.fileNameText->setText(L"notascene.txt");
    clickButton(ids::SaveButton);
    EXPECT_TRUE(editor.device->run());

    const std::string path = appFolder.file("kept.irr");
    saveWindow.fileNameText->setText(core::stringw(path.c_str()).c_str());
    clickButton(ids::SaveButton);
    EXPECT_TRUE(test::fileExists(path));
    EXPECT_FALSE(undoHistory.hasUnsavedChanges());
    EXPECT_FALSE(editor.device->run()) << "the quit goes on once the scene is saved";
}

// A scene with a file: the question's "save" writes there, with no window,
// and the waiting action goes on.
TEST_F(UndoTest, SaveAnswerWritesToTheScenesFileAndGoesOn) {
    struct Case {
        s32 command;
        std::function<bool()> wentOn;
    };
    const Case cases[] = {
        {ids::CmdNewScene, [] { return editor.sceneFile.empty(); }},
        {ids::CmdQuit, [] { return !editor.device->run(); }},
    };
    for (const Case& c : cases) {
        const std::string path = appFolder.file("own.irr");
        ASSERT_TRUE(smgr()->saveScene(path.c_str()));
        test::ChosenFileDialog dialog(gui(), ids::DialogOpenScene, core::stringw(path.c_str()));
        postGuiEvent(gui::EGET_FILE_SELECTED, &dialog);
        ASSERT_FALSE(editor.sceneFile.empty());
        addFromMenu(ids::CmdAddCube);
        const std::string before = test::readFile(path);
        chooseMenuCommand(c.command);
        answerQuestion(L"action_save");
        EXPECT_EQ(findElement(ids::SaveWindow), nullptr) << std::hex << c.command;
        EXPECT_NE(test::readFile(path), before) << "the file holds the cube";
        EXPECT_FALSE(undoHistory.hasUnsavedChanges());
        EXPECT_TRUE(c.wentOn()) << std::hex << c.command;
    }
}

TEST_F(UndoTest, CancellingTheSaveWindowDropsTheWaitingQuit) {
    addFromMenu(ids::CmdAddCube);
    chooseMenuCommand(ids::CmdQuit);
    answerQuestion(L"action_save");
    clickButton(ids::SaveCancel);
    // A later save made by hand must not quit the editor.
    saveWindow.open();
    saveWindow.fileNameText->setText(core::stringw(appFolder.file("later.irr").c_str()).c_str());
    clickButton(ids::SaveButton);
    EXPECT_TRUE(editor.device->run());
}

TEST_F(UndoTest, QuitWithoutChangesAsksNothing) {
    chooseMenuCommand(ids::CmdQuit);
    EXPECT_EQ(findElement(ids::UnsavedChangesBox), nullptr);
    EXPECT_FALSE(editor.device->run());
}

// A fixed-seed random sequence of changes, undos and redos: after every
// move the scene equals the snapshot of its place in the history, and undoing
// everything gives back the first scene.
TEST_F(UndoTest, RandomSequenceMatchesSnapshots) {
    createToolBox();
    chooseMenuCommand(ids::CmdSceneBox);
    activePasses(3);
    std::vector<std::string> snapshots{sceneText()};
    size_t position = 0;
    std::mt19937 random(20261208);
    const s32 adds[] = {ids::CmdAddCube, ids::CmdAddSphere, ids::CmdAddLight, ids::CmdAddParticle,
                        ids::CmdAddVolumeLight};
    for (int move = 0; move < 120; ++move) {
        const int kind = static_cast<int>(random() % 6);
        const size_t stepsBefore = undoHistory.size();
        if (kind == 0 && undoHistory.canUndo()) {
            undoLastChange();
            --position;
        } else if (kind == 1 && undoHistory.canRedo()) {
            redoLastChange();
            ++position;
        } else {
            std::vector<scene::ISceneNode*> nodes;
            for (scene::ISceneNode* child : smgr()->getRootSceneNode()->getChildren())
                if (!child->isDebugObject() && child->getType() != scene::ESNT_CAMERA)
                    nodes.push_back(child);
            scene::ISceneNode* target = nodes.empty() ? nullptr : nodes[random() % nodes.size()];
            if (kind == 2 || !target) {
                chooseMenuCommand(adds[random() % std::size(adds)]);
            } else {
                activePasses(3);
                pickInTree(target);
                if (kind == 3)
                    clickButton(ids::SceneBoxRemove);
                else if (kind == 4)
                    clickButton(ids::SceneBoxDuplicate);
                else
                    clickButton(0x50047 + 2 * static_cast<s32>(random() % 3)); // a position step
            }
            if (undoHistory.size() == stepsBefore && !undoHistory.canRedo() &&
                sceneText() == snapshots[position])
                continue; // nothing changed
            snapshots.resize(position + 1);
            snapshots.push_back(sceneText());
            ++position;
        }
        activePasses(3);
        ASSERT_TRUE(sceneText() == snapshots[position]) << "after move " << move;
    }
    while (undoHistory.canUndo())
        undoLastChange();
    activePasses(3);
    EXPECT_TRUE(sceneText() == snapshots.front());
}

} // namespace
} // namespace sorn
