#include "files/DecimalCommas.h"

#include <cstring>

namespace sorn {

namespace {

bool isDigit(unsigned long c) {
    return c >= '0' && c <= '9';
}

bool isSpace(unsigned long c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The engine's attribute types whose values are numbers. Called for every
// tag of the file, so the first letter picks the few candidates.
bool isNumericType(const char* name) {
    auto is = [name](const char* type) { return std::strcmp(name, type) == 0; };
    switch (name[0]) {
    case 'i':
        return is("int") || is("intlist");
    case 'f':
        return is("float") || is("floatlist");
    case 'v':
        return is("vector3d") || is("vector2d");
    case 'p':
        return is("position") || is("position2d") || is("plane");
    case 'c':
        return is("colorf");
    case 'd':
        return is("dimension2d");
    case 'r':
        return is("rect");
    case 'm':
        return is("matrix");
    case 'q':
        return is("quaternion");
    case 'b':
        return is("box3d");
    case 't':
        return is("triangle");
    case 'l':
        return is("line2d") || is("line3d");
    default:
        return false;
    }
}

} // namespace

bool holdsDigitCommaDigit(const unsigned char* data, size_t size, size_t offset, TextEncoding encoding) {
    const size_t unit = encoding.unitSize;
    const size_t lowByte = encoding.bigEndian ? unit - 1 : 0;
    const unsigned char* p = data;
    const unsigned char* end = data + size;
    while ((p = static_cast<const unsigned char*>(std::memchr(p, ',', static_cast<size_t>(end - p))))) {
        const size_t at = static_cast<size_t>(p - data);
        ++p;
        if (at < lowByte || (offset + at - lowByte) % unit != 0)
            continue;
        const size_t start = at - lowByte;
        if (start < unit || start + 2 * unit > size || codeUnitAt(data + start, encoding) != ',')
            continue;
        if (isDigit(codeUnitAt(data + start - unit, encoding)) && isDigit(codeUnitAt(data + start + unit, encoding)))
            return true;
    }
    return false;
}

// Appends an ASCII name character, lower-cased; a name too long for the buffer
// matches nothing (its length is pushed past the buffer).
bool DecimalCommaRewriter::collect(char* name, unsigned& length, unsigned long c) {
    if (length + 1 >= sizeof tagName_) {
        length = sizeof tagName_;
        return false;
    }
    if (c >= 'A' && c <= 'Z')
        c = c - 'A' + 'a';
    name[length++] = c < 0x80 ? static_cast<char>(c) : '?';
    name[length] = 0;
    return true;
}

template <unsigned Size, bool BigEndian>
inline void storeUnit(unsigned char* p, unsigned long value) {
    for (unsigned i = 0; i < Size; ++i)
        p[i] = static_cast<unsigned char>(value >> (BigEndian ? 8 * (Size - 1 - i) : 8 * i));
}

size_t DecimalCommaRewriter::feed(unsigned char* data, size_t size) {
    return withCodeUnitLayout(encoding_, [&](auto unitSize, auto bigEndian) {
        return scan<decltype(unitSize)::value, decltype(bigEndian)::value>(data, size);
    });
}

// Text between tags and the values of non-numeric attributes make up most of
// a scene file; they are skipped in tight loops. Everything else goes through
// step() one character at a time.
template <unsigned Size, bool BigEndian>
size_t DecimalCommaRewriter::scan(unsigned char* data, size_t size) {
    const size_t end = size - size % Size;
    size_t offset = scannedCarry_;
    while (offset < end) {
        if (state_ == State::Text) {
            while (offset < end && loadCodeUnit<Size, BigEndian>(data + offset) != '<')
                offset += Size;
            if (offset < end) {
                state_ = State::TagStart;
                offset += Size;
            }
        } else if (state_ == State::SkipTag) {
            for (; offset < end; offset += Size) {
                const unsigned long c = loadCodeUnit<Size, BigEndian>(data + offset);
                if (c == '>' || c == '"' || c == '\'') {
                    state_ = c == '>' ? State::Text : State::Value;
                    quote_ = c;
                    numericValue_ = false;
                    offset += Size;
                    break;
                }
            }
        } else if (state_ == State::Value && !numericValue_) {
            const unsigned long quote = quote_;
            while (offset < end && loadCodeUnit<Size, BigEndian>(data + offset) != quote)
                offset += Size;
            if (offset < end) {
                state_ = numericTag_ ? State::InTag : State::SkipTag;
                offset += Size;
            }
        } else if (state_ == State::Value) {
            // A comma is decided at the character after it, which may come
            // with the next block.
            for (; offset < end; offset += Size) {
                const unsigned long c = loadCodeUnit<Size, BigEndian>(data + offset);
                if (commaPending_) {
                    commaPending_ = false;
                    if (isDigit(c)) {
                        storeUnit<Size, BigEndian>(data + commaOffset_, '.');
                        changed_ = true;
                    }
                }
                if (c == quote_) {
                    state_ = State::InTag;
                    offset += Size;
                    break;
                }
                if (c == ',' && previousWasDigit_) {
                    commaPending_ = true;
                    commaOffset_ = offset;
                }
                previousWasDigit_ = isDigit(c);
            }
        } else if (state_ == State::TagName || state_ == State::AttributeName) {
            // Names are gathered in a tight loop; step() takes the character
            // that ends them.
            const bool tag = state_ == State::TagName;
            char* name = tag ? tagName_ : attributeName_;
            unsigned& length = tag ? tagNameLength_ : attributeNameLength_;
            for (; offset < end; offset += Size) {
                const unsigned long c = loadCodeUnit<Size, BigEndian>(data + offset);
                const bool ends = tag ? (isSpace(c) || c == '/' || c == '>')
                                      : (isSpace(c) || c == '=' || c == '>');
                if (ends) {
                    step(c);
                    offset += Size;
                    break;
                }
                collect(name, length, c);
            }
        } else if (state_ == State::InTag) {
            while (offset < end && isSpace(loadCodeUnit<Size, BigEndian>(data + offset)))
                offset += Size;
            if (offset < end) {
                step(loadCodeUnit<Size, BigEndian>(data + offset));
                offset += Size;
            }
        } else {
            step(loadCodeUnit<Size, BigEndian>(data + offset));
            offset += Size;
        }
    }
    const size_t final = commaPending_ ? commaOffset_ : end;
    scannedCarry_ = end - final;
    if (commaPending_)
        commaOffset_ = 0; // the comma leads the next block
    return final;
}

void DecimalCommaRewriter::step(unsigned long c) {
    switch (state_) {
    case State::Text:
    case State::SkipTag:
    case State::Value:
        break; // handled in scan()
    case State::TagStart:
        tagNameLength_ = 0;
        tagName_[0] = 0;
        if (c == '!') {
            state_ = State::Bang;
        } else if (c == '>') {
            state_ = State::Text;
        } else {
            // Closing tags and processing instructions take the name "/x" or
            // "?x", which is no numeric type.
            collect(tagName_, tagNameLength_, c);
            state_ = State::TagName;
        }
        break;
    case State::TagName:
        if (isSpace(c) || c == '/' || c == '>') {
            numericTag_ = tagNameLength_ < sizeof tagName_ && isNumericType(tagName_);
            state_ = c == '>' ? State::Text : (numericTag_ ? State::InTag : State::SkipTag);
        } else {
            collect(tagName_, tagNameLength_, c);
        }
        break;
    case State::InTag:
        if (c == '>') {
            state_ = State::Text;
        } else if (c == '"' || c == '\'') {
            quote_ = c;
            numericValue_ = false;
            previousWasDigit_ = false;
            state_ = State::Value;
        } else if (!isSpace(c) && c != '/' && c != '=') {
            attributeNameLength_ = 0;
            collect(attributeName_, attributeNameLength_, c);
            state_ = State::AttributeName;
        }
        break;
    case State::AttributeName:
        if (c == '=') {
            state_ = State::BeforeValue;
        } else if (c == '>') {
            state_ = State::Text;
        } else if (isSpace(c)) {
            state_ = State::AfterAttributeName;
        } else {
            collect(attributeName_, attributeNameLength_, c);
        }
        break;
    case State::AfterAttributeName:
        if (c == '=') {
            state_ = State::BeforeValue;
        } else if (c == '>') {
            state_ = State::Text;
        } else if (!isSpace(c)) {
            attributeNameLength_ = 0;
            collect(attributeName_, attributeNameLength_, c);
            state_ = State::AttributeName;
        }
        break;
    case State::BeforeValue:
        if (c == '"' || c == '\'') {
            quote_ = c;
            numericValue_ = numericTag_ && attributeNameLength_ == 5 &&
                            std::memcmp(attributeName_, "value", 5) == 0;
            previousWasDigit_ = false;
            state_ = State::Value;
        } else if (c == '>') {
            state_ = State::Text;
        } else if (!isSpace(c)) {
            state_ = State::InTag; // an unquoted value is no XML; skip it
        }
        break;
    case State::Bang:
        state_ = c == '-' ? State::BangDash : (c == '>' ? State::Text : State::Declaration);
        break;
    case State::BangDash:
        commentDashes_ = 0;
        state_ = c == '-' ? State::Comment : (c == '>' ? State::Text : State::Declaration);
        break;
    case State::Comment:
        if (c == '>' && commentDashes_ >= 2)
            state_ = State::Text;
        commentDashes_ = c == '-' ? commentDashes_ + 1 : 0;
        break;
    case State::Declaration:
        if (c == '>')
            state_ = State::Text;
        break;
    }
}

} // namespace sorn
