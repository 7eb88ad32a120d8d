#include "events/Selection.h"

#include "app/EditorState.h"
#include "app/StatusLine.h"
#include "events/KeyboardMouseEditing.h"

namespace sorn {

void clearSelection() {
    const bool hadSelection = editor.selectedNode || editor.nodeSelected;
    // Editing is left while the node still exists: its rows are refilled and
    // the hidden windows come back.
    leaveEditingMode();
    // Picking another node switches the old one's debug drawing off; with no
    // next pick to do it, it is done here.
    if (editor.selectedNode)
        editor.selectedNode->setDebugDataVisible(irr::scene::EDS_OFF);
    editor.selectedNode = nullptr;
    editor.nodeSelected = false;
    updateStatusLine();
    if (hadSelection)
        editor.sceneViewRefresh.schedule();
}

} // namespace sorn
