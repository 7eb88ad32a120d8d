#pragma once
// The attributes tab of every node: everything the node's own writer gives
// (serializeAttributes) in the attribute panel. An edit goes back through the
// node's own reader with the full set, as one undo step.
#include <irrlicht.h>

namespace sorn {

// Adds the tab for the selected node.
void addAttributesTab();

// Applies the value at index of edited (a set of the node's attributes with
// that value changed) to the node as the tab does: unusable values kept,
// files the node's reader would load checked first, one undo step when
// anything changed, then the tool box and the scene box refreshed.
void applyNodeAttributeEdit(irr::scene::ISceneNode* node, irr::io::IAttributes* edited, irr::u32 index);

} // namespace sorn
