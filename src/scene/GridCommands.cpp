#include "scene/GridCommands.h"

#include "app/EditorState.h"
#include "scene/GridSceneNode.h"

namespace sorn {

using namespace irr;

void createGrid(f32 size, f32 spacing) {
    if (!editor.sceneManager)
        return;
    CGridSceneNode* grid = new CGridSceneNode(editor.sceneManager->getRootSceneNode(), editor.sceneManager, -1, 1);
    editor.gridNode = grid;
    grid->setGridsSize(core::dimension2df(size, size));
    grid->getGrid(0).setSpacing(spacing);
    grid->getGrid(0).setGridColor(video::SColor(0xFFFFFFFF));
    grid->drop();
    grid->setName("Sorn::Grid");
    // Kept out of saved scenes, the scene box and scene clearing.
    grid->setIsDebugObject(true);
}

void setGridSizeAndSpacing(f32 size, f32 spacing) {
    if (!editor.gridNode || editor.gridNode->getGridCount() == 0)
        return;
    editor.gridNode->setGridsSize(core::dimension2df(size, size));
    editor.gridNode->getGrid(0).setSpacing(spacing);
}

void resetGrid() {
    editor.gridSize = kDefaultGridSize;
    editor.gridSpacing = kDefaultGridSpacing;
    setGridSizeAndSpacing(kDefaultGridSize, kDefaultGridSpacing);
}

} // namespace sorn
