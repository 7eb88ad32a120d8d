#pragma once
// Texts of the emitter rows that are neither plain numbers nor colours: the
// start sizes as dimension text ("5.000000/5.000000") and the outline-only
// flag of a cylinder emitter as yes/no text.
#include <irrlicht.h>

#include <string>

namespace sorn {

// Width and height, each "%0.6f", joined by "/".
irr::core::stringw formatDimensionText(const irr::core::dimension2df& size);

// The width and height that dimension text reads as, before any bounds: the
// part before the first "/" and the part after it, each read like atof (so
// "5/6/7" is 5 by 6). Without a "/" the whole text is the width and the
// height is 0. Values may be infinite or NaN; the caller bounds them.
struct DimensionReading {
    double width = 0.0;
    double height = 0.0;
    bool hasSlash = false;
};
DimensionReading parseDimensionText(const std::string& bytes);

// True for "true", "True", "tru", "Tru" and "1"; otherwise the text is read
// as a decimal integer (an optional sign, then the leading digits) and is true
// when that integer is above 0. A leading "-" and an empty text give false.
bool parseYesNoText(const std::string& bytes);

} // namespace sorn
