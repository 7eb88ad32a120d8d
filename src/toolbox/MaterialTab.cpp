#include "toolbox/MaterialTab.h"

#include <string>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/UserTexture.h"
#include "scene/NodeLifetime.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

namespace {

// One row of the flags tab: its label, the flag (row i holds the flag 2^i and
// the check box 0x5001c + i) and the state "action_default" writes.
struct FlagRow {
    const wchar_t* label;
    video::E_MATERIAL_FLAG flag;
    bool byDefault;
};

const FlagRow kFlagRows[] = {
    {L"EMF_WIREFRAME:", video::EMF_WIREFRAME, false},
    {L"EMF_POINTCLOUD:", video::EMF_POINTCLOUD, false},
    {L"EMF_GOURAUD_SHADING:", video::EMF_GOURAUD_SHADING, true},
    {L"EMF_LIGHTING:", video::EMF_LIGHTING, true},
    {L"EMF_ZBUFFER:", video::EMF_ZBUFFER, true},
    {L"EMF_ZWRITE_ENABLE:", video::EMF_ZWRITE_ENABLE, true},
    {L"EMF_BACK_FACE_CULLING:", video::EMF_BACK_FACE_CULLING, true},
    {L"EMF_FRONT_FACE_CULLING:", video::EMF_FRONT_FACE_CULLING, false},
    {L"EMF_BILINEAR_FILTER:", video::EMF_BILINEAR_FILTER, true},
    {L"EMF_TRILINEAR_FILTER:", video::EMF_TRILINEAR_FILTER, false},
    {L"EMF_ANISOTROPIC_FILTER:", video::EMF_ANISOTROPIC_FILTER, false},
    {L"EMF_FOG_ENABLE:", video::EMF_FOG_ENABLE, false},
    {L"EMF_NORMALIZE_NORMALS:", video::EMF_NORMALIZE_NORMALS, false},
    {L"EMF_TEXTURE_WRAP:", video::EMF_TEXTURE_WRAP, false},
    {L"EMF_ANTI_ALIASING:", video::EMF_ANTI_ALIASING, false},
    {L"EMF_COLOR_MASK:", video::EMF_COLOR_MASK, true},
    {L"EMF_COLOR_MATERIAL:", video::EMF_COLOR_MATERIAL, false},
    {L"EMF_USE_MIP_MAPS:", video::EMF_USE_MIP_MAPS, false},
    {L"EMF_BLEND_OPERATION:", video::EMF_BLEND_OPERATION, false},
    {L"EMF_POLYGON_OFFSET:", video::EMF_POLYGON_OFFSET, false},
};

// The combo's items in order and the material type each stands for.
struct TypeItem {
    const wchar_t* key;
    video::E_MATERIAL_TYPE type;
};

const TypeItem kTypeItems[] = {
    {L"node_material_solid", video::EMT_SOLID},
    {L"node_material_transparent", video::EMT_TRANSPARENT_ADD_COLOR},
    {L"node_material_reflection", video::EMT_SPHERE_MAP},
};

// The node types whose material the tab shows; particle systems and terrains
// get the tab with the texts it is built with.
bool showsMaterial(scene::ISceneNode* node) {
    if (!node || !findElement(ids::ToolBoxWindow))
        return false;
    switch (node->getType()) {
    case scene::ESNT_ANIMATED_MESH:
    case scene::ESNT_MESH:
    case scene::ESNT_CUBE:
    case scene::ESNT_SPHERE:
        // A node without materials would hand out the engine's shared identity
        // material for index 0: it is never read or written here.
        return node->getMaterialCount() > 0;
    default:
        return false;
    }
}

// The selected node, if it is still part of the scene.
scene::ISceneNode* editedNode() {
    scene::ISceneNode* node = editor.selectedNode;
    return node && isLiveSceneNode(node) ? node : nullptr;
}

// Gives every material the flag state a box shows, so that reading the flag
// back gives the box again. The engine stores the texture-wrap flag's value as
// the clamp mode (true clamps) but reads it as "every layer repeats"; that one
// flag is written in the sense in which it is read, otherwise each apply would
// flip the node between repeating and clamped textures. Materials that already
// read as the box are left untouched, which keeps finer settings (a depth test
// other than the default, an anti-aliasing mode other than the simple one).
void writeFlag(scene::ISceneNode* node, video::E_MATERIAL_FLAG flag, bool state) {
    const bool written = flag == video::EMF_TEXTURE_WRAP ? !state : state;
    for (u32 i = 0; i < node->getMaterialCount(); ++i) {
        video::SMaterial& material = node->getMaterial(i);
        if (material.getFlag(flag) != state)
            material.setFlag(flag, written);
    }
}

void addTextureTab(gui::IGUITabControl* nested) {
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUITab* tab = nested->addTab(translate(L"window_toolbox_tab_texture").c_str(), -1);
    env->addStaticText(translate(L"window_toolbox_edit_material").c_str(), core::rect<s32>(10, 10, 60, 35), false,
                       false, tab, -1);
    env->addStaticText(L"Texture:", core::rect<s32>(10, 38, 60, 56), false, false, tab, -1);
    env->addEditBox(L"", core::rect<s32>(60, 36, 150, 56), true, tab, ids::MaterialTexturePath);
    addBrowseButton(tab, core::rect<s32>(155, 34, 173, 54), ids::MaterialBrowse);
    env->addButton(core::rect<s32>(95, 76, 170, 97), tab, ids::MaterialTextureSet, translate(L"action_set").c_str());
    fillTextureRow(editor.selectedNode);

    env->addStaticText(L"Type:", core::rect<s32>(10, 110, 60, 128), false, false, tab, -1);
    gui::IGUIComboBox* combo = env->addComboBox(core::rect<s32>(60, 108, 170, 126), tab, ids::MaterialTypeCombo);
    for (const TypeItem& item : kTypeItems)
        combo->addItem(translate(item.key).c_str(), 0);
    fillMaterialType(editor.selectedNode);
}

void addFlagsTab(gui::IGUITabControl* nested) {
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUITab* tab = nested->addTab(translate(L"window_toolbox_tab_flags").c_str(), -1);
    s32 row = 0;
    for (const FlagRow& flag : kFlagRows) {
        const s32 y = 20 * row;
        env->addStaticText(flag.label, core::rect<s32>(22, 20 + y, 150, 38 + y), false, false, tab, -1);
        env->addCheckBox(false, core::rect<s32>(150, 16 + y, 170, 34 + y), tab, ids::MaterialFirstFlagBox + row);
        ++row;
    }
    env->addButton(core::rect<s32>(22, 430, 91, 451), tab, ids::MaterialFlagsDefault,
                   translate(L"action_default").c_str());
    env->addButton(core::rect<s32>(101, 430, 170, 451), tab, ids::MaterialFlagsSet, translate(L"action_set").c_str());
    fillMaterialFlags(editor.selectedNode);
}

} // namespace

void addMaterialTab() {
    auto* tabs = static_cast<gui::IGUITabControl*>(toolBoxElement(ids::ToolBoxTabControl));
    if (!tabs)
        return;
    gui::IGUITab* tab = tabs->addTab(translate(L"window_toolbox_tab_material").c_str(), -1);
    gui::IGUITabControl* nested =
        editor.device->getGUIEnvironment()->addTabControl(core::rect<s32>(4, 10, 188, 558), tab, true, true, -1);
    addTextureTab(nested);
    addFlagsTab(nested);
}

void fillTextureRow(scene::ISceneNode* node) {
    if (!showsMaterial(node))
        return;
    video::ITexture* texture = node->getMaterial(0).getTexture(0);
    if (!texture)
        return;
    const io::path& name = texture->getName().getPath();
    gui::IGUIElement* box = toolBoxElement(ids::MaterialTexturePath);
    if (box && !name.empty())
        box->setText(widePath(name.c_str()).c_str());
}

void fillMaterialType(scene::ISceneNode* node) {
    if (!showsMaterial(node))
        return;
    auto* combo = static_cast<gui::IGUIComboBox*>(toolBoxElement(ids::MaterialTypeCombo));
    if (!combo)
        return;
    const video::E_MATERIAL_TYPE type = node->getMaterial(0).MaterialType;
    s32 index = 0;
    for (const TypeItem& item : kTypeItems) {
        if (item.type == type) {
            combo->setSelected(index);
            return;
        }
        ++index;
    }
}

void fillMaterialFlags(scene::ISceneNode* node) {
    if (!showsMaterial(node))
        return;
    const video::SMaterial& material = node->getMaterial(0);
    s32 row = 0;
    for (const FlagRow& flag : kFlagRows) {
        if (auto* box = static_cast<gui::IGUICheckBox*>(toolBoxElement(ids::MaterialFirstFlagBox + row)))
            box->setChecked(material.getFlag(flag.flag));
        ++row;
    }
}

void setMaterialTexturePath(const wchar_t* fileName) {
    if (!findElement(ids::ToolBoxWindow))
        return;
    if (gui::IGUIElement* box = toolBoxElement(ids::MaterialTexturePath))
        box->setText(fileName);
}

void applyMaterialTexture() {
    scene::ISceneNode* node = editedNode();
    gui::IGUIElement* box = toolBoxElement(ids::MaterialTexturePath);
    if (!node || !box)
        return;
    video::ITexture* texture = loadUserTexture(narrowPath(box->getText()));
    for (u32 i = 0; i < node->getMaterialCount(); ++i)
        node->getMaterial(i).setTexture(0, texture);
    fillTextureRow(node);
}

void onMaterialTypeChanged(gui::IGUIComboBox* combo) {
    scene::ISceneNode* node = editedNode();
    if (!node || !combo)
        return;
    const s32 index = combo->getSelected();
    if (index < 0 || index >= static_cast<s32>(sizeof kTypeItems / sizeof kTypeItems[0]))
        return;
    node->setMaterialType(kTypeItems[index].type);
}

void applyMaterialFlags() {
    scene::ISceneNode* node = editedNode();
    if (!node)
        return;
    s32 row = 0;
    for (const FlagRow& flag : kFlagRows) {
        // A box that is gone leaves its flag as it is.
        if (auto* box = static_cast<gui::IGUICheckBox*>(toolBoxElement(ids::MaterialFirstFlagBox + row)))
            writeFlag(node, flag.flag, box->isChecked());
        ++row;
    }
}

void applyDefaultMaterialFlags() {
    scene::ISceneNode* node = editedNode();
    if (!node)
        return;
    for (const FlagRow& flag : kFlagRows)
        node->setMaterialFlag(flag.flag, flag.byDefault);
}

} // namespace sorn
