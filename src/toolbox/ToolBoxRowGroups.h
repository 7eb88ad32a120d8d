#pragma once
// The tool box's edit rows grouped as their Set and Update buttons apply
// them: one table from each row to its group's apply, used by the buttons,
// by Enter in a row, by Tab between rows (top to bottom, X, Y, Z) and by the
// selection change that applies what was typed and not yet applied.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// One group: its rows in the order they are shown, top to bottom, and the
// button that applies them.
struct RowGroup {
    irr::s32 button;
    void (*apply)();
    irr::s32 firstRow;
    irr::s32 rowStep; // id distance from one row to the next one down
    irr::s32 rowCount;
    // A text that makes the apply keep a row's value as it is (a number
    // that is not finite, or nothing), so that only typed rows are applied
    // before a pick; null: the group's rows are all applied together.
    const wchar_t* keepText;

    irr::s32 row(irr::s32 i) const { return firstRow + i * rowStep; }
    bool holds(irr::s32 id) const;
};

// Every group, in the order the rows are met going down each tab page.
const std::vector<RowGroup>& rowGroups();

// The group of the row with this id that the tool box shows now (the light
// and emitter rows share their ids; only one of the two tabs exists at a
// time): null when the id is no row or the group's button is absent.
const RowGroup* shownGroupOfRow(irr::s32 id);
// The group whose apply button has this id, when the tool box shows it.
const RowGroup* shownGroupOfButton(irr::s32 id);

// Runs the group's apply, as its button does; its rows then count as applied.
void applyRowGroup(const RowGroup& group);

// Applies the typed rows of the group and keeps the values of the others
// where the group can (see keepText).
void applyTypedRowsOf(const RowGroup& group);

// The name row's apply renames through the undo history, above the tool box:
// the command that does it is handed in once.
void setNameRowApply(void (*apply)());

// The row below this one on the same page (or above it, backwards), wrapping
// at the ends; rows hidden or on a page not shown are passed over. Null when
// the id is no row shown.
irr::gui::IGUIElement* neighbourRow(irr::s32 id, bool backwards);

// What the user typed. A row is typed while it shows the text the user last
// gave it (the program writing the row again ends that), until its group is
// applied; a row whose text is what it showed when it took the focus is not.
void noteRowFocused(irr::s32 id);
void noteRowEdited(irr::s32 id);
bool rowIsTyped(irr::s32 id);
// The groups that hold typed rows, in table order.
std::vector<const RowGroup*> typedGroups();
// Nothing is typed any more.
void forgetTypedRows();

// The typed rows of the node shown, taken before the tool box is rebuilt for
// the same node (a refresh after an added node, an undo) and given back to the
// new rows afterwards, still typed. Rows of another node are dropped.
class TypedRowsKept {
public:
    TypedRowsKept();
    void restore();

private:
    irr::scene::ISceneNode* node_ = nullptr;
    std::vector<std::pair<irr::s32, irr::core::stringw>> typed_;
};

// The tool box was built for this node (compared, never used): typed rows of
// another node are forgotten.
void noteToolBoxNode(irr::scene::ISceneNode* node);

} // namespace sorn
