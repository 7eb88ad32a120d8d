#pragma once
// The object tab: the selected node's position, rotation and scale as X/Y/Z
// rows with step buttons and an apply button per group, and for animated
// meshes a frame-rate row.
#include <irrlicht.h>

namespace sorn {

// Row builders: each adds its group to the tool box's first tab and shows the
// selected node's values in it. Nothing is built while that tab is absent.
void addPositionRows();
void addRotationRows();
void addScaleRows();
// The animation speed scroll bar and the frame read-out below the scale rows.
void addFrameRateRow();

// The name row at the end of the tab: the node's name and its own Set button
// (applied by the rename command, which records it). Nothing without a node.
void addNameRow();
void fillNameRow(irr::scene::ISceneNode* node);
// The text typed into the name row; false when the row is absent.
bool nameRowText(irr::core::stringw& text);

// Write the node's current values into the group's edit boxes (six decimals).
// Nothing happens while the tool box is closed, for a null node, or for a node
// type whose values the group does not show (an empty node keeps "1.0"/"0.0").
void fillPositionRows(irr::scene::ISceneNode* node);
void fillRotationRows(irr::scene::ISceneNode* node);
void fillScaleRows(irr::scene::ISceneNode* node);

// The groups' Set buttons: the three rows written to the selected nodes.
void applyPositionRows();
void applyRotationRows();
void applyScaleRows();

// Runs the apply, step or multiply button with this id on the selected node.
// Returns whether the id is one of the object tab's buttons.
bool handleObjectTabButton(irr::s32 id);

// The frame-rate scroll bar moved: a selected animated mesh plays at the
// scroll bar's position in frames per second.
void onAnimationSpeedChanged(irr::gui::IGUIScrollBar* scrollBar);

} // namespace sorn
