#pragma once
// The tool box's rows as a user of a desktop editor expects them: Enter
// applies the row's group as its Set or Update button does, Tab moves to the
// next row, and values typed but not applied are applied before the
// selection changes. Each apply is one undo step.
#include <irrlicht.h>

namespace sorn {

// A row took the focus, was typed into, or Enter was pressed in it. Returns
// whether the event was Enter in a row (then the group was applied).
bool handleToolBoxRowEvent(const irr::SEvent::SGUIEvent& event);

// A group's Set or Update button applies its rows through the table. False
// for any other id.
bool runRowGroupButton(irr::s32 id);

// Tab (backwards: Shift+Tab) with the focus in a row moves it to the next row
// down (up) on the same page. False when the focus is in no row.
bool moveToNeighbourRow(bool backwards);

// The selection is about to change, or the scene is about to be saved: the
// groups holding typed rows are applied to the nodes they were typed for,
// together one undo step.
void applyTypedRows();

} // namespace sorn
