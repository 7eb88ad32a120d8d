#pragma once
// The volume-light tab: tail and foot colours (colour text A,R,G,B) and the
// U and V subdivision counts of the light's rays.
#include <irrlicht.h>

// kMaxVolumeLightSubdivisions: the same bound holds when a scene is opened.
#include "files/SceneValueLimits.h"

namespace sorn {

// Adds the volume-light tab to the tool box's tab control and fills it.
void addVolumeLightTab();

// Shows the node's tail and foot colours and subdivisions. Nothing happens
// without the tool box or for a node that is no volume light.
void fillVolumeLightRows(irr::scene::ISceneNode* node);

// The upper update button, under the colour rows: applies the tail and foot
// colours only.
void applyVolumeLightColours();

// The lower update button: applies all four rows. An empty row leaves its
// value as it is. A subdivision count below 0 applies 0, one above
// kMaxVolumeLightSubdivisions applies that bound; text that reads as no finite
// number (nan, inf) changes nothing. The subdivision rows then show the
// counts in force.
void applyVolumeLightRows();

} // namespace sorn
