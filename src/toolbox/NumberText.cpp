#include "toolbox/NumberText.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/TextConvert.h"

namespace sorn {

bool parseFiniteNumber(const wchar_t* text, irr::f32& value) {
    const std::string bytes = narrowToBytes(text);
    const double parsed = std::atof(bytes.c_str());
    // Beyond FLT_MAX the conversion to f32 would give infinity.
    if (!std::isfinite(parsed) || std::fabs(parsed) > static_cast<double>(FLT_MAX))
        return false;
    value = static_cast<irr::f32>(parsed);
    return true;
}

} // namespace sorn
