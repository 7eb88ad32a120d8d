#include "files/SceneClipboard.h"

#include <algorithm>
#include <cstring>

#include "app/ByteOrderMark.h"
#include "app/EditorState.h"
#include "app/NumericLocale.h"
#include "app/TextConvert.h"
#include "files/MissingReferences.h"
#include "files/OpenFile.h"
#include "scene/AnimationPlayback.h"
#include "scene/NodeUserData.h"
#include "scene/TextNodeData.h"

using namespace irr;

namespace sorn {

namespace {

// What the engine's scene writer writes, turned into UTF-8 text as it is
// written: the engine writes UTF-32 with a byte-order mark and widens 8-bit
// names with sign extension (0xE9 comes out as 0xFFFFFFE9), and such units
// are the character of their low byte. Converting each write as it comes
// keeps a copy to the size of its UTF-8 text, where gathering the engine's
// text first held four bytes a character and copied them twice more.
class Utf8TextWriteFile : public io::IWriteFile {
public:
    explicit Utf8TextWriteFile(const io::path& name) : name_(name) {}
    s32 write(const void* buffer, u32 sizeToWrite) override {
        const unsigned char* bytes = static_cast<const unsigned char*>(buffer);
        written_ += sizeToWrite;
        if (encodingKnown_ && pending_.empty()) {
            // Each write holds whole characters as the engine writes them:
            // converted straight from its buffer.
            const size_t used = convert(bytes, sizeToWrite);
            pending_.assign(bytes + used, bytes + sizeToWrite);
            return static_cast<s32>(sizeToWrite);
        }
        pending_.insert(pending_.end(), bytes, bytes + sizeToWrite);
        // The first bytes say how the rest is stored (a mark is at most 4).
        if (encodingKnown_ || pending_.size() >= 4)
            convertPending();
        return static_cast<s32>(sizeToWrite);
    }
    // The engine's writers only append.
    bool seek(long finalPos, bool relativeMovement = false) override {
        return (relativeMovement ? finalPos == 0 : finalPos == getPos());
    }
    long getPos() const override { return static_cast<long>(written_); }
    const io::path& getFileName() const override { return name_; }
    // The whole text; a trailing part of a code unit is left out.
    std::string& text() {
        convertPending();
        return text_;
    }

private:
    void convertPending() {
        if (!encodingKnown_) {
            encoding_ = detectEncoding(pending_.data(), pending_.size());
            if (pending_.size() < encoding_.markSize)
                return;
            pending_.erase(pending_.begin(), pending_.begin() + encoding_.markSize);
            encodingKnown_ = true;
        }
        // A code unit split between two writes waits for its other bytes.
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(convert(pending_.data(), pending_.size())));
    }

    // Appends the whole code units of bytes[0, count); how many bytes they took.
    size_t convert(const unsigned char* bytes, size_t count) {
        return withCodeUnitLayout(encoding_, [&](auto size, auto bigEndian) {
            return append<decltype(size)::value, decltype(bigEndian)::value>(bytes, count);
        });
    }

    template <unsigned Size, bool BigEndian>
    size_t append(const unsigned char* bytes, size_t count) {
        const size_t units = count / Size;
        for (size_t i = 0; i < units; ++i) {
            uint32_t unit = loadCodeUnit<Size, BigEndian>(bytes + i * Size);
            if (unit >= 0xFFFFFF80u)
                unit &= 0xFFu;
            if (unit < 0x80)
                text_.push_back(static_cast<char>(unit));
            else
                appendUtf8(text_, unit);
        }
        return units * Size;
    }

    io::path name_;
    size_t written_ = 0;
    bool encodingKnown_ = false;
    TextEncoding encoding_;
    std::vector<unsigned char> pending_;
    std::string text_;
};

bool holdsAncestor(const std::vector<scene::ISceneNode*>& nodes, scene::ISceneNode* node) {
    for (scene::ISceneNode* up = node->getParent(); up; up = up->getParent())
        if (std::find(nodes.begin(), nodes.end(), up) != nodes.end())
            return true;
    return false;
}

bool isEditorOwned(scene::ISceneNode* node) {
    for (; node; node = node->getParent())
        if (node->isDebugObject())
            return true;
    return false;
}

// Whether units[at..] starts with text.
bool textAt(const std::vector<uint32_t>& units, size_t at, const char* text) {
    for (; *text; ++text, ++at)
        if (at >= units.size() || units[at] != static_cast<unsigned char>(*text))
            return false;
    return true;
}

size_t findText(const std::vector<uint32_t>& units, const char* text, size_t from) {
    const size_t length = std::char_traits<char>::length(text);
    for (size_t i = from; i + length <= units.size(); ++i) {
        size_t k = 0;
        while (k < length && units[i + k] == static_cast<unsigned char>(text[k]))
            ++k;
        if (k == length)
            return i;
    }
    return std::string::npos;
}

// One node written as the engine writes a scene holding only it, as UTF-8.
std::string documentOfNode(scene::ISceneNode* node) {
    Utf8TextWriteFile* file =
        new Utf8TextWriteFile(editor.sceneManager->getFileSystem()->getAbsolutePath("clipboard.irr"));
    editor.sceneManager->saveScene(file, textNodeUserData(), node);
    std::string text = std::move(file->text());
    file->drop();
    return text;
}

// UTF-8 characters appended to units; a byte that starts none (or an
// overlong or cut one) stands for itself.
void decodeUtf8(const std::string& text, std::vector<uint32_t>& units) {
    const size_t start = units.size();
    units.resize(start + text.size()); // at most one unit a byte
    uint32_t* out = units.data() + start;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text.data());
    const size_t size = text.size();
    for (size_t i = 0; i < size;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            *out++ = b;
            ++i;
            continue;
        }
        size_t extra = b >= 0xF0 && b < 0xF5 ? 3 : b >= 0xE0 && b < 0xF0 ? 2 : b >= 0xC2 && b < 0xE0 ? 1 : 0;
        uint32_t c = extra == 3 ? b & 0x07u : extra == 2 ? b & 0x0Fu : b & 0x1Fu;
        bool whole = extra > 0 && i + extra < size;
        for (size_t k = 1; whole && k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                whole = false;
            else
                c = c << 6 | (p[i + k] & 0x3Fu);
        }
        const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (!whole || c < least[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            *out++ = b;
            ++i;
        } else {
            *out++ = c;
            i += extra + 1;
        }
    }
    units.resize(static_cast<size_t>(out - units.data()));
}

constexpr uint32_t kByteOrderMark = 0xFEFF;

bool isBlank(uint32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == kByteOrderMark; }

// Whether units[at..] is "<" + name followed by a blank, "/" or ">".
bool startsElement(const std::vector<uint32_t>& units, size_t at, const char* name) {
    if (!textAt(units, at, name))
        return false;
    const size_t end = at + std::char_traits<char>::length(name);
    return end < units.size() && (isBlank(units[end]) || units[end] == '/' || units[end] == '>');
}

// The deepest node the records saw (a node at the top is 1).
int deepestRecordedNode(const SceneFileRecords& records) {
    int deepest = 0;
    for (const NodeRecord& node : records.nodes)
        deepest = std::max(deepest, static_cast<int>(node.depth));
    return deepest;
}

int depthOf(scene::ISceneNode* node) {
    int depth = 0;
    for (; node && node->getParent(); node = node->getParent())
        ++depth;
    return depth;
}

} // namespace

std::string sceneTextOfNodes(const std::vector<scene::ISceneNode*>& nodes) {
    std::string text;
    if (!editor.sceneManager)
        return text;
    std::vector<scene::ISceneNode*> topmost;
    scene::ISceneNode* root = editor.sceneManager->getRootSceneNode();
    for (scene::ISceneNode* node : nodes)
        if (node && node != root && !isEditorOwned(node) && !holdsAncestor(nodes, node) &&
            std::find(topmost.begin(), topmost.end(), node) == topmost.end())
            topmost.push_back(node);
    if (topmost.empty())
        return text;

    // Numbers with points, and the authored transformations and animators,
    // exactly as a save writes them.
    keepNumbersInCLocale();
    {
        AuthoredSceneForSave authoredScene;
        for (scene::ISceneNode* node : topmost) {
            std::string one = documentOfNode(node);
            // The engine writes the scene element, its own attributes, then
            // the node; values never hold a "<", so the first "<node" is it.
            // The markup is ASCII, which UTF-8 keeps byte for byte.
            const size_t nodeStart = one.find("<node");
            const size_t sceneEnd = one.rfind("</irr_scene>");
            if (nodeStart == std::string::npos || sceneEnd == std::string::npos || sceneEnd < nodeStart)
                continue;
            if (text.empty()) {
                one.resize(sceneEnd);
                text = std::move(one);
            } else {
                text.append(one, nodeStart, sceneEnd - nodeStart);
            }
        }
    }
    if (!text.empty())
        text += "</irr_scene>\n";
    return text;
}

std::vector<uint32_t> sceneDocumentUnits(const std::string& text) {
    std::vector<uint32_t> units = {kByteOrderMark};
    decodeUtf8(text, units);
    // Past blanks, the XML declaration, comments and other markup that is no
    // element, the first element tells what the text is.
    size_t at = 0;
    while (at < units.size()) {
        if (isBlank(units[at])) {
            ++at;
        } else if (textAt(units, at, "<!--")) {
            const size_t end = findText(units, "-->", at + 4);
            at = end == std::string::npos ? units.size() : end + 3;
        } else if (textAt(units, at, "<?") || textAt(units, at, "<!")) {
            size_t end = at;
            while (end < units.size() && units[end] != '>')
                ++end;
            at = end + 1;
        } else {
            break;
        }
    }
    if (at >= units.size())
        return {};
    if (startsElement(units, at, "<irr_scene"))
        return units;
    if (!startsElement(units, at, "<node"))
        return {};
    std::vector<uint32_t> document = {kByteOrderMark};
    const char* head = "<?xml version=\"1.0\"?>\n<irr_scene>\n";
    const char* tail = "\n</irr_scene>\n";
    for (const char* c = head; *c; ++c)
        document.push_back(static_cast<unsigned char>(*c));
    document.insert(document.end(), units.begin() + static_cast<long>(at), units.end());
    for (const char* c = tail; *c; ++c)
        document.push_back(static_cast<unsigned char>(*c));
    return document;
}

PastedNodes pasteSceneText(const std::string& text, scene::ISceneNode* parent) {
    PastedNodes result;
    scene::ISceneManager* sceneManager = editor.sceneManager;
    if (!sceneManager || !parent) {
        result.refusal = SceneRefusal::Unreadable;
        return result;
    }
    if (text.size() > kMaxPastedTextSize) {
        result.refusal = SceneRefusal::TooLarge;
        return result;
    }
    // The engine reads what it writes: UTF-32, low byte first, with its mark
    // (the first unit). On a little-endian machine the units lie so already.
    std::vector<uint32_t> units = sceneDocumentUnits(text);
    if (units.empty())
        return result;
#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
    for (uint32_t& unit : units) {
        unsigned char bytes[4];
        encodeCodeUnit(unit, 4, false, bytes);
        std::memcpy(&unit, bytes, 4);
    }
#endif

    // The nodes are read under a holder of their own: the engine gives the
    // scene element's attributes to the node it reads into, which must not
    // be the user's parent (it would take the scene's name and lose its
    // scale and visibility).
    scene::ISceneNode* holder = sceneManager->addEmptySceneNode(parent);
    // Scanned as the engine is handed it; under the parent, the pasted
    // nesting counts from the parent's depth. Models and images the text
    // names pass the file check then (a refusal is told in a message box).
    SceneRefusal declined = SceneRefusal::None;
    bool admitted = false;
    const SceneGate admit = [&](const SceneScan& scan) {
        const int deepest = scan.records.givenUp ? kMaxNodeDepth : deepestRecordedNode(scan.records);
        if (depthOf(parent) + deepest > kMaxNodeDepth)
            declined = SceneRefusal::NestedTooDeeply;
        else if (!admitSceneReferences(scan, ""))
            declined = SceneRefusal::Unreadable;
        else
            admitted = true;
        return admitted;
    };
    io::IReadFile* memory = sceneManager->getFileSystem()->createMemoryReadFile(
        units.data(), static_cast<s32>(units.size() * 4), "clipboard.irr", false);
    FileRefusal why;
    const bool loaded = holder && loadSceneTextInOnePass(memory, holder, admit, why, sceneReferenceHook(""));
    if (admitted)
        finishMissingReferences(loaded);
    if (holder) {
        std::vector<scene::ISceneNode*> made;
        for (scene::ISceneNode* node : holder->getChildren())
            made.push_back(node);
        for (scene::ISceneNode* node : made) {
            node->setParent(parent);
            result.nodes.push_back(node);
        }
        forgetNodeUserData(holder);
        holder->remove();
    }
    if (!loaded) {
        for (scene::ISceneNode* node : result.nodes)
            node->remove();
        result.nodes.clear();
        result.refusal = declined != SceneRefusal::None ? declined
                         : why.refused()                ? why.refusal
                                                        : SceneRefusal::Unreadable;
        return result;
    }
    // Pasted animators are held aside like those of an opened scene.
    holdSceneAnimators();
    result.refusal = result.nodes.empty() ? SceneRefusal::NotAScene : SceneRefusal::None;
    return result;
}

} // namespace sorn
