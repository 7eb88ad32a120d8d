#pragma once
// One image for a terrain (on its terrain tab) or a sky dome (on the object
// tab): the same path box, browse button and update button in both places.
#include <irrlicht.h>

namespace sorn {

// The terrain tab, added to the tool box's tab control; its box starts empty.
void addTerrainTab();
// The sky-dome rows on the object tab, filled with the dome's image.
void addSkyDomeRows();

// Shows the file of the sky dome's image (texture layer 0 of material 0) in
// the path box. Nothing happens without the tool box, for another node type,
// or when the dome has no image.
void fillSkyDomeRow(irr::scene::ISceneNode* node);

// The update button: the image named in the path box becomes texture layer 0
// of material 0 of the selected terrain or sky dome; a file that cannot be
// loaded removes the image. An empty box changes nothing.
void applyImageRow();

} // namespace sorn
