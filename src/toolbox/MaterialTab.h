#pragma once
// The material tab: a nested tab control with the texture tab (texture file of
// layer 0 and the material type) and the flags tab (the twenty material flags
// as check boxes). The tabs show the node's first material; every change is
// written to all of the node's materials.
#include <irrlicht.h>

namespace sorn {

// Adds the material tab to the tool box's tab control and fills it from the
// selected node. Nothing is built while the tab control is absent.
void addMaterialTab();

// Show material 0 of the node in the texture box, the type combo and the flag
// boxes. Only cubes, spheres, meshes and animated meshes are shown; any other
// node, a null node or one without materials leaves the rows as they are.
void fillTextureRow(irr::scene::ISceneNode* node);
void fillMaterialType(irr::scene::ISceneNode* node);
void fillMaterialFlags(irr::scene::ISceneNode* node);

// The file chosen in the browse button's dialog goes into the texture box
// while the tool box is open (nothing is applied yet).
void setMaterialTexturePath(const wchar_t* fileName);

// The texture tab's "action_set": layer 0 of every material of the selected
// node gets the texture named in the box (an empty or unusable path removes it).
void applyMaterialTexture();
// The type combo changed: every material of the selected node gets the type.
void onMaterialTypeChanged(irr::gui::IGUIComboBox* combo);
// The flags tab's "action_set": every material gets the flags the boxes show.
void applyMaterialFlags();
// "action_default": the engine's default flags on every material; the boxes
// keep what they show until the tool box is rebuilt.
void applyDefaultMaterialFlags();

} // namespace sorn
