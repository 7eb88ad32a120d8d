#pragma once
// The custom properties tab, on every node's tool box: the node's user data
// (what games read from the scene file) as a list of "name (type)" entries,
// with Add and Remove, the picked property's name (Enter renames), its type
// (a choice changes it) and its value. Every change is one undo step; the
// tool box is then rebuilt with the property still picked (after a remove,
// the one that took its place).
namespace sorn {

// Adds the tab for the selected node to the tool box's tab control.
void addCustomPropertiesTab();

} // namespace sorn
