#pragma once
// The transform gizmo: two anchors that follow the selected node, three axis
// lines and three flat rings, all hidden until an axis is made active.

namespace sorn {

// Builds the gizmo into editor.gizmoAnchor ... editor.gizmoRingZ.
void createGizmo();

} // namespace sorn
