#pragma once
// The six face images of a sky box on the object tab: one path box and browse
// button per face, an update button that applies the rows, and a load button
// that applies a whole image set (a ".skybox" marker file).
#include <irrlicht.h>

#include <string>

namespace sorn {

// One row of the sky-box rows, top to bottom.
struct SkyBoxRow {
    const wchar_t* label;
    irr::s32 editBox;
    irr::s32 browseButton;
    irr::s32 dialogTarget; // imageDialogTarget of the browse button
    irr::u32 material;     // material of the engine's sky box node
};

extern const SkyBoxRow kSkyBoxRows[6];

// Adds the rows to the object tab and fills them with the node's faces.
void addSkyBoxRows();

// Shows the file of each face (texture layer 0 of its material) in its row;
// a face without an image empties its row. Nothing happens without the tool
// box or for a node that is no sky box.
void fillSkyBoxRows(irr::scene::ISceneNode* node);

// The update button: for the rows Up, Down, Left, Right, Back and Front in
// that order, a row with text puts its image on its face (nothing when the
// file cannot be loaded); an empty row leaves its face as it is.
void applySkyBoxRows();

// The image set chosen in the set dialog: applied to the selected sky box,
// whose rows then show the new faces.
void applySkyBoxSetFromDialog(const std::string& markerPath);

} // namespace sorn
