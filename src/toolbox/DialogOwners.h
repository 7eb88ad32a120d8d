#pragma once
// Dialogs opened by an element of the tool box (a colour swatch, a texture
// row's browse button) report to the GUI root as every dialog does; their
// reports are handed on to the element that opened them instead, so that the
// element can take the result itself.
#include <irrlicht.h>

namespace sorn {

// The reports of dialog go to owner until the dialog is done (a choice or a
// cancel). Both are held meanwhile.
void passDialogReportsTo(irr::gui::IGUIElement* dialog, irr::gui::IGUIElement* owner);

// Hands a report of such a dialog to its owner: true when the event was one
// (taken, even when the owner has left the GUI since).
bool passDialogReport(const irr::SEvent& event);

// An element whose own event led to the tool box being rebuilt (Enter in a
// row, a check box clicked) is held until the next such element, so that it
// outlives the return of its event handler.
void holdEditedElement(irr::gui::IGUIElement* element);

// Lets go of every dialog, owner and held element (the GUI goes).
void releaseToolBoxHolds();

} // namespace sorn
