#include "files/SceneScan.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "app/ByteOrderMark.h"
#include "app/WorkProgress.h"
#include "files/ScannedSceneFile.h"
#include "files/SceneScanRuns.h"
#include "files/SceneValueLimits.h"

namespace sorn {

using namespace irr;

// Counts the engine turns into geometry, work per frame or passes over a
// terrain, with bounds far above what a scene needs and far below what
// exhausts the machine:
// - volume light subdivisions: negative ones allocate 2^32 vertices; the
//   bound is the tool box's (see SceneValueLimits.h);
// - sky dome resolutions: negative or 100,000 by 100,000 exhaust memory;
//   1024 by 1024 takes 60 MB; a vertical resolution of 0 (also one the
//   engine reads as 0, or none at all) makes it allocate 8 GB;
// - sphere polygon counts: the engine keeps their product under 32,767 but
//   multiplies in 32 bits, so 65,536 (or a negative count) wraps past its check;
// - terrain smoothing: every pass walks every vertex (2,000,000,000 passes hang);
// - particles per second: emitted each frame up to twice the maximum, a
//   negative or huge count allocates gigabytes at the first frame.
const SceneValueBound kSceneValueBounds[] = {
    {"SubDivideU", 0, kMaxVolumeLightSubdivisions},
    {"SubDivideV", 0, kMaxVolumeLightSubdivisions},
    {"HorizontalResolution", 0, 1024},
    {"VerticalResolution", 1, 1024},
    {"PolyCountX", 0, 32767},
    {"PolyCountY", 0, 32767},
    {"SmoothFactor", 0, 32},
    {"MinParticlesPerSecond", 0, 100000},
    {"MaxParticlesPerSecond", 0, 100000},
};
const size_t kSceneValueBoundCount = sizeof kSceneValueBounds / sizeof kSceneValueBounds[0];

namespace {

constexpr size_t kMaxEntryNameLength = 256;
constexpr size_t kMaxEntryValueLength = 4096;
constexpr size_t kBlockSize = 1 << 20;

bool isBlank(uint32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Characters that end a name: the end of text, blanks, markup and quotes.
// Every byte beyond ASCII belongs to a name.
struct NameCharacters {
    bool inName[256];
    NameCharacters() {
        std::fill(std::begin(inName), std::end(inName), true);
        for (unsigned char c : {'\0', ' ', '\t', '\n', '\r', '<', '>', '/', '"', '\'', '='})
            inName[c] = false;
    }
};
const NameCharacters kNameCharacters;

inline bool isNameCharacter(unsigned char c) { return kNameCharacters.inName[c]; }
inline bool isNameCharacter(uint32_t c) { return c > 0xFF || kNameCharacters.inName[c]; }

// Appends the units of [from, to) cut to their low byte, up to limit bytes;
// overflow (when given) is set once more would not fit.
template <typename Unit>
void appendNarrowed(std::string& text, const Unit* from, const Unit* to, size_t limit, bool* overflow) {
    const size_t room = text.size() < limit ? limit - text.size() : 0;
    size_t count = static_cast<size_t>(to - from);
    if (count > room) {
        if (overflow)
            *overflow = true;
        count = room;
    }
    if constexpr (sizeof(Unit) == 1) {
        text.append(reinterpret_cast<const char*>(from), count);
        return;
    }
    // Narrowed through a small buffer, appended a block at a time.
    char narrowed[64];
    while (count > 0) {
        const size_t block = count < sizeof narrowed ? count : sizeof narrowed;
        for (size_t i = 0; i < block; ++i)
            narrowed[i] = static_cast<char>(from[i] & 0xFF);
        text.append(narrowed, block);
        from += block;
        count -= block;
    }
}

uint32_t lowered(uint32_t c) { return c + (static_cast<uint32_t>(c - 'A' < 26u) << 5); }

template <typename Text>
bool sameIgnoringCase(const Text& text, const char* word, size_t length) {
    if (text.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (lowered(static_cast<unsigned char>(text[i])) != lowered(static_cast<unsigned char>(word[i])))
            return false;
    return true;
}

template <typename Text, size_t N>
bool sameIgnoringCase(const Text& text, const char (&word)[N]) {
    return sameIgnoringCase(text, word, N - 1);
}

template <typename Units, size_t N>
bool unitsAre(const Units& units, const char (&word)[N]) {
    const size_t length = N - 1;
    if (units.size() != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (units[i] != static_cast<unsigned char>(word[i]))
            return false;
    return true;
}

// The number at the start of text, read the widest way the engine's integer
// and float readers could take it (sign, digits, fraction, exponent), so that
// no spelling makes the engine see more than the check does. Not a number: 0.
double leadingNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && isBlank(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long double value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        value = value * 10 + (text[i++] - '0');
    if (i < text.size() && text[i] == '.') {
        long double scale = 0.1L;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, scale /= 10)
            value += (text[i] - '0') * scale;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            negativeExponent = text[i++] == '-';
        long exponent = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && exponent < 100000)
            exponent = exponent * 10 + (text[i++] - '0');
        value *= std::pow(10.0L, negativeExponent ? -exponent : exponent);
    }
    return static_cast<double>(negative ? -value : value);
}

} // namespace

SceneScanner::SceneScanner() {
    for (size_t i = 0; i < kSceneValueBoundCount; ++i) {
        boundNameLengths_.push_back(std::strlen(kSceneValueBounds[i].name));
        boundLengthMask_ |= uint64_t{1} << (boundNameLengths_.back() & 63);
    }
    entryName_.reserve(kMaxEntryNameLength + 1);
    entryValue_.reserve(256);
    openNames_.reserve(256);
    openStarts_.reserve(64);
    openKinds_.reserve(64);
    openElements_.reserve(64);
    recordName_.reserve(64);
    recordValue_.reserve(256);
    recordType_.reserve(64);
}

bool SceneScanner::refuse(SceneRefusal refusal) {
    if (!refused_) {
        refused_ = true;
        result_.refusal = refusal;
    }
    return false;
}

void SceneScanner::feed(const uint32_t* units, size_t count) { feedUnits(units, count); }

void SceneScanner::feed(const unsigned char* units, size_t count) { feedUnits(units, count); }

// Units of one byte (8-bit text) or four are scanned where they lie, without
// widening them first. Each state of the reader is a label the scan jumps to
// from the state before, so that a unit costs a test or two rather than a
// dispatch; at the end of what was fed the state is kept for the next feed.
#define SCAN_NEXT(label, next)         \
    do {                               \
        if (++p == end) {              \
            state_ = State::next;      \
            return;                    \
        }                              \
        goto label;                    \
    } while (false)
#define SCAN_REFUSE() return void(refuse(SceneRefusal::NotAScene))
// After a run to its stop: at the end of the piece the state is kept for the
// next piece, and a NUL where the stop should be is refused.
#define SCAN_AT_STOP(here)        \
    do {                          \
        if (p == end) {           \
            state_ = State::here; \
            return;               \
        }                         \
        if (*p == 0)              \
            SCAN_REFUSE();        \
    } while (false)

template <typename Unit>
void SceneScanner::feedUnits(const Unit* p, size_t count) {
    const Unit* const end = p + count;
    if (refused_ || count == 0)
        return;
    uint32_t c;
    const Unit* run;
    switch (state_) {
    case State::Text: goto text;
    case State::TagStart: goto tagStart;
    case State::Declaration: goto declaration;
    case State::BangStart: goto bangStart;
    case State::BangDash: goto bangDash;
    case State::Comment: goto comment;
    case State::ElementName: goto elementName;
    case State::InTag: goto inTag;
    case State::SlashInTag: goto slashInTag;
    case State::AttributeName: goto attributeName;
    case State::AfterAttributeName: goto afterAttributeName;
    case State::BeforeValue: goto beforeValue;
    case State::Value: goto value;
    case State::AfterValue: goto afterValue;
    case State::EndName: goto endName;
    }
    return;

text:
    // Text between tags is skipped in one run.
    p = scan_runs::findEither(p, end, '<', 0);
    SCAN_AT_STOP(Text);
    SCAN_NEXT(tagStart, TagStart);

tagStart:
    c = *p;
    if (c == '/') {
        name_.clear();
        SCAN_NEXT(endName, EndName);
    }
    if (c == '?')
        SCAN_NEXT(declaration, Declaration);
    if (c == '!')
        SCAN_NEXT(bangStart, BangStart);
    if (!isNameCharacter(c))
        SCAN_REFUSE();
    name_.clear();
    hasEntryName_ = hasEntryValue_ = valueOverflow_ = false;
    recordHasName_ = recordHasValue_ = recordHasType_ = false;
    recordValueTooLong_ = recordTypeTooLong_ = false;
    entryAttributesExact_ = true;
    valueUsesKnown_ = false;
    skyDomeNode_ = particleSystemNode_ = false;
    // The name is read from this unit on, in one run.
    goto elementName;

declaration:
    p = scan_runs::findEither(p, end, '>', 0);
    SCAN_AT_STOP(Declaration);
    SCAN_NEXT(text, Text);

bangStart:
    // Only comments "<!--": the engine's reader mis-measures the short
    // forms of "<!" and CDATA, and a scene has neither.
    if (*p != '-')
        SCAN_REFUSE();
    SCAN_NEXT(bangDash, BangDash);

bangDash:
    if (*p != '-')
        SCAN_REFUSE();
    commentLength_ = commentDashes_ = 0;
    SCAN_NEXT(comment, Comment);

comment:
    // The engine ends a comment at the '>' that balances its '<'; one with
    // no '<' or '>' inside ends at its "-->" for both readers.
    c = *p;
    if (c == 0 || c == '<')
        SCAN_REFUSE();
    if (c == '>') {
        if (commentDashes_ < 2 || commentLength_ < 2)
            SCAN_REFUSE();
        SCAN_NEXT(text, Text);
    }
    commentDashes_ = c == '-' ? commentDashes_ + 1 : 0;
    ++commentLength_;
    SCAN_NEXT(comment, Comment);

elementName:
    run = p;
    while (p < end && isNameCharacter(*p))
        ++p;
    if (name_.size() + static_cast<size_t>(p - run) > kMaxNameLength)
        SCAN_REFUSE();
    name_.append(run, p);
    if (p == end) {
        state_ = State::ElementName;
        return;
    }
    element_ = sceneElementNamed(name_.begin(), name_.size());
    c = *p;
    if (isBlank(c))
        SCAN_NEXT(inTag, InTag);
    if (c == '/')
        SCAN_NEXT(slashInTag, SlashInTag);
    if (c != '>')
        SCAN_REFUSE();
    elementOpened(false);
    if (refused_)
        return;
    SCAN_NEXT(text, Text);

inTag:
    c = *p;
    if (isBlank(c))
        SCAN_NEXT(inTag, InTag);
    if (isNameCharacter(c)) {
        attributeName_.clear();
        goto attributeName;
    }
    goto tagEnd;

afterValue:
    // After a value comes a blank or the end of the tag.
    c = *p;
    if (isBlank(c))
        SCAN_NEXT(inTag, InTag);
    goto tagEnd;

tagEnd:
    if (c == '/')
        SCAN_NEXT(slashInTag, SlashInTag);
    if (c != '>')
        SCAN_REFUSE();
    elementOpened(false);
    if (refused_)
        return;
    SCAN_NEXT(text, Text);

slashInTag:
    if (*p != '>')
        SCAN_REFUSE();
    elementOpened(true);
    if (refused_)
        return;
    SCAN_NEXT(text, Text);

attributeName:
    run = p;
    while (p < end && isNameCharacter(*p))
        ++p;
    if (attributeName_.size() + static_cast<size_t>(p - run) > kMaxNameLength)
        SCAN_REFUSE();
    attributeName_.append(run, p);
    if (p == end) {
        state_ = State::AttributeName;
        return;
    }
    if (*p == '=')
        SCAN_NEXT(beforeValue, BeforeValue);
    if (!isBlank(*p))
        SCAN_REFUSE();
    SCAN_NEXT(afterAttributeName, AfterAttributeName);

afterAttributeName:
    c = *p;
    if (c == '=')
        SCAN_NEXT(beforeValue, BeforeValue);
    if (!isBlank(c))
        SCAN_REFUSE();
    SCAN_NEXT(afterAttributeName, AfterAttributeName);

beforeValue:
    c = *p;
    if (c == '"' || c == '\'') {
        quote_ = c;
        attributeNameDone();
        if (refused_)
            return;
        SCAN_NEXT(value, Value);
    }
    if (!isBlank(c))
        SCAN_REFUSE();
    SCAN_NEXT(beforeValue, BeforeValue);

value:
    // The value up to its closing quote in one run, kept only when it is an
    // entry's name or value.
    run = p;
    p = scan_runs::findEither(p, end, quote_, 0);
    if (capture_ != Capture::Other || recordCapture_ != RecordCapture::None)
        keepValuePart(run, p);
    SCAN_AT_STOP(Value);
    // Any spelling of the type attribute naming a sky dome makes it one
    // here, whichever of several the engine takes.
    if (capture_ == Capture::NodeType && sameIgnoringCase(nodeType_, "skyDome"))
        skyDomeNode_ = true;
    if (capture_ == Capture::NodeType && sameIgnoringCase(nodeType_, "particleSystem"))
        particleSystemNode_ = true;
    recordCapture_ = RecordCapture::None;
    SCAN_NEXT(afterValue, AfterValue);

endName:
    // The engine takes everything up to '>' as the end tag's name.
    run = p;
    p = scan_runs::findEither(p, end, '>', 0);
    if (name_.size() + static_cast<size_t>(p - run) > kMaxNameLength)
        SCAN_REFUSE();
    name_.append(run, p);
    SCAN_AT_STOP(EndName);
    element_ = sceneElementNamed(name_.begin(), name_.size());
    elementClosed();
    if (refused_)
        return;
    SCAN_NEXT(text, Text);
}

#undef SCAN_NEXT
#undef SCAN_AT_STOP
#undef SCAN_REFUSE

// The part [from, to) of a value that is an entry's name or value, a node's
// type or one of the exactly spelled attributes the records keep.
template <typename Unit>
void SceneScanner::keepValuePart(const Unit* from, const Unit* to) {
    if (capture_ == Capture::Name)
        appendNarrowed(entryName_, from, to, kMaxEntryNameLength, nullptr);
    else if (capture_ == Capture::Value)
        appendNarrowed(entryValue_, from, to, kMaxEntryValueLength, &valueOverflow_);
    else if (capture_ == Capture::NodeType)
        appendNarrowed(nodeType_, from, to, kMaxNameLength, nullptr);
    if (recordCapture_ == RecordCapture::None)
        return;
    std::vector<uint32_t>& units = recordCapture_ == RecordCapture::Name    ? recordName_
                                   : recordCapture_ == RecordCapture::Value ? recordValue_
                                                                            : recordType_;
    const size_t limit = recordCapture_ == RecordCapture::Value ? kMaxRecordedValueLength : kMaxEntryNameLength;
    const size_t length = static_cast<size_t>(to - from);
    if (units.size() + length > limit) {
        (recordCapture_ == RecordCapture::Type ? recordTypeTooLong_ : recordValueTooLong_) = true;
        return;
    }
    units.insert(units.end(), from, to);
}

namespace {

// A word of a few letters packed one byte a letter after a leading 1 (so
// that words of different lengths never pack alike).
constexpr uint64_t packed(const char* word, uint64_t key = 1) {
    return *word ? packed(word + 1, key << 8 | static_cast<unsigned char>(*word)) : key;
}

} // namespace

void SceneScanner::attributeNameDone() {
    capture_ = Capture::Other;
    recordCapture_ = RecordCapture::None;
    // Only "name", "type" and "value" (in any case) are kept or checked.
    if (attributeName_.size() != 4 && attributeName_.size() != 5)
        return;
    // The name packed as written (a unit beyond a byte makes it none of the
    // words), and in lower case with each unit cut to its low byte, as the
    // checks compare names.
    uint64_t exact = 1;
    uint64_t folded = 1;
    if (unitsAre(attributeName_, "name")) {
        exact = folded = packed("name");
    } else if (unitsAre(attributeName_, "value")) {
        exact = folded = packed("value");
    } else {
        bool bytes = true;
        for (const uint32_t unit : attributeName_) {
            bytes = bytes && unit < 256;
            exact = exact << 8 | (unit & 0xFF);
            folded = folded << 8 | lowered(unit & 0xFF);
        }
        if (!bytes)
            exact = 0;
    }
    // The records take down an entry's name and value only where they may keep it.
    const bool recordedEntry = records_.keepsEntries();
    if (exact == packed("name")) {
        if (recordedEntry) {
            recordCapture_ = RecordCapture::Name;
            recordHasName_ = true;
            recordName_.clear();
        }
    } else if (exact == packed("value")) {
        if (recordedEntry) {
            recordCapture_ = RecordCapture::Value;
            recordHasValue_ = true;
            recordValue_.clear();
        }
    } else if (!recordHasType_ && exact == packed("type")) {
        // The engine takes the first one.
        recordCapture_ = RecordCapture::Type;
        recordHasType_ = true;
        recordType_.clear();
    }
    const bool isName = folded == packed("name");
    const bool isValue = folded == packed("value");
    // A second name or value would leave the engine and the check reading
    // different ones.
    if ((isName && hasEntryName_) || (isValue && hasEntryValue_)) {
        refuse(SceneRefusal::NotAScene);
    } else if (isName) {
        entryAttributesExact_ = entryAttributesExact_ && exact == packed("name");
        hasEntryName_ = true;
        entryName_.clear();
        capture_ = Capture::Name;
    } else if (isValue) {
        entryAttributesExact_ = entryAttributesExact_ && exact == packed("value");
        hasEntryValue_ = true;
        entryValue_.clear();
        // A value after its entry's name is taken down only when a check
        // reads it; before the name, always.
        capture_ = Capture::Value;
        if (hasEntryName_) {
            valueUses_ = entryValueUses(openKinds_.empty() ? 0 : openKinds_.back());
            valueUsesKnown_ = true;
            capture_ = valueUses_ != 0 ? Capture::Value : Capture::Other;
        }
    } else if (folded == packed("type") && element_ == SceneElement::Node) {
        nodeType_.clear();
        capture_ = Capture::NodeType;
    }
}

void SceneScanner::elementOpened(bool empty) {
    state_ = State::Text;
    const int depth = static_cast<int>(openStarts_.size());
    if (depth == 0) {
        if (rootSeen_ || element_ != SceneElement::Scene)
            return void(refuse(SceneRefusal::NotAScene));
        rootSeen_ = true;
        rootClosed_ = empty;
    }
    // The engine's reader goes one level deeper for every <node>, also an
    // empty one, and comes back only at a "</node>".
    if (element_ == SceneElement::Node && ++nodeDepth_ > kMaxNodeDepth) {
        result_.detail = "<node> depth > " + std::to_string(kMaxNodeDepth);
        return void(refuse(SceneRefusal::NestedTooDeeply));
    }
    if (attributesDepth_ >= 0 && depth == attributesDepth_ &&
        ++attributeEntries_ > kMaxAttributesPerBlock) {
        result_.detail = "<attributes> > " + std::to_string(kMaxAttributesPerBlock);
        return void(refuse(SceneRefusal::ValueOutOfBounds));
    }
    const uint8_t parent = openKinds_.empty() ? 0 : openKinds_.back();
    checkEntry(parent);
    countMaterialEntry();
    if (!refused_)
        recordElement();
    // Every attribute block of a sky dome sets all of its values: one without
    // a vertical resolution sets it to 0.
    const bool skyDomeAttributes = (parent & SkyDomeNode) && element_ == SceneElement::Attributes;
    if (skyDomeAttributes && empty)
        return void(refuseMissingVerticalResolution());
    if (refused_ || empty)
        return;
    if (depth + 1 > kMaxElementDepth) {
        result_.detail = "element depth > " + std::to_string(kMaxElementDepth);
        return void(refuse(SceneRefusal::NestedTooDeeply));
    }
    uint8_t kind = 0;
    if (skyDomeAttributes) {
        kind |= SkyDomeAttributes;
        verticalResolutionSeen_ = false;
    }
    if ((parent & ParticleSystemNode) && element_ == SceneElement::Attributes)
        kind |= ParticleSystemAttributes;
    if (element_ == SceneElement::Node)
        kind |= (skyDomeNode_ ? SkyDomeNode : 0) | (particleSystemNode_ ? ParticleSystemNode : 0);
    openKinds_.push_back(kind);
    openElements_.push_back(element_);
    if (element_ == SceneElement::Attributes) {
        attributesDepth_ = depth + 1;
        attributeEntries_ = 0;
    }
    openStarts_.push_back(static_cast<uint32_t>(openNames_.size()));
    openNames_.insert(openNames_.end(), name_.begin(), name_.end());
    if (element_ == SceneElement::Node)
        nodeMaterials_.push_back({});
}

void SceneScanner::elementClosed() {
    state_ = State::Text;
    if (openStarts_.empty())
        return void(refuse(SceneRefusal::NotAScene));
    const size_t start = openStarts_.back();
    const size_t length = openNames_.size() - start;
    if (length != name_.size() || !std::equal(name_.begin(), name_.end(), openNames_.begin() + start))
        return void(refuse(SceneRefusal::NotAScene));
    if (attributesDepth_ == static_cast<int>(openStarts_.size()))
        attributesDepth_ = -1;
    if ((openKinds_.back() & SkyDomeAttributes) && !verticalResolutionSeen_)
        return void(refuseMissingVerticalResolution());
    openNames_.resize(start);
    openStarts_.pop_back();
    openKinds_.pop_back();
    openElements_.pop_back();
    if (element_ == SceneElement::Node) {
        --nodeDepth_;
        nodeClosed();
    }
    if (openStarts_.empty())
        rootClosed_ = true;
    records_.elementEnded(element_);
}

void SceneScanner::recordElement() {
    SceneRecordsBuilder::Element element;
    element.kind = element_;
    if (recordHasName_ && !recordValueTooLong_)
        element.entryName = &recordName_;
    if (recordHasValue_ && !recordValueTooLong_)
        element.entryValue = &recordValue_;
    // A type too long for any factory is read as none (nothing is made).
    if (recordHasType_ && !recordTypeTooLong_)
        element.nodeType = &recordType_;
    records_.elementStarted(element);
}

// An attribute entry such as <int name="SubDivideU" value="32" />: its value
// within bounds, and the files it names collected. Bounds apply to any entry
// of that name, whatever its type, since the engine converts between them.
void SceneScanner::checkEntry(uint8_t parent) {
    if (!hasEntryName_ || !hasEntryValue_)
        return;
    // The engine looks the name up as written.
    if ((parent & SkyDomeAttributes) && entryAttributesExact_ && entryName_ == "VerticalResolution")
        verticalResolutionSeen_ = true;
    const uint8_t uses = valueUsesKnown_ ? valueUses_ : entryValueUses(parent);
    if (uses == 0)
        return;
    if (uses & EmitterKind) {
        checkEmitterKind();
        if (refused_)
            return;
    }
    for (size_t i = 0; (uses & BoundedValue) && i < kSceneValueBoundCount; ++i) {
        const SceneValueBound& bound = kSceneValueBounds[i];
        if (!sameIgnoringCase(entryName_, bound.name, boundNameLengths_[i]))
            continue;
        const double value = leadingNumber(entryValue_);
        if (valueOverflow_ || !std::isfinite(value) || value < bound.lowest || value > bound.highest) {
            result_.detail = entryName_ + "=\"" + entryValue_ + "\"";
            refuse(SceneRefusal::ValueOutOfBounds);
            return;
        }
    }
    if (!(uses & FileName) || entryValue_.empty())
        return;
    if (valueOverflow_) {
        result_.detail = entryName_;
        refuse(SceneRefusal::ValueOutOfBounds);
        return;
    }
    const UntrustedKind kind = sameIgnoringCase(entryName_, "Mesh")        ? UntrustedKind::Model
                               : sameIgnoringCase(entryName_, "Heightmap") ? UntrustedKind::HeightMap
                                                                           : UntrustedKind::Image;
    const size_t file = addReferencedFile(entryValue_, kind);
    if (kind == UntrustedKind::Model && !nodeMaterials_.empty())
        nodeMaterials_.back().meshFile = static_cast<long>(file);
}

// What the checks read the value of the entry being read for, by its
// element's name and its own: most values are read by none of them.
uint8_t SceneScanner::entryValueUses(uint8_t parent) const {
    uint8_t uses = 0;
    if ((parent & ParticleSystemAttributes) && sameIgnoringCase(entryName_, "Emitter"))
        uses |= EmitterKind;
    // Most entries have a name of no bounded value's length.
    const bool boundedLength = entryName_.size() < 64 && (boundLengthMask_ >> entryName_.size() & 1);
    for (size_t i = 0; boundedLength && i < kSceneValueBoundCount; ++i)
        if (boundNameLengths_[i] == entryName_.size() &&
            sameIgnoringCase(entryName_, kSceneValueBounds[i].name, boundNameLengths_[i]))
            uses |= BoundedValue;
    // Sizes first: this runs for every entry of the file.
    const size_t nameSize = entryName_.size();
    if ((name_.size() == 7 && sameIgnoringCase(name_, "texture")) ||
        (nameSize == 4 && sameIgnoringCase(entryName_, "Mesh")) ||
        (nameSize == 9 && sameIgnoringCase(entryName_, "Heightmap")))
        uses |= FileName;
    return uses;
}

// A particle system's emitter as its attribute block names it. The engine
// builds a mesh emitter ("Mesh", "AnimatedMesh") with no mesh, since a scene
// cannot give it one, and its first frame divides by the mesh's vertex count
// (0) or reads through the missing mesh: every such scene takes the editor
// down, whatever its other values. Any spelling of the two names is refused;
// every other emitter kind draws with any value the engine reads.
void SceneScanner::checkEmitterKind() {
    if (sameIgnoringCase(entryValue_, "Mesh") || sameIgnoringCase(entryValue_, "AnimatedMesh")) {
        result_.detail = entryName_ + "=\"" + entryValue_ + "\"";
        refuse(SceneRefusal::ValueOutOfBounds);
    }
}

void SceneScanner::refuseMissingVerticalResolution() {
    result_.detail = "VerticalResolution=\"\"";
    refuse(SceneRefusal::ValueOutOfBounds);
}

size_t SceneScanner::addReferencedFile(const std::string& path, UntrustedKind kind) {
    std::string key;
    key.reserve(path.size() + 1);
    key += static_cast<char>('0' + static_cast<int>(kind));
    key += path;
    const auto found = referenceIndex_.emplace(std::move(key), result_.referencedFiles.size());
    if (!found.second)
        return found.first->second;
    result_.referencedFiles.push_back(path);
    result_.referencedKinds.push_back(kind);
    result_.referencedMaterialCounts.push_back(0);
    if (referenceHook_)
        referenceHook_(path, kind);
    return result_.referencedFiles.size() - 1;
}

// Each <attributes> element right inside a node's <materials> is one of the
// node's materials, as the engine's reader counts them (an empty one too).
void SceneScanner::countMaterialEntry() {
    const size_t depth = openStarts_.size();
    if (nodeMaterials_.empty() || depth < 2 || element_ != SceneElement::Attributes)
        return;
    if (openElements_[depth - 1] == SceneElement::Materials && openElements_[depth - 2] == SceneElement::Node)
        ++nodeMaterials_.back().entries;
}

// A mesh is made with room for the most materials any node naming it has.
void SceneScanner::nodeClosed() {
    if (nodeMaterials_.empty())
        return;
    const NodeMaterials closed = nodeMaterials_.back();
    nodeMaterials_.pop_back();
    if (closed.meshFile >= 0) {
        unsigned& most = result_.referencedMaterialCounts[static_cast<size_t>(closed.meshFile)];
        most = most > closed.entries ? most : closed.entries;
    }
}

SceneScan SceneScanner::finish() {
    if (!refused_ && !(state_ == State::Text && rootSeen_ && rootClosed_))
        refuse(SceneRefusal::NotAScene);
    if (!refused_) {
        result_.refusal = SceneRefusal::None;
        result_.records = records_.finish();
    }
    std::unordered_map<std::string, size_t>().swap(referenceIndex_);
    // Called once: the records (which grow with the scene) are handed over, not copied.
    return std::move(result_);
}

SceneScan scanSceneFile(io::IFileSystem* fileSystem, const io::path& path) {
    SceneScan why;
    ScannedSceneFile* file = openScannedSceneFile(fileSystem, path, nullptr, nullptr, &why);
    if (!file)
        return why;
    // Read in blocks as the engine would have them, into one block of memory.
    WorkProgress work(L"progress_opening", path.c_str());
    setWorkTotal(static_cast<unsigned long long>(file->fileBytes()), ProgressUnit::Bytes);
    std::vector<unsigned char> block(kBlockSize);
    while (!file->decided() && file->read(block.data(), static_cast<u32>(block.size())) > 0) {
    }
    SceneScan scan = file->scan();
    file->drop();
    return scan;
}

} // namespace sorn
