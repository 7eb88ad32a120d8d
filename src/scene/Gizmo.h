#pragma once
// The transform gizmo: two anchors that follow the selected node, three axis
// lines and three flat rings, all hidden until an axis is made active.

namespace sorn {

// Builds the gizmo into editor.gizmoAnchor ... editor.gizmoRingZ.
void createGizmo();

// While editing is on, puts the gizmo on the selected node where it is drawn:
// at its position in the world and turned by the rotations of the node and
// all its parents (nodes added under a selection are nested).
void followSelectedNodeWithGizmo();

} // namespace sorn
