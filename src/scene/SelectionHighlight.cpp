#include "scene/SelectionHighlight.h"

#include "app/EditorState.h"
#include "scene/SelectedNodes.h"

using namespace irr;

namespace sorn {

namespace {

// Seen where a node is drawn: a node under a hidden parent is not drawn.
bool drawnInView(scene::ISceneNode* node) {
    for (scene::ISceneNode* n = node; n; n = n->getParent())
        if (!n->isVisible())
            return false;
    return true;
}

} // namespace

video::SColor primaryHighlightColour() { return video::SColor(255, 255, 200, 40); }

video::SColor secondaryHighlightColour() { return video::SColor(255, 150, 110, 30); }

std::vector<HighlightBox> selectionHighlightBoxes() {
    std::vector<HighlightBox> boxes;
    const std::vector<scene::ISceneNode*> nodes = selectedNodes();
    boxes.reserve(nodes.size());
    for (scene::ISceneNode* node : nodes)
        if (drawnInView(node))
            boxes.push_back({node, node == editor.selectedNode ? primaryHighlightColour() : secondaryHighlightColour()});
    return boxes;
}

void drawSelectionHighlight() {
    if (!editor.device || editor.selection.empty())
        return;
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    const std::vector<HighlightBox> boxes = selectionHighlightBoxes();
    if (boxes.empty())
        return;
    video::SMaterial material;
    material.Lighting = false;
    material.ZBuffer = video::ECFN_LESSEQUAL;
    driver->setMaterial(material);
    for (const HighlightBox& box : boxes) {
        // Drawn where the node is drawn: its world transformation as computed
        // from the relative ones, current even before the engine's next pass.
        driver->setTransform(video::ETS_WORLD, worldTransformationOf(box.node));
        // A little larger than the node, so the lines do not sink into its faces.
        // A camera's own box is its view volume, in world space: a camera is
        // outlined as a small cube around where it stands instead.
        core::aabbox3df outline = box.node->getType() == scene::ESNT_CAMERA
                                      ? core::aabbox3df(-1.f, -1.f, -1.f, 1.f, 1.f, 1.f)
                                      : box.node->getBoundingBox();
        const core::vector3df margin = outline.getExtent() * 0.02f + core::vector3df(0.05f, 0.05f, 0.05f);
        outline.MinEdge -= margin;
        outline.MaxEdge += margin;
        driver->draw3DBox(outline, box.colour);
    }
    driver->setTransform(video::ETS_WORLD, core::IdentityMatrix);
}

} // namespace sorn
