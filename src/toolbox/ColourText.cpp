#include "toolbox/ColourText.h"

#include <climits>
#include <cmath>
#include <string>

#include "app/TextConvert.h"
#include "toolbox/NumberText.h"

using namespace irr;

namespace sorn {

namespace {

// A float channel as the 8-bit channel the colour text shows: channel * 255
// rounded to the nearest integer. A saved scene holds a channel with six
// decimals (100 / 255 reads back as 0.392157, 99.99999 / 255): truncating
// would show, and apply again, one step less after every save and reopen.
// Values outside 0..1 wrap through the low 8 bits of that integer; values no
// int can hold (and NaN) count as 0 rather than being undefined.
u32 channelByte(f32 channel) {
    const double scaled = std::floor(static_cast<double>(channel) * 255.0 + 0.5);
    if (!std::isfinite(scaled) || scaled >= 2147483648.0 || scaled <= -2147483649.0)
        return 0;
    return static_cast<u32>(static_cast<int>(scaled)) & 255u;
}

} // namespace

core::stringw formatColourText(video::SColor colour) {
    core::stringw text;
    text += colour.getAlpha();
    text += L",";
    text += colour.getRed();
    text += L",";
    text += colour.getGreen();
    text += L",";
    text += colour.getBlue();
    return text;
}

core::stringw formatColourText(const video::SColorf& colour) {
    const u32 argb = channelByte(colour.a) << 24 | channelByte(colour.r) << 16 |
                     channelByte(colour.g) << 8 | channelByte(colour.b);
    return formatColourText(video::SColor(argb));
}

video::SColor parseColourText(const wchar_t* text) {
    const std::string bytes = narrowToBytes(text);
    std::string::size_type commas[3];
    std::string::size_type from = 0;
    for (auto& comma : commas) {
        comma = bytes.find(',', from);
        if (comma == std::string::npos)
            return video::SColor(1);
        from = comma + 1;
    }
    const u32 a = static_cast<u32>(parseIntegerLikeAtoi(bytes.c_str()));
    const u32 r = static_cast<u32>(parseIntegerLikeAtoi(bytes.c_str() + commas[0] + 1));
    const u32 g = static_cast<u32>(parseIntegerLikeAtoi(bytes.c_str() + commas[1] + 1));
    const u32 b = static_cast<u32>(parseIntegerLikeAtoi(bytes.c_str() + commas[2] + 1));
    return video::SColor(a << 24 | (r & 255u) << 16 | (g & 255u) << 8 | (b & 255u));
}

video::SColorf colourToFloat(video::SColor colour) {
    return video::SColorf(colour.getRed() / 255.f, colour.getGreen() / 255.f, colour.getBlue() / 255.f,
                          colour.getAlpha() / 255.f);
}

} // namespace sorn
