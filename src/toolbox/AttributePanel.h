#pragma once
// A panel of rows showing an attribute set, one row per attribute, each with
// an editor by the attribute's type: a check box for booleans, an edit box for
// numbers and text, a combo of the engine's own literals for enumerations,
// three boxes for vectors, a colour box with a swatch that opens the engine's
// colour selection dialog, a texture row with a browse button; other types as
// the engine's text form in one edit box. Rows that do not fit scroll.
//
// The panel is a GUI element: the events of its rows reach it (children send
// their events to their parent) and it handles them itself. A completed edit
// (Enter in a box, a check box clicked, a combo choice, a colour chosen in the
// dialog, a texture picked) gives the owner a copy of the shown set with the
// one value changed; text the attribute cannot read keeps the value in force
// and calls nothing. The owner applies the copy (and usually rebuilds).
#include <irrlicht.h>

#include <functional>

namespace sorn {

// Called with the edited copy (the panel drops it after the call) and the
// index of the attribute changed.
using AttributeEdited = std::function<void(irr::io::IAttributes* edited, irr::u32 index)>;

// Adds a panel to parent in area showing a copy of attributes (the caller
// keeps its set). Its rows use element ids from firstId to lastId (ids run
// out: the remaining attributes are not shown). Returns the panel (owned by
// parent), or null without a GUI.
irr::gui::IGUIElement* addAttributePanel(irr::gui::IGUIElement* parent, const irr::core::rect<irr::s32>& area,
                                         irr::io::IAttributes* attributes, irr::s32 firstId, irr::s32 lastId,
                                         AttributeEdited onEdit);

} // namespace sorn

namespace sorn {

// What the panel shows for each attribute type: the editor a row gets.
enum class AttributeEditor {
    Check,     // bool
    Integer,   // int
    Number,    // float
    Text,      // string
    Choice,    // enum: a combo of its literals
    Vector3,   // three number boxes
    Vector2,   // two number boxes
    Position2, // two integer boxes
    Size2,     // two integer boxes, no negatives
    Colour,    // colour text and a swatch (color and colorf)
    Texture,   // the texture's path and a browse button
    EngineText, // the engine's own text form
    ReadOnly,  // a user pointer, a text array: shown, not editable
};

AttributeEditor attributeEditorFor(irr::io::E_ATTRIBUTE_TYPE type);

// The id of the first editing element (box, check box or combo) of the
// panel's row showing the attribute named name; -1 when it shows none.
irr::s32 attributeRowId(irr::gui::IGUIElement* panel, const char* name);

} // namespace sorn
