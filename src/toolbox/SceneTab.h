#pragma once
// The scene tab, shown while nothing is selected: the editor grid's size and
// spacing.

namespace sorn {

// Adds the grid rows to the tool box's first tab, showing gridSize and gridSpacing.
void addSceneTabRows();

// The grid rows' update button: reads both boxes as gridSize and gridSpacing
// and rebuilds the grid with them. A box whose text is no finite positive
// number keeps the value in force and shows it again.
void applyGridRows();

} // namespace sorn
