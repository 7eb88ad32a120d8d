#include "toolbox/AttributeText.h"

#include <cwctype>
#include <string>

#include "app/TextConvert.h"
#include "toolbox/NumberText.h"

using namespace irr;

namespace sorn {

bool startsWithNumber(const wchar_t* text) {
    if (!text)
        return false;
    while (std::iswspace(static_cast<wint_t>(*text)))
        ++text;
    if (*text == L'+' || *text == L'-')
        ++text;
    if (*text == L'.')
        ++text;
    return *text >= L'0' && *text <= L'9';
}

bool readFloatText(const wchar_t* text, f32& value) {
    return startsWithNumber(text) && parseFiniteNumber(text, value);
}

bool readIntegerText(const wchar_t* text, s32& value) {
    if (!startsWithNumber(text))
        return false;
    value = parseIntegerLikeAtoi(text);
    return true;
}

core::stringw attributeText(io::IAttributes* attributes, s32 index) {
    core::stringw text = attributes->getAttributeAsStringW(index);
    for (u32 i = 0; i < text.size(); ++i)
        if (text[i] < 0)
            text[i] = static_cast<wchar_t>(text[i] & 0xFF);
    return text;
}

void setAttributeText(io::IAttributes* attributes, s32 index, const wchar_t* text) {
    attributes->setAttribute(index, text);
    if (attributeText(attributes, index) == text)
        return;
    std::string bytes;
    for (const wchar_t* c = text; *c; ++c)
        bytes += *c > 0 && *c <= 0xFF ? static_cast<char>(*c) : '?';
    attributes->setAttribute(index, bytes.c_str());
}

} // namespace sorn
