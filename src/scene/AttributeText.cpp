#include "scene/AttributeText.h"

#include <cmath>
#include <cwctype>
#include <limits>
#include <string>

using namespace irr;

namespace sorn {

namespace {

struct TypeEntry {
    io::E_ATTRIBUTE_TYPE type;
    const wchar_t* name;
};

// In the order the type choice lists them.
const TypeEntry kTypes[] = {
    {io::EAT_INT, L"int"},
    {io::EAT_FLOAT, L"float"},
    {io::EAT_STRING, L"string"},
    {io::EAT_BOOL, L"bool"},
    {io::EAT_ENUM, L"enum"},
    {io::EAT_COLOR, L"color"},
    {io::EAT_COLORF, L"colorf"},
    {io::EAT_VECTOR3D, L"vector3d"},
    {io::EAT_VECTOR2D, L"vector2d"},
    {io::EAT_POSITION2D, L"position"},
    {io::EAT_DIMENSION2D, L"dimension2d"},
    {io::EAT_RECT, L"rect"},
    {io::EAT_MATRIX, L"matrix"},
    {io::EAT_QUATERNION, L"quaternion"},
    {io::EAT_BBOX, L"box3d"},
    {io::EAT_PLANE, L"plane"},
    {io::EAT_TRIANGLE3D, L"triangle"},
    {io::EAT_LINE2D, L"line2d"},
    {io::EAT_LINE3D, L"line3d"},
    {io::EAT_STRINGWARRAY, L"stringwarray"},
    {io::EAT_BINARY, L"binary"},
    {io::EAT_TEXTURE, L"texture"},
};

enum class NumberKind { Float, Int, NonNegativeInt };

struct NumberParts {
    io::E_ATTRIBUTE_TYPE type;
    u32 count;
    NumberKind kind;
};

const NumberParts kNumberParts[] = {
    {io::EAT_INT, 1, NumberKind::Int},          {io::EAT_FLOAT, 1, NumberKind::Float},
    {io::EAT_COLORF, 4, NumberKind::Float},     {io::EAT_VECTOR3D, 3, NumberKind::Float},
    {io::EAT_POSITION2D, 2, NumberKind::Int},   {io::EAT_VECTOR2D, 2, NumberKind::Float},
    {io::EAT_DIMENSION2D, 2, NumberKind::NonNegativeInt},
    {io::EAT_RECT, 4, NumberKind::Int},         {io::EAT_MATRIX, 16, NumberKind::Float},
    {io::EAT_QUATERNION, 4, NumberKind::Float}, {io::EAT_BBOX, 6, NumberKind::Float},
    {io::EAT_PLANE, 4, NumberKind::Float},      {io::EAT_TRIANGLE3D, 9, NumberKind::Float},
    {io::EAT_LINE2D, 4, NumberKind::Float},     {io::EAT_LINE3D, 6, NumberKind::Float},
};

bool isDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool isHexDigit(wchar_t c) { return isDigit(c) || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'); }
bool isSeparator(wchar_t c) { return c == L',' || c == L' ' || c == L'\t'; }

std::wstring trimmed(const wchar_t* text) {
    std::wstring s(text);
    const size_t first = s.find_first_not_of(L" \t");
    if (first == std::wstring::npos)
        return std::wstring();
    return s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

// Reads one number token at text[at]: an optional sign, digits with an
// optional fraction and (for floats) exponent. Sets end past it; false when
// no number starts there or it is out of the kind's range.
bool readNumber(const std::wstring& text, size_t at, NumberKind kind, size_t& end) {
    size_t i = at;
    const bool negative = i < text.size() && text[i] == L'-';
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        ++i;
    const size_t intStart = i;
    while (i < text.size() && isDigit(text[i]))
        ++i;
    const size_t intEnd = i;
    size_t fractionDigits = 0;
    if (i < text.size() && text[i] == L'.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++fractionDigits;
        }
    }
    if (intEnd == intStart && fractionDigits == 0)
        return false;
    if (kind == NumberKind::Float && i < text.size() && (text[i] == L'e' || text[i] == L'E')) {
        size_t e = i + 1;
        if (e < text.size() && (text[e] == L'-' || text[e] == L'+'))
            ++e;
        if (e >= text.size() || !isDigit(text[e]))
            return false;
        while (e < text.size() && isDigit(text[e]))
            ++e;
        i = e;
    }
    end = i;
    if (kind == NumberKind::Float) {
        // The engine's own reading, which no locale changes.
        const core::stringc token(text.substr(at, i - at).c_str());
        const f32 value = core::fast_atof(token.c_str());
        return std::isfinite(value) && std::fabs(value) <= std::numeric_limits<f32>::max();
    }
    if (kind == NumberKind::NonNegativeInt && negative)
        return false;
    // The engine reads the whole part (a fraction is cut off); it must fit an s32.
    double whole = 0;
    for (size_t d = intStart; d < intEnd; ++d) {
        whole = whole * 10 + (text[d] - L'0');
        if (whole > 2147483648.0)
            return false;
    }
    return negative ? whole <= 2147483648.0 : whole <= 2147483647.0;
}

bool readsNumbers(const wchar_t* text, const NumberParts& parts) {
    const std::wstring s(text);
    u32 found = 0;
    size_t i = 0;
    for (;;) {
        const size_t before = i;
        while (i < s.size() && isSeparator(s[i]))
            ++i;
        if (i == s.size())
            break;
        if (found > 0 && i == before)
            return false; // two numbers need a separator between them
        size_t end = i;
        if (!readNumber(s, i, parts.kind, end))
            return false;
        ++found;
        i = end;
    }
    return found == parts.count;
}

bool readsHex(const std::wstring& s) {
    for (wchar_t c : s)
        if (!isHexDigit(c))
            return false;
    return true;
}

} // namespace

const std::vector<io::E_ATTRIBUTE_TYPE>& customPropertyTypes() {
    static const std::vector<io::E_ATTRIBUTE_TYPE> types = [] {
        std::vector<io::E_ATTRIBUTE_TYPE> list;
        for (const TypeEntry& entry : kTypes)
            list.push_back(entry.type);
        return list;
    }();
    return types;
}

const wchar_t* attributeTypeName(io::E_ATTRIBUTE_TYPE type) {
    for (const TypeEntry& entry : kTypes)
        if (entry.type == type)
            return entry.name;
    return L"";
}

bool attributeTextReads(io::E_ATTRIBUTE_TYPE type, const wchar_t* text) {
    if (!text)
        return false;
    for (const NumberParts& parts : kNumberParts)
        if (parts.type == type)
            return readsNumbers(text, parts);
    const std::wstring s = trimmed(text);
    switch (type) {
    case io::EAT_STRING:
    case io::EAT_ENUM:
    case io::EAT_TEXTURE: return true;
    case io::EAT_BOOL: return s == L"true" || s == L"false";
    case io::EAT_COLOR: return s.size() == 8 && readsHex(s);
    case io::EAT_BINARY: return s.size() % 2 == 0 && readsHex(s);
    default: return false;
    }
}

} // namespace sorn
