#include "app/TextConvert.h"

#include <cstdio>

namespace sorn {

std::string narrowToBytes(const wchar_t* text) {
    std::string out;
    if (!text)
        return out;
    for (const wchar_t* p = text; *p; ++p) {
        unsigned long c = static_cast<unsigned long>(*p);
        // A character beyond Latin-1 cut to its low byte could turn into a
        // digit ("\u0131" into "1"); it is no part of a number, so it stops one.
        out += c > 0xFF ? '?' : static_cast<char>(c);
    }
    return out;
}

irr::core::stringw formatFloat(irr::f32 value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%0.6f", static_cast<double>(value));
    return irr::core::stringw(buffer);
}

} // namespace sorn
