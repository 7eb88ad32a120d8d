#pragma once
// The light tab: the light type in a combo box and seven rows (diffuse,
// specular and ambient colour as colour text, radius, inner and outer cone,
// falloff) with an "action_update" button that writes them all back.
#include <irrlicht.h>

namespace sorn {

// Adds the light tab to the tool box's tab control and fills it from the
// selected node. Nothing is built while the tab control is absent.
void addLightTab();

// Shows the light's type, values, labels and tooltips. Does nothing without
// the tool box, for a null node or a node that is no light.
void fillLightRows(irr::scene::ISceneNode* node);

// "action_update": writes the type and every non-empty row to the selected
// light. A number that is no finite f32, and a radius the engine cannot invert
// (0), keep the value in force.
void applyLightTab();

} // namespace sorn
