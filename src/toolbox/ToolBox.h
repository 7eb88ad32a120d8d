#pragma once
// The tool box: a window at the right of the editor whose tabs show and edit
// the selected node's properties, rebuilt from scratch for every selection.

namespace sorn {

// Opens the tool box (replacing an open one) and builds its tabs.
void createToolBox();
// Rebuilds the tab control of the open tool box for the current selection.
void ToolBoxbyType();
// Rebuilds and refills the tool box if it is open; does nothing otherwise.
void updateToolBox();
// Closes the tool box if it is open.
void ToolBoxClose();

} // namespace sorn
