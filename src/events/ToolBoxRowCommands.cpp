#include "events/ToolBoxRowCommands.h"

#include "app/EditorState.h"
#include "events/UndoCommands.h"
#include "toolbox/ToolBoxRowGroups.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

bool handleToolBoxRowEvent(const SEvent::SGUIEvent& event) {
    const s32 id = event.Caller ? event.Caller->getID() : -1;
    switch (event.EventType) {
    case gui::EGET_ELEMENT_FOCUSED:
        noteRowFocused(id);
        return false;
    case gui::EGET_EDITBOX_CHANGED:
        noteRowEdited(id);
        return false;
    case gui::EGET_EDITBOX_ENTER: {
        const RowGroup* group = shownGroupOfRow(id);
        if (!group)
            return false;
        RecordedChange change;
        applyRowGroup(*group);
        return true;
    }
    default:
        return false;
    }
}

bool runRowGroupButton(s32 id) {
    const RowGroup* group = shownGroupOfButton(id);
    if (!group)
        return false;
    applyRowGroup(*group);
    return true;
}

bool moveToNeighbourRow(bool backwards) {
    gui::IGUIEnvironment* env = editor.device ? editor.device->getGUIEnvironment() : nullptr;
    gui::IGUIElement* focus = env ? env->getFocus() : nullptr;
    if (!focus || focus != toolBoxElement(focus->getID()))
        return false;
    gui::IGUIElement* next = neighbourRow(focus->getID(), backwards);
    if (!next)
        return false;
    env->setFocus(next);
    return true;
}

void applyTypedRows() {
    const std::vector<const RowGroup*> groups = typedGroups();
    if (groups.empty())
        return;
    // A press that picks a row of the scene box began a drag of the old
    // selection; the apply is a step of its own, also inside a key or button
    // whose own recording ends with another selection.
    endDragChange();
    RecordedChange change(true);
    for (const RowGroup* group : groups)
        applyTypedRowsOf(*group);
}

} // namespace sorn
