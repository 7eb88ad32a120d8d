#pragma once
// The attribute types a custom property can take, and which texts each type
// reads. The engine's own reading of a value takes any text: it skips what is
// no number and takes a missing part as 0 ("abc" is a vector of zeros, a too
// large int wraps round, a colour reads its text as hexadecimal). The editor
// checks the text first, so that text a type does not read keeps the value.
#include <irrlicht.h>

#include <vector>

namespace sorn {

// The types a save writes and an open reads back as they were, in the order
// the type choice lists them. (Float and int arrays are written but never
// read back; user pointers are not written.)
const std::vector<irr::io::E_ATTRIBUTE_TYPE>& customPropertyTypes();

// The type's name as a scene file writes it ("int", "vector3d", "position");
// "" for a type the editor does not list.
const wchar_t* attributeTypeName(irr::io::E_ATTRIBUTE_TYPE type);

// Whether the type reads text as a value: the text form of its value
// (IAttributes::getAttributeAsStringW) in the exact number of parts, each a
// finite number in the type's range; a colour as eight hexadecimal digits
// (AARRGGBB), a boolean as "true" or "false", binary data as pairs of
// hexadecimal digits. Strings, enumeration values and texture paths read any
// text; string arrays have no text form and read none.
bool attributeTextReads(irr::io::E_ATTRIBUTE_TYPE type, const wchar_t* text);

} // namespace sorn
