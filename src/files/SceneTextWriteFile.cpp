#include "files/SceneTextWriteFile.h"

#include <cstring>

#include "app/TextConvert.h"

using namespace irr;

namespace sorn {

namespace {

constexpr size_t kBlockSize = 32 * 1024;
// Element and attribute names are compared with a few short words; longer
// names are kept cut, which matches none of them.
constexpr size_t kMaxNameLength = 16;

// One of the engine's characters. It widens its 8-bit text with the sign:
// 0xE9 comes as 0xFFFFFFE9, which is the byte 0xE9.
uint32_t wideCharacter(const unsigned char* p) {
    const uint32_t c = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    return c >= 0xFFFFFF80u ? c & 0xFFu : c;
}

bool isSpace(uint32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

void appendShort(std::string& name, uint32_t c) {
    if (name.size() < kMaxNameLength)
        name.push_back(c < 0x80 ? static_cast<char>(c) : '?');
}

} // namespace

SceneTextWriteFile::SceneTextWriteFile(io::IWriteFile* inner) : inner_(inner) {
    if (inner_)
        inner_->grab();
    out_.reserve(kBlockSize + 8);
}

SceneTextWriteFile::~SceneTextWriteFile() {
    flush();
    if (inner_)
        inner_->drop();
}

bool SceneTextWriteFile::flush() {
    if (out_.empty() || failed_)
        return !failed_;
    const bool written = inner_ && inner_->write(out_.data(), static_cast<u32>(out_.size())) ==
                                       static_cast<s32>(out_.size());
    out_.clear();
    failed_ = !written;
    return written;
}

inline void SceneTextWriteFile::putByte(unsigned char b) {
    out_.push_back(b);
}

void SceneTextWriteFile::putUtf8(uint32_t c) {
    std::string bytes;
    appendUtf8(bytes, c);
    out_.insert(out_.end(), bytes.begin(), bytes.end());
}

s32 SceneTextWriteFile::write(const void* buffer, u32 sizeToWrite) {
    if (failed_)
        return 0;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    size_t at = 0;
    const size_t size = sizeToWrite;
    if (input_ == Input::Unknown) {
        // The first write holds the byte-order mark, which says how wide the
        // engine's characters are; text without one is passed on as it is.
        while (partialSize_ < 4 && at < size)
            partial_[partialSize_++] = bytes[at++];
        if (partialSize_ < 4)
            return static_cast<s32>(sizeToWrite);
        if (std::memcmp(partial_, "\xFF\xFE\0\0", 4) == 0) {
            input_ = Input::Wide4;
        } else {
            input_ = Input::Bytes;
            for (unsigned i = 0; i < partialSize_; ++i)
                character(partial_[i]);
        }
        partialSize_ = 0;
    }
    if (input_ == Input::Bytes) {
        for (; at < size; ++at)
            character(bytes[at]);
    } else {
        // A character may be split between two writes.
        while (partialSize_ > 0 && partialSize_ < 4 && at < size)
            partial_[partialSize_++] = bytes[at++];
        if (partialSize_ == 4) {
            character(wideCharacter(partial_));
            partialSize_ = 0;
        }
        for (; at + 4 <= size; at += 4) {
            character(wideCharacter(bytes + at));
            if (out_.size() >= kBlockSize && !flush())
                return 0;
        }
        while (at < size)
            partial_[partialSize_++] = bytes[at++];
    }
    if (out_.size() >= kBlockSize && !flush())
        return 0;
    return sizeToWrite > static_cast<u32>(INT32_MAX) ? INT32_MAX : static_cast<s32>(sizeToWrite);
}

// Follows the markup the engine writes (elements with quoted attributes,
// whitespace between them) far enough to know which value a character is in.
void SceneTextWriteFile::character(uint32_t c) {
    switch (state_) {
    case State::Value:
        if (c == quote_) {
            valueEnds();
            putByte(static_cast<unsigned char>(c));
            state_ = State::InTag;
            return;
        }
        if (capturingEntryName_)
            appendShort(entryName_, c);
        if (mode_ == ValueMode::Name)
            nameValue_.push_back(c);
        else if (c < 0x80 || (c <= 0xFF && mode_ == ValueMode::Bytes))
            putByte(static_cast<unsigned char>(c));
        else
            putUtf8(c);
        return;
    case State::Text:
        if (c == '<') {
            state_ = State::TagStart;
            emptyTag_ = false;
            tagName_.clear();
            entryName_.clear();
        }
        break;
    case State::TagStart:
        if (c == '!' || c == '?') {
            state_ = State::InTag; // a declaration: nothing in it matters
        } else {
            appendShort(tagName_, c);
            state_ = State::TagName;
        }
        break;
    case State::TagName:
        if (isSpace(c) || c == '/' || c == '>') {
            tagNameDone();
            emptyTag_ = c == '/';
            state_ = c == '>' ? State::Text : State::InTag;
        } else {
            appendShort(tagName_, c);
        }
        break;
    case State::InTag:
        if (c == '>') {
            // <userData/> holds nothing and closes at once.
            if (emptyTag_ && tagName_ == "userData" && userDataDepth_ > 0)
                --userDataDepth_;
            state_ = State::Text;
        } else if (c == '/') {
            emptyTag_ = true;
        } else if (c == '"' || c == '\'') {
            attributeName_.clear();
            quote_ = c;
            valueStarts();
            putByte(static_cast<unsigned char>(c));
            state_ = State::Value;
            return;
        } else if (!isSpace(c) && c != '/' && c != '=') {
            attributeName_.clear();
            appendShort(attributeName_, c);
            state_ = State::AttributeName;
        }
        break;
    case State::AttributeName:
        if (c == '=' || isSpace(c)) {
            state_ = State::BeforeValue;
        } else if (c == '>') {
            state_ = State::Text;
        } else {
            appendShort(attributeName_, c);
        }
        break;
    case State::BeforeValue:
        if (c == '"' || c == '\'') {
            quote_ = c;
            valueStarts();
            putByte(static_cast<unsigned char>(c));
            state_ = State::Value;
            return;
        }
        if (c == '>')
            state_ = State::Text;
        break;
    }
    if (c <= 0xFF)
        putByte(static_cast<unsigned char>(c));
    else
        putUtf8(c);
}

void SceneTextWriteFile::tagNameDone() {
    if (tagName_ == "userData")
        ++userDataDepth_;
    else if (tagName_ == "/userData" && userDataDepth_ > 0)
        --userDataDepth_;
}

void SceneTextWriteFile::valueStarts() {
    capturingEntryName_ = attributeName_ == "name";
    if (capturingEntryName_)
        entryName_.clear();
    const bool isValue = attributeName_.compare(0, 5, "value") == 0;
    if (userDataDepth_ > 0) {
        const bool text = (tagName_ == "string" && attributeName_ == "value") ||
                          (tagName_ == "stringwarray" && isValue && attributeName_ != "value");
        mode_ = text ? ValueMode::Utf8 : ValueMode::Bytes;
    } else {
        const bool name = tagName_ == "string" && attributeName_ == "value" && entryName_ == "Name";
        mode_ = name ? ValueMode::Name : ValueMode::Bytes;
        nameValue_.clear();
    }
}

void SceneTextWriteFile::valueEnds() {
    capturingEntryName_ = false;
    if (mode_ == ValueMode::Name)
        putNameValue();
    mode_ = ValueMode::Bytes;
}

// A name goes as its bytes, unless the editor's reading of an 8-bit scene
// would take them for UTF-8 of other Latin-1 characters and decode them:
// then it goes as UTF-8, which that reading gives back as it was.
void SceneTextWriteFile::putNameValue() {
    core::stringw units;
    bool bytes = true;
    for (uint32_t c : nameValue_) {
        units.append(static_cast<wchar_t>(c));
        bytes = bytes && c <= 0xFF;
    }
    core::stringw decoded;
    bool readAsUtf8 = bytes && decodeUtf8Bytes(units, decoded);
    for (u32 i = 0; readAsUtf8 && i < decoded.size(); ++i)
        readAsUtf8 = static_cast<u32>(decoded[i]) <= 0xFF;
    for (uint32_t c : nameValue_) {
        if (c < 0x80 || (c <= 0xFF && !readAsUtf8))
            putByte(static_cast<unsigned char>(c));
        else
            putUtf8(c);
    }
}

bool SceneTextWriteFile::seek(long, bool) {
    return false;
}

long SceneTextWriteFile::getPos() const {
    const long inner = inner_ ? inner_->getPos() : 0;
    return inner < 0 ? inner : inner + static_cast<long>(out_.size());
}

const io::path& SceneTextWriteFile::getFileName() const {
    static const io::path none;
    return inner_ ? inner_->getFileName() : none;
}

} // namespace sorn
