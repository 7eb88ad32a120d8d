#pragma once
// The selection as the view shows it: the editor draws each selected node's
// bounding box itself, in colours of its own, the primary brighter. The
// node's debug drawing flag, which a save writes, is never touched for it.
#include <irrlicht.h>

#include <vector>

namespace sorn {

struct HighlightBox {
    irr::scene::ISceneNode* node;
    irr::video::SColor colour;
};

// The boxes the next frame draws: every visible selected node, the primary
// in the bright colour, the others in the dim one.
std::vector<HighlightBox> selectionHighlightBoxes();
irr::video::SColor primaryHighlightColour();
irr::video::SColor secondaryHighlightColour();

// Draws the boxes into the scene just drawn (between drawAll and the GUI).
void drawSelectionHighlight();

} // namespace sorn
