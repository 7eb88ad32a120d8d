#pragma once
// Small operations every tab of the tool box shares: finding its elements,
// reading their text, showing a label/value row, adding a browse button.
#include <irrlicht.h>

#include <string>

namespace sorn {

// The tool box window's descendant with this id; null while the tool box is
// closed or the element is absent.
irr::gui::IGUIElement* toolBoxElement(irr::s32 id);

// Whether an element of the tool box with this id exists and its text, as
// 8-bit characters for parsing (characters beyond Latin-1 read as '?').
bool toolBoxText(irr::s32 id, std::string& bytes);

// Sets the visibility, the text and the tooltip of the tool box element with
// this id, in that order. Does nothing without the tool box or the element.
void showToolBoxRow(irr::s32 id, bool visible, const wchar_t* text, const wchar_t* tooltip);

// A browse button: the text " ", alpha channel on, the editor's folder.png
// shown in its source rectangle (0, 0, 16, 16).
irr::gui::IGUIButton* addBrowseButton(irr::gui::IGUIElement* parent, const irr::core::rect<irr::s32>& rect,
                                      irr::s32 id);

} // namespace sorn
