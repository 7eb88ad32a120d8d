#pragma once
// Finds the decimal commas that a decimal-comma locale leaves in the numbers
// of a saved scene and turns them into points, in place, while the file
// streams through in blocks.
//
// The engine writes every attribute as <type name=".." value=".."/>. A comma
// is a decimal separator only when it stands between two digits inside the
// value="..." of an element whose type holds numbers (float, int, vector3d,
// colorf, matrix, ...). The ", " between the components of a vector or colour,
// and every comma in strings, names, enums, texture paths, tag names, other
// attributes, text and comments stay as they are.
#include <cstddef>

#include "app/ByteOrderMark.h"

namespace sorn {

// Whether data[0, size), whose first byte lies at file offset `offset`, holds
// a comma between two digits (the only commas the rewriter ever changes).
// Code units start at multiples of the unit size in the file. A quick look,
// at about the cost of reading the bytes: a file without such a comma
// needs no rewriting at all.
bool holdsDigitCommaDigit(const unsigned char* data, size_t size, size_t offset, TextEncoding encoding);

class DecimalCommaRewriter {
public:
    explicit DecimalCommaRewriter(TextEncoding encoding) : encoding_(encoding) {}

    // Scans data[0, size) and rewrites its decimal commas. The bytes that the
    // previous call did not return as final must be at the front of data,
    // followed by the new bytes. Returns how many leading bytes are final;
    // the rest (a comma whose follower is still unread, a partial character)
    // must lead the next call's data.
    size_t feed(unsigned char* data, size_t size);

    // At the end of the file: a comma with nothing after it stays a comma.
    void finish() { commaPending_ = false; }

    // Whether any comma has been rewritten so far.
    bool changed() const { return changed_; }

private:
    enum class State {
        Text,
        TagStart,
        TagName,
        SkipTag, // inside a tag that holds no numbers: only its end matters
        InTag,
        AttributeName,
        AfterAttributeName,
        BeforeValue,
        Value,
        Bang,
        BangDash,
        Comment,
        Declaration,
    };

    template <unsigned Size, bool BigEndian>
    size_t scan(unsigned char* data, size_t size);
    void step(unsigned long c);
    bool collect(char* name, unsigned& length, unsigned long c);

    TextEncoding encoding_;
    State state_ = State::Text;
    char tagName_[16] = {};
    unsigned tagNameLength_ = 0;
    char attributeName_[16] = {};
    unsigned attributeNameLength_ = 0;
    bool numericTag_ = false;
    bool numericValue_ = false;
    unsigned long quote_ = 0;
    unsigned commentDashes_ = 0;
    bool previousWasDigit_ = false;
    bool commaPending_ = false;
    size_t commaOffset_ = 0;
    size_t scannedCarry_ = 0; // bytes at the front of the next call already scanned
    bool changed_ = false;
};

} // namespace sorn
