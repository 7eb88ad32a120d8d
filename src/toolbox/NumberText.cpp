#include "toolbox/NumberText.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/TextConvert.h"

using irr::s32;

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

s32 parseIntegerLikeAtoi(const char* bytes) {
    if (!bytes)
        return 0;
    const long long parsed = std::strtoll(bytes, nullptr, 10);
    if (parsed > INT_MAX)
        return INT_MAX;
    if (parsed < INT_MIN)
        return INT_MIN;
    return static_cast<s32>(parsed);
}

s32 parseIntegerLikeAtoi(const wchar_t* text) {
    return parseIntegerLikeAtoi(narrowToBytes(text).c_str());
}

} // namespace sorn
