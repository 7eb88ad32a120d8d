#pragma once
// The volume-light tab: tail and foot colours (colour text A,R,G,B) and the
// U and V subdivision counts of the light's rays.
#include <irrlicht.h>

namespace sorn {

// The most subdivisions the tab hands to the engine per direction. The
// engine's volume-light mesh takes 8 vertices per subdivision (U + V) plus 13
// and numbers its vertices with 16 bits, so 4095 in both directions (65,533
// vertices) is the most that is still drawn correctly; it also keeps a typed
// "1e12" from making the engine allocate and loop without bound.
constexpr irr::u32 kMaxVolumeLightSubdivisions = 4095;

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
