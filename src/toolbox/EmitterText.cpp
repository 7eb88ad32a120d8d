#include "toolbox/EmitterText.h"

#include <cstdio>
#include <cstdlib>

namespace sorn {

irr::core::stringw formatDimensionText(const irr::core::dimension2df& size) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, "%0.6f/%0.6f", static_cast<double>(size.Width),
                  static_cast<double>(size.Height));
    return irr::core::stringw(buffer);
}

DimensionReading parseDimensionText(const std::string& bytes) {
    DimensionReading reading;
    const std::string::size_type slash = bytes.find('/');
    reading.width = std::strtod(bytes.substr(0, slash).c_str(), nullptr);
    reading.hasSlash = slash != std::string::npos;
    if (reading.hasSlash)
        reading.height = std::strtod(bytes.c_str() + slash + 1, nullptr);
    return reading;
}

bool parseYesNoText(const std::string& bytes) {
    for (const char* yes : {"true", "True", "tru", "Tru", "1"})
        if (bytes == yes)
            return true;
    std::string::size_type i = 0;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-')) {
        if (bytes[i] == '-')
            return false;
        ++i;
    }
    // Above 0 means some leading digit is not 0; counting is never needed, so
    // no number of digits can overflow.
    for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
        if (bytes[i] != '0')
            return true;
    return false;
}

} // namespace sorn
