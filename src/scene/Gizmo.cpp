#include "scene/Gizmo.h"

#include "app/EditorState.h"
#include "scene/AxisLineSceneNodes.h"
#include "scene/SelectedNodes.h"

namespace sorn {

using namespace irr;

namespace {

// Lines and rings start hidden; the editing modes show the active axis.
void markHiddenDebugObject(scene::ISceneNode* node) {
    node->setIsDebugObject(true);
    node->setVisible(false);
}

template <class Line>
scene::ISceneNode* addLine(scene::ISceneNode* parent) {
    Line* line = new Line(parent, editor.sceneManager, -1);
    line->drop(); // the parent keeps it
    markHiddenDebugObject(line);
    return line;
}

// A flat wireframe cylinder centred on the node, in its axis's colour.
scene::ISceneNode* addRing(scene::ISceneNode* parent, video::SColor colour, const core::vector3df& rotation) {
    scene::ISceneManager* smgr = editor.sceneManager;
    const scene::IGeometryCreator* geometry = smgr->getGeometryCreator();
    if (!geometry)
        return nullptr;
    scene::IMesh* mesh = geometry->createCylinderMesh(100.f, 0.1f, 2, colour, true, 0.f);
    if (!mesh)
        return nullptr;
    scene::IMeshSceneNode* ring = smgr->addMeshSceneNode(mesh, parent, -1, core::vector3df(0.f, 0.f, 0.f), rotation,
                                                         core::vector3df(1.f, 1.f, 1.f));
    mesh->drop();
    if (!ring)
        return nullptr;
    ring->setMaterialFlag(video::EMF_WIREFRAME, true);
    ring->setMaterialFlag(video::EMF_LIGHTING, false);
    markHiddenDebugObject(ring);
    return ring;
}

// The node's transformation in the world, from its own and its parents'
// relative transformations. Computed here rather than read from the node: the
// engine only updates the absolute transformation of nodes it animates, and
// hidden ones are not animated.
core::matrix4 worldTransformation(scene::ISceneNode* node) {
    core::matrix4 world = node->getRelativeTransformation();
    for (scene::ISceneNode* parent = node->getParent(); parent; parent = parent->getParent())
        world = parent->getRelativeTransformation() * world;
    return world;
}

// The rotations alone, so that a zero or odd scale on the way cannot turn the
// gizmo's angles into nonsense.
core::vector3df worldRotation(scene::ISceneNode* node) {
    core::matrix4 world;
    for (scene::ISceneNode* n = node; n; n = n->getParent()) {
        core::matrix4 rotation;
        rotation.setRotationDegrees(n->getRotation());
        world = rotation * world;
    }
    return world.getRotationDegrees();
}

} // namespace

void followSelectedNodeWithGizmo() {
    scene::ISceneNode* node = editor.selectedNode;
    if (!node || !editor.gizmoActive || !editor.gizmoAnchor || !editor.gizmoRotationAnchor)
        return;
    // Several nodes turn about their common centre and the world's axes.
    if (editor.selection.size() > 1) {
        const std::vector<scene::ISceneNode*> group = topmostSelectedNodes();
        if (group.size() > 1) {
            editor.gizmoAnchor->setPosition(selectionCentre());
            editor.gizmoRotationAnchor->setRotation(core::vector3df(0.f, 0.f, 0.f));
            return;
        }
    }
    editor.gizmoAnchor->setPosition(worldTransformation(node).getTranslation());
    editor.gizmoRotationAnchor->setRotation(worldRotation(node));
}

void createGizmo() {
    scene::ISceneManager* smgr = editor.sceneManager;
    if (!smgr)
        return;
    editor.gizmoAnchor = smgr->addEmptySceneNode(smgr->getRootSceneNode(), -1);
    editor.gizmoAnchor->setIsDebugObject(true);
    // Not a debug object itself: it lies under one.
    editor.gizmoRotationAnchor = smgr->addEmptySceneNode(editor.gizmoAnchor, -1);

    editor.gizmoLineX = addLine<XLineSceneNode>(editor.gizmoAnchor);
    editor.gizmoLineZ = addLine<ZLineSceneNode>(editor.gizmoAnchor);
    editor.gizmoLineY = addLine<YLineSceneNode>(editor.gizmoAnchor);

    editor.gizmoRingX = addRing(editor.gizmoRotationAnchor, video::SColor(0xFF0000FF), core::vector3df(90.f, 0.f, 0.f));
    editor.gizmoRingY = addRing(editor.gizmoRotationAnchor, video::SColor(0xFFFFFF00), core::vector3df(0.f, 0.f, 90.f));
    editor.gizmoRingZ = addRing(editor.gizmoRotationAnchor, video::SColor(0xFFFF0000), core::vector3df(0.f, 0.f, 0.f));
}

} // namespace sorn
