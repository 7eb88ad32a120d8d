// The material tab: its layout, the twenty flag rows against the engine's
// flags, the material types, textures of layer 0 and the faults a user can
// provoke from it (unusable paths, nodes gone or without materials).
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "scene/NodeCatalogue.h"
#include "support/EditorFixture.h"
#include "toolbox/MaterialTab.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {
namespace {

const std::string kEngineMedia = SORN_IRRLICHT_MEDIA;

std::wstring translated(const wchar_t* key) {
    return translate(key).c_str();
}

class MaterialTabTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        clickButton(ids::ButtonOpenSceneBox);
        clickButton(ids::ButtonOpenToolBox);
    }

    // A node of the catalogue at the root, picked in the scene box.
    scene::ISceneNode* addAndPick(scene::ESCENE_NODE_TYPE type, s32 variant = 0) {
        editor.selectedNode = nullptr;
        scene::ISceneNode* node = addNode(type, variant);
        activePasses(2);
        pickInTree(node);
        return node;
    }

    // A node added straight to the scene, then picked.
    scene::ISceneNode* pickNew(scene::ISceneNode* node) {
        editor.sceneViewRefresh.schedule();
        activePasses(2);
        pickInTree(node);
        return node;
    }

    // The first frame of the Quake 3 level in the engine's sample archive: a
    // mesh node with one material per texture (the sample level has only one).
    scene::ISceneNode* addMultiMaterialMesh() {
        io::IFileSystem* files = editor.device->getFileSystem();
        EXPECT_TRUE(files->addFileArchive((kEngineMedia + "/map-20kdm2.pk3.gz").c_str(), false, true,
                                          io::EFAT_GZIP));
        if (io::IReadFile* archive = files->createAndOpenFile("map-20kdm2.pk3")) {
            EXPECT_TRUE(files->addFileArchive(archive));
            archive->drop();
        }
        scene::IAnimatedMesh* mesh = smgr()->getMesh("20kdm2.bsp");
        EXPECT_NE(mesh, nullptr);
        scene::ISceneNode* node = mesh ? smgr()->addMeshSceneNode(mesh->getMesh(0)) : nullptr;
        EXPECT_GT(node ? node->getMaterialCount() : 0u, 1u);
        return node;
    }

    gui::IGUICheckBox* flagBox(s32 row) {
        return static_cast<gui::IGUICheckBox*>(findElement(ids::MaterialFirstFlagBox + row));
    }
    gui::IGUIComboBox* typeCombo() { return static_cast<gui::IGUIComboBox*>(findElement(ids::MaterialTypeCombo)); }
    gui::IGUIElement* textureBox() { return findElement(ids::MaterialTexturePath); }

    void chooseType(s32 index) {
        typeCombo()->setSelected(index);
        postGuiEvent(gui::EGET_COMBO_BOX_CHANGED, typeCombo());
    }
    void applyTexturePath(const std::string& path) {
        textureBox()->setText(widePath(path).c_str());
        clickButton(ids::MaterialTextureSet);
    }
};

// ---- Layout --------------------------------------------------------------------

struct Element {
    gui::EGUI_ELEMENT_TYPE type;
    std::wstring text;
    core::rect<s32> rect;
    s32 id;
};

void expectChildren(gui::IGUIElement* parent, const std::vector<Element>& expected) {
    std::vector<gui::IGUIElement*> children;
    for (gui::IGUIElement* child : parent->getChildren())
        children.push_back(child);
    ASSERT_EQ(children.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(children[i]->getType(), expected[i].type) << i;
        EXPECT_EQ(std::wstring(children[i]->getText()), expected[i].text) << i;
        EXPECT_EQ(children[i]->getRelativePosition(), expected[i].rect) << i;
        EXPECT_EQ(children[i]->getID(), expected[i].id) << i;
    }
}

TEST_F(MaterialTabTest, MaterialTabHoldsTheTextureAndFlagsTabs) {
    addAndPick(scene::ESNT_CUBE);
    auto* tabs = static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
    ASSERT_EQ(tabs->getTabCount(), 5); // object, material, attributes, animators, custom properties
    gui::IGUITab* material = tabs->getTab(1);
    EXPECT_EQ(std::wstring(material->getText()), translated(L"window_toolbox_tab_material"));
    EXPECT_EQ(material->getID(), -1);
    ASSERT_EQ(material->getChildren().size(), 1u);
    auto* nested = static_cast<gui::IGUITabControl*>(*material->getChildren().begin());
    ASSERT_EQ(nested->getType(), gui::EGUIET_TAB_CONTROL);
    EXPECT_EQ(nested->getRelativePosition(), core::rect<s32>(4, 10, 188, 558));
    ASSERT_EQ(nested->getTabCount(), 2);
    EXPECT_EQ(std::wstring(nested->getTab(0)->getText()), translated(L"window_toolbox_tab_texture"));
    EXPECT_EQ(std::wstring(nested->getTab(1)->getText()), translated(L"window_toolbox_tab_flags"));

    expectChildren(nested->getTab(0),
                   {{gui::EGUIET_STATIC_TEXT, translated(L"window_toolbox_edit_material"), {10, 10, 60, 35}, -1},
                    {gui::EGUIET_STATIC_TEXT, L"Texture:", {10, 38, 60, 56}, -1},
                    {gui::EGUIET_EDIT_BOX, L"", {60, 36, 150, 56}, 0x50019},
                    {gui::EGUIET_BUTTON, L" ", {155, 34, 173, 54}, 0x50060},
                    {gui::EGUIET_BUTTON, translated(L"action_set"), {95, 76, 170, 97}, 0x50075},
                    {gui::EGUIET_STATIC_TEXT, L"Type:", {10, 110, 60, 128}, -1},
                    {gui::EGUIET_COMBO_BOX, translated(L"node_material_solid"), {60, 108, 170, 126}, 0x5001a}});
    gui::IGUIComboBox* combo = typeCombo();
    ASSERT_EQ(combo->getItemCount(), 3u);
    const wchar_t* keys[] = {L"node_material_solid", L"node_material_transparent", L"node_material_reflection"};
    for (u32 i = 0; i < 3; ++i) {
        EXPECT_EQ(std::wstring(combo->getItem(i)), translated(keys[i]));
        EXPECT_EQ(combo->getItemData(i), 0u);
    }
}

// The flag rows: label, check box id, the engine's flag and the default column.
struct FlagCase {
    const wchar_t* label;
    s32 boxId;
    u32 flagValue;
    bool byDefault;
};

const FlagCase kFlagCases[] = {
    {L"EMF_WIREFRAME:", 0x5001c, video::EMF_WIREFRAME, false},
    {L"EMF_POINTCLOUD:", 0x5001d, video::EMF_POINTCLOUD, false},
    {L"EMF_GOURAUD_SHADING:", 0x5001e, video::EMF_GOURAUD_SHADING, true},
    {L"EMF_LIGHTING:", 0x5001f, video::EMF_LIGHTING, true},
    {L"EMF_ZBUFFER:", 0x50020, video::EMF_ZBUFFER, true},
    {L"EMF_ZWRITE_ENABLE:", 0x50021, video::EMF_ZWRITE_ENABLE, true},
    {L"EMF_BACK_FACE_CULLING:", 0x50022, video::EMF_BACK_FACE_CULLING, true},
    {L"EMF_FRONT_FACE_CULLING:", 0x50023, video::EMF_FRONT_FACE_CULLING, false},
    {L"EMF_BILINEAR_FILTER:", 0x50024, video::EMF_BILINEAR_FILTER, true},
    {L"EMF_TRILINEAR_FILTER:", 0x50025, video::EMF_TRILINEAR_FILTER, false},
    {L"EMF_ANISOTROPIC_FILTER:", 0x50026, video::EMF_ANISOTROPIC_FILTER, false},
    {L"EMF_FOG_ENABLE:", 0x50027, video::EMF_FOG_ENABLE, false},
    {L"EMF_NORMALIZE_NORMALS:", 0x50028, video::EMF_NORMALIZE_NORMALS, false},
    {L"EMF_TEXTURE_WRAP:", 0x50029, video::EMF_TEXTURE_WRAP, false},
    {L"EMF_ANTI_ALIASING:", 0x5002a, video::EMF_ANTI_ALIASING, false},
    {L"EMF_COLOR_MASK:", 0x5002b, video::EMF_COLOR_MASK, true},
    {L"EMF_COLOR_MATERIAL:", 0x5002c, video::EMF_COLOR_MATERIAL, false},
    {L"EMF_USE_MIP_MAPS:", 0x5002d, video::EMF_USE_MIP_MAPS, false},
    {L"EMF_BLEND_OPERATION:", 0x5002e, video::EMF_BLEND_OPERATION, false},
    {L"EMF_POLYGON_OFFSET:", 0x5002f, video::EMF_POLYGON_OFFSET, false},
};
constexpr int kFlagCount = 20;

video::E_MATERIAL_FLAG flagOf(int row) {
    return static_cast<video::E_MATERIAL_FLAG>(kFlagCases[row].flagValue);
}

TEST_F(MaterialTabTest, FlagsTabRowsFollowTheFlagTable) {
    addAndPick(scene::ESNT_CUBE);
    gui::IGUIElement* flagsTab = findElement(ids::MaterialFirstFlagBox)->getParent();
    std::vector<Element> expected;
    for (int i = 0; i < kFlagCount; ++i) {
        EXPECT_EQ(kFlagCases[i].flagValue, 1u << i);
        expected.push_back({gui::EGUIET_STATIC_TEXT, kFlagCases[i].label, {22, 20 + 20 * i, 150, 38 + 20 * i}, -1});
        expected.push_back({gui::EGUIET_CHECK_BOX, L"", {150, 16 + 20 * i, 170, 34 + 20 * i}, kFlagCases[i].boxId});
    }
    expected.push_back({gui::EGUIET_BUTTON, translated(L"action_default"), {22, 430, 91, 451}, 0x50077});
    expected.push_back({gui::EGUIET_BUTTON, translated(L"action_set"), {101, 430, 170, 451}, 0x50076});
    expectChildren(flagsTab, expected);
}

class FlagRowTest : public MaterialTabTest, public testing::WithParamInterface<int> {};

// Checking only row i and applying turns on flag 2^i alone, on every material.
TEST_P(FlagRowTest, EachBoxWritesItsOwnFlagToEveryMaterial) {
    const int row = GetParam();
    scene::ISceneNode* level = pickNew(addMultiMaterialMesh());
    for (int i = 0; i < kFlagCount; ++i)
        flagBox(i)->setChecked(i == row);
    clickButton(ids::MaterialFlagsSet);
    for (u32 m = 0; m < level->getMaterialCount(); ++m)
        for (int i = 0; i < kFlagCount; ++i)
            EXPECT_EQ(level->getMaterial(m).getFlag(flagOf(i)), i == row)
                << "material " << m << " flag " << std::hex << kFlagCases[i].flagValue;
    // Filled again, the tab shows the same single box.
    pickInTree(level);
    for (int i = 0; i < kFlagCount; ++i)
        EXPECT_EQ(flagBox(i)->isChecked(), i == row) << i;
}

INSTANTIATE_TEST_SUITE_P(Rows, FlagRowTest, testing::Range(0, kFlagCount));

// Applying the boxes as filled changes nothing, whatever the material held:
// the texture-wrap flag reads back as written, and finer settings behind a
// flag (the depth test, the anti-aliasing mode) are kept.
TEST_F(MaterialTabTest, FlagsRoundTripLeavesTheMaterialsAsTheyWere) {
    scene::ISceneNode* level = pickNew(addMultiMaterialMesh());
    for (u32 m = 0; m < level->getMaterialCount(); ++m) {
        video::SMaterial& material = level->getMaterial(m);
        material.ZBuffer = video::ECFN_GREATER;
        material.AntiAliasing = video::EAAM_LINE_SMOOTH;
        for (int i = 0; i < kFlagCount; i += 3)
            material.setFlag(flagOf(i), !material.getFlag(flagOf(i)));
    }
    std::vector<video::SMaterial> before;
    for (u32 m = 0; m < level->getMaterialCount(); ++m)
        before.push_back(level->getMaterial(m));
    for (int pass = 0; pass < 2; ++pass) {
        pickInTree(level);
        clickButton(ids::MaterialFlagsSet);
        for (u32 m = 0; m < level->getMaterialCount(); ++m)
            EXPECT_FALSE(level->getMaterial(m) != before[m]) << "material " << m << " pass " << pass;
    }
}

TEST_F(MaterialTabTest, TextureWrapBoxChoosesRepeatingOrClampedTextures) {
    scene::ISceneNode* cube = addAndPick(scene::ESNT_CUBE);
    const int wrapRow = 13;
    ASSERT_TRUE(flagBox(wrapRow)->isChecked()) << "a new cube repeats its textures";
    flagBox(wrapRow)->setChecked(false);
    clickButton(ids::MaterialFlagsSet);
    EXPECT_EQ(cube->getMaterial(0).TextureLayer[0].TextureWrapU, video::ETC_CLAMP);
    flagBox(wrapRow)->setChecked(true);
    clickButton(ids::MaterialFlagsSet);
    EXPECT_EQ(cube->getMaterial(0).TextureLayer[0].TextureWrapU, video::ETC_REPEAT);
}

TEST_F(MaterialTabTest, DefaultButtonWritesTheDefaultColumnAndLeavesTheBoxes) {
    scene::ISceneNode* level = pickNew(addMultiMaterialMesh());
    for (int i = 0; i < kFlagCount; ++i)
        flagBox(i)->setChecked(!kFlagCases[i].byDefault);
    clickButton(ids::MaterialFlagsSet);
    clickButton(ids::MaterialFlagsDefault);
    video::SMaterial expected;
    for (int i = 0; i < kFlagCount; ++i)
        expected.setFlag(flagOf(i), kFlagCases[i].byDefault);
    for (u32 m = 0; m < level->getMaterialCount(); ++m)
        for (int i = 0; i < kFlagCount; ++i)
            EXPECT_EQ(level->getMaterial(m).getFlag(flagOf(i)), expected.getFlag(flagOf(i)))
                << "material " << m << " row " << i;
    for (int i = 0; i < kFlagCount; ++i)
        EXPECT_EQ(flagBox(i)->isChecked(), !kFlagCases[i].byDefault) << "row " << i << " was refreshed";
}

// ---- Material type -------------------------------------------------------------

struct TypeCase {
    s32 index;
    video::E_MATERIAL_TYPE type;
};

TEST_F(MaterialTabTest, ComboSetsTheTypeOfEveryMaterialAndShowsIt) {
    scene::ISceneNode* level = pickNew(addMultiMaterialMesh());
    const TypeCase cases[] = {{1, video::EMT_TRANSPARENT_ADD_COLOR}, {2, video::EMT_SPHERE_MAP}, {0, video::EMT_SOLID}};
    for (const TypeCase& c : cases) {
        chooseType(c.index);
        for (u32 m = 0; m < level->getMaterialCount(); ++m)
            EXPECT_EQ(level->getMaterial(m).MaterialType, c.type) << "index " << c.index << " material " << m;
        typeCombo()->setSelected(-1);
        pickInTree(level);
        EXPECT_EQ(typeCombo()->getSelected(), c.index);
    }
}

TEST_F(MaterialTabTest, ComboIndexOutsideTheItemsChangesNothing) {
    scene::ISceneNode* cube = addAndPick(scene::ESNT_CUBE);
    cube->setMaterialType(video::EMT_SPHERE_MAP);
    chooseType(-1);
    EXPECT_EQ(cube->getMaterial(0).MaterialType, video::EMT_SPHERE_MAP);
}

TEST_F(MaterialTabTest, OtherMaterialTypeLeavesTheComboAsBuilt) {
    scene::ISceneNode* cube = addNode(scene::ESNT_CUBE, 0);
    cube->setMaterialType(video::EMT_TRANSPARENT_ADD_COLOR);
    pickNew(cube);
    const s32 built = [&] {
        cube->setMaterialType(video::EMT_LIGHTMAP);
        pickInTree(cube);
        return typeCombo()->getSelected();
    }();
    EXPECT_EQ(built, 0) << "a combo shows its first item when built";
    typeCombo()->setSelected(2);
    fillMaterialType(cube);
    EXPECT_EQ(typeCombo()->getSelected(), 2);
    EXPECT_EQ(cube->getMaterial(0).MaterialType, video::EMT_LIGHTMAP);
}

// ---- Texture -------------------------------------------------------------------

TEST_F(MaterialTabTest, TextureOfLayerZeroShowsItsPath) {
    scene::ISceneNode* cube = addNode(scene::ESNT_CUBE, 0);
    video::ITexture* wall = editor.device->getVideoDriver()->getTexture((kEngineMedia + "/wall.jpg").c_str());
    ASSERT_NE(wall, nullptr);
    cube->setMaterialTexture(0, wall);
    pickNew(cube);
    EXPECT_EQ(narrowPath(textureBox()->getText()), std::string(wall->getName().getPath().c_str()));
    EXPECT_NE(narrowPath(textureBox()->getText()).find("wall.jpg"), std::string::npos);
    EXPECT_EQ(typeCombo()->getSelected(), 0);
}

TEST_F(MaterialTabTest, SetAppliesTheTextureToEveryMaterial) {
    scene::ISceneNode* level = pickNew(addMultiMaterialMesh());
    const std::string path = kEngineMedia + "/wall.jpg";
    applyTexturePath(path);
    video::ITexture* texture = level->getMaterial(0).getTexture(0);
    ASSERT_NE(texture, nullptr);
    for (u32 m = 0; m < level->getMaterialCount(); ++m)
        EXPECT_EQ(level->getMaterial(m).getTexture(0), texture) << m;
    EXPECT_NE(narrowPath(textureBox()->getText()).find("wall.jpg"), std::string::npos);
}

TEST_F(MaterialTabTest, NonAsciiFileNameIsFound) {
    scene::ISceneNode* cube = addAndPick(scene::ESNT_CUBE);
    const std::string path = appFolder.file("t\xC3\xA8xture \xE2\x82\xAC.jpg");
    test::writeFile(path, test::readFile(kEngineMedia + "/wall.jpg"));
    applyTexturePath(path);
    video::ITexture* texture = cube->getMaterial(0).getTexture(0);
    ASSERT_NE(texture, nullptr);
    EXPECT_NE(std::string(texture->getName().getPath().c_str()).find("t\xC3\xA8xture \xE2\x82\xAC.jpg"),
              std::string::npos);
    EXPECT_NE(narrowPath(textureBox()->getText()).find("t\xC3\xA8xture \xE2\x82\xAC.jpg"), std::string::npos);
}

// Paths that give no texture remove layer 0 everywhere and leave the box as typed.
TEST_F(MaterialTabTest, UnusablePathsRemoveTheTextureAndKeepTheText) {
    const std::string folder = appFolder.file("folder.png");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string fifo = appFolder.file("pipe.jpg");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string notImage = appFolder.file("notes.jpg");
    test::writeFile(notImage, "not an image at all");
    const std::string paths[] = {"", appFolder.file("missing.png"), folder, fifo, "/dev/zero", notImage};

    scene::ISceneNode* level = pickNew(addMultiMaterialMesh());
    for (const std::string& path : paths) {
        applyTexturePath(kEngineMedia + "/wall.jpg");
        ASSERT_NE(level->getMaterial(0).getTexture(0), nullptr);
        applyTexturePath(path);
        for (u32 m = 0; m < level->getMaterialCount(); ++m)
            EXPECT_EQ(level->getMaterial(m).getTexture(0), nullptr) << path << " material " << m;
        EXPECT_EQ(narrowPath(textureBox()->getText()), path);
    }
}

TEST_F(MaterialTabTest, BrowseOpensTheImageDialogAndTheChoiceFillsTheBox) {
    addAndPick(scene::ESNT_CUBE);
    test::writeFile(appFolder.file("stone.jpg"), test::readFile(kEngineMedia + "/wall.jpg"));
    clickButton(ids::MaterialBrowse);
    auto* dialog = static_cast<gui::IGUIFileOpenDialog*>(findElement(ids::DialogMaterialTexture));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->getType(), gui::EGUIET_FILE_OPEN_DIALOG);
    EXPECT_EQ(std::wstring(dialog->getText()), translated(L"file_open_dialog_open_img"));

    // Choosing an entry of the dialog's list names the file; nothing is applied.
    gui::IGUIListBox* list = nullptr;
    for (gui::IGUIElement* child : dialog->getChildren())
        if (child->getType() == gui::EGUIET_LIST_BOX)
            list = static_cast<gui::IGUIListBox*>(child);
    ASSERT_NE(list, nullptr);
    s32 entry = -1;
    for (u32 i = 0; i < list->getItemCount(); ++i)
        if (std::wstring(list->getListItem(i)) == L"stone.jpg")
            entry = static_cast<s32>(i);
    ASSERT_GE(entry, 0) << "the dialog lists the working folder";
    list->setSelected(entry);
    SEvent changed;
    changed.EventType = EET_GUI_EVENT;
    changed.GUIEvent.Caller = list;
    changed.GUIEvent.Element = nullptr;
    changed.GUIEvent.EventType = gui::EGET_LISTBOX_CHANGED;
    dialog->OnEvent(changed);
    ASSERT_NE(std::wstring(dialog->getFileName()).find(L"stone.jpg"), std::wstring::npos);
    postGuiEvent(gui::EGET_FILE_SELECTED, dialog);
    EXPECT_EQ(std::wstring(textureBox()->getText()), std::wstring(dialog->getFileName()));
    EXPECT_EQ(static_cast<scene::ISceneNode*>(editor.selectedNode)->getMaterial(0).getTexture(0), nullptr);

    // With the tool box closed the choice goes nowhere.
    ToolBoxClose();
    postGuiEvent(gui::EGET_FILE_SELECTED, dialog);
    EXPECT_EQ(findElement(ids::MaterialTexturePath), nullptr);
}

// ---- Node types and faults -------------------------------------------------------

TEST_F(MaterialTabTest, NodeWithoutMaterialsIsNeitherReadNorWritten) {
    scene::SMesh* mesh = new scene::SMesh();
    scene::ISceneNode* node = smgr()->addMeshSceneNode(mesh);
    mesh->drop();
    ASSERT_EQ(node->getMaterialCount(), 0u);
    const video::SMaterial identity = video::IdentityMaterial;
    pickNew(node);
    ASSERT_NE(flagBox(0), nullptr);
    for (int i = 0; i < kFlagCount; ++i)
        EXPECT_FALSE(flagBox(i)->isChecked()) << i;
    for (int i = 0; i < kFlagCount; ++i)
        flagBox(i)->setChecked(true);
    clickButton(ids::MaterialFlagsSet);
    clickButton(ids::MaterialFlagsDefault);
    applyTexturePath(kEngineMedia + "/wall.jpg");
    chooseType(1);
    EXPECT_FALSE(video::IdentityMaterial != identity) << "the engine's shared material was changed";
}

// The deleted node is kept (undo can put it back) and the tab stays until
// the refresh: none of its actions may reach the node.
TEST_F(MaterialTabTest, ActionsAfterTheNodeWasDeletedDoNothing) {
    scene::ISceneNode* cube = addAndPick(scene::ESNT_CUBE);
    cube->grab();
    cube->setMaterialFlag(video::EMF_WIREFRAME, false);
    const video::SMaterial before = cube->getMaterial(0);
    clickButton(ids::SceneBoxRemove);
    ASSERT_NE(findElement(ids::MaterialFlagsSet), nullptr) << "the tab stays until the refresh";
    for (int i = 0; i < kFlagCount; ++i)
        flagBox(i)->setChecked(true);
    clickButton(ids::MaterialFlagsSet);
    EXPECT_FALSE(cube->getMaterial(0).Wireframe);
    clickButton(ids::MaterialFlagsDefault);
    applyTexturePath(kEngineMedia + "/wall.jpg");
    chooseType(2);
    EXPECT_FALSE(cube->getMaterial(0) != before);
    EXPECT_EQ(cube->getMaterial(0).getTexture(0), before.getTexture(0));
    activePasses(2);
    EXPECT_EQ(findElement(ids::MaterialFlagsSet), nullptr);
    cube->drop();
}

TEST_F(MaterialTabTest, ParticleSystemAndTerrainShowTheTabUnfilled) {
    for (scene::ESCENE_NODE_TYPE type : {scene::ESNT_PARTICLE_SYSTEM, scene::ESNT_TERRAIN}) {
        scene::ISceneNode* node = addNode(type, 0);
        ASSERT_NE(node, nullptr);
        node->setMaterialFlag(video::EMF_WIREFRAME, true);
        node->setMaterialType(video::EMT_SPHERE_MAP);
        pickNew(node);
        addMaterialTab(); // as the particle and terrain pages add it after their own tab
        ASSERT_NE(flagBox(0), nullptr);
        EXPECT_FALSE(flagBox(0)->isChecked());
        EXPECT_EQ(typeCombo()->getSelected(), 0);
        EXPECT_EQ(std::wstring(textureBox()->getText()), L"");
    }
}

} // namespace
} // namespace sorn
