#include "scene/UserDataEditing.h"

#include <string>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/TextConvert.h"
#include "scene/AttributeText.h"
#include "scene/NodeUserData.h"
#include "scene/TextNodeData.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

namespace {

using Attributes = EngineRef<io::IAttributes>;

// What a set keeps alive, roughly: each entry's bookkeeping, name and text.
std::size_t setCost(io::IAttributes* set) {
    if (!set)
        return 0;
    std::size_t bytes = sizeof(io::IAttributes);
    for (u32 i = 0; i < set->getAttributeCount(); ++i)
        bytes += 64 + core::stringc(set->getAttributeName(i)).size() +
                 set->getAttributeAsStringW(i).size() * sizeof(wchar_t);
    return bytes;
}

// A text node shows the text and colour its user data holds (as it does when
// a scene is opened), when it holds both.
void showTextNodeData(scene::ISceneNode* node, io::IAttributes* set) {
    if (!set || node->getType() != scene::ESNT_TEXT || set->getAttributeType("Color") != io::EAT_COLOR ||
        !set->existsAttribute("Text"))
        return;
    setTextNodeData(static_cast<scene::ITextSceneNode*>(node), set->getAttributeAsStringW("Text").c_str(),
                    set->getAttributeAsColor("Color"));
}

// Gives the node a copy of the set (none for null), so that the copies the
// step keeps never change.
void giveNode(scene::ISceneNode* node, io::IAttributes* set) {
    const Attributes copy = set ? Attributes::adopt(copyAttributes(set)) : Attributes();
    setNodeUserData(node, copy.get());
    showTextNodeData(node, copy.get());
}

class CustomPropertyStep : public UndoStep {
public:
    CustomPropertyStep(scene::ISceneNode* node, Attributes before, Attributes after)
        : node_(node), before_(std::move(before)), after_(std::move(after)),
          cost_(sizeof(*this) + setCost(before_.get()) + setCost(after_.get())) {}
    void undo() override { giveNode(node_.get(), before_.get()); }
    void redo() override { giveNode(node_.get(), after_.get()); }
    std::size_t memoryCost() const override { return cost_; }
    scene::ISceneNode* node() const override { return node_.get(); }
    ChangeKind kind() const override { return ChangeKind::CustomProperty; }

private:
    EngineRef<scene::ISceneNode> node_;
    Attributes before_; // null: the node had no user data
    Attributes after_;
    std::size_t cost_;
};

CustomPropertyEdit outcome(CustomPropertyOutcome result, s32 index = -1) {
    CustomPropertyEdit edit;
    edit.outcome = result;
    edit.index = index;
    return edit;
}

// Makes after the node's set and gives back the step that undoes it.
CustomPropertyEdit apply(scene::ISceneNode* node, Attributes after, s32 index) {
    io::IAttributes* current = findNodeUserData(node);
    Attributes before = current ? Attributes::adopt(copyAttributes(current)) : Attributes();
    if (current && !before)
        return outcome(CustomPropertyOutcome::Missing);
    auto step = std::make_unique<CustomPropertyStep>(node, std::move(before), std::move(after));
    step->redo();
    CustomPropertyEdit edit = outcome(CustomPropertyOutcome::Done, index);
    edit.step = std::move(step);
    return edit;
}

// The node's set rebuilt with entry `index` replaced by what replace appends
// (nothing: removed); null without an engine.
template <typename Replace>
Attributes rebuilt(io::IAttributes* from, u32 index, Replace replace) {
    Attributes to = Attributes::adopt(copyAttributes(nullptr));
    if (!to)
        return to;
    for (u32 i = 0; i < from->getAttributeCount(); ++i) {
        if (i == index)
            replace(to.get());
        else
            appendAttributeCopy(from, static_cast<s32>(i), to.get());
    }
    return to;
}

void appendDefault(io::IAttributes* to, const c8* name, io::E_ATTRIBUTE_TYPE type) {
    switch (type) {
    case io::EAT_INT: to->addInt(name, 0); break;
    case io::EAT_FLOAT: to->addFloat(name, 0.f); break;
    case io::EAT_BOOL: to->addBool(name, false); break;
    case io::EAT_ENUM: {
        const c8* const noLiterals[] = {nullptr};
        to->addEnum(name, "", noLiterals);
        break;
    }
    case io::EAT_COLOR: to->addColor(name, video::SColor(255, 255, 255, 255)); break;
    case io::EAT_COLORF: to->addColorf(name, video::SColorf(1.f, 1.f, 1.f, 1.f)); break;
    case io::EAT_VECTOR3D: to->addVector3d(name, core::vector3df()); break;
    case io::EAT_VECTOR2D: to->addVector2d(name, core::vector2df()); break;
    case io::EAT_POSITION2D: to->addPosition2d(name, core::position2di(0, 0)); break;
    case io::EAT_DIMENSION2D: to->addDimension2d(name, core::dimension2du(0, 0)); break;
    case io::EAT_RECT: to->addRect(name, core::recti(0, 0, 0, 0)); break;
    case io::EAT_MATRIX: to->addMatrix(name, core::IdentityMatrix); break;
    case io::EAT_QUATERNION: to->addQuaternion(name, core::quaternion()); break;
    case io::EAT_BBOX: to->addBox3d(name, core::aabbox3df(0, 0, 0, 0, 0, 0)); break;
    case io::EAT_PLANE: to->addPlane3d(name, core::plane3df()); break;
    case io::EAT_TRIANGLE3D: to->addTriangle3d(name, core::triangle3df()); break;
    case io::EAT_LINE2D: to->addLine2d(name, core::line2df()); break;
    case io::EAT_LINE3D: to->addLine3d(name, core::line3df()); break;
    case io::EAT_STRINGWARRAY: to->addArray(name, core::array<core::stringw>()); break;
    case io::EAT_BINARY: to->addBinary(name, nullptr, 0); break;
    case io::EAT_TEXTURE: to->addTexture(name, nullptr, ""); break;
    default: to->addString(name, L""); break; // wide: any character
    }
}

std::wstring trimmedText(const wchar_t* text) {
    std::wstring s(text);
    const size_t first = s.find_first_not_of(L" \t");
    return first == std::wstring::npos ? std::wstring() : s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

// Appends an entry of the type read from text the type reads.
void appendFromText(io::IAttributes* to, const c8* name, io::E_ATTRIBUTE_TYPE type, const wchar_t* text) {
    if (type == io::EAT_TEXTURE) {
        // Only a texture the engine holds already: naming a file must not
        // make the engine's image loaders read it unchecked.
        const io::path path(core::stringc(narrowToBytes(text).c_str()));
        video::IVideoDriver* driver = editor.device ? editor.device->getVideoDriver() : nullptr;
        to->addTexture(name, driver ? driver->findTexture(path) : nullptr, path);
        return;
    }
    appendDefault(to, name, type);
    const s32 at = static_cast<s32>(to->getAttributeCount()) - 1;
    if (type == io::EAT_STRING)
        to->setAttribute(at, text);
    else if (type == io::EAT_ENUM) // 8-bit text in the engine: Latin-1
        to->setAttribute(at, narrowToBytes(text).c_str());
    else // checked: plain ASCII numbers, hexadecimal digits or a boolean word
        to->setAttribute(at, narrowToBytes(trimmedText(text).c_str()).c_str());
}

// Arrays have no text form: compared entry by entry.
bool sameValue(io::IAttributes* a, s32 ai, io::IAttributes* b, s32 bi) {
    if (a->getAttributeType(ai) == io::EAT_STRINGWARRAY)
        return a->getAttributeAsArray(ai) == b->getAttributeAsArray(bi);
    return a->getAttributeAsStringW(ai) == b->getAttributeAsStringW(bi);
}

io::IAttributes* propertyAt(scene::ISceneNode* node, u32 index) {
    io::IAttributes* set = node ? findNodeUserData(node) : nullptr;
    return set && index < set->getAttributeCount() ? set : nullptr;
}

bool nameTaken(io::IAttributes* set, const core::stringc& name, s32 except) {
    if (!set)
        return false;
    for (u32 i = 0; i < set->getAttributeCount(); ++i)
        if (static_cast<s32>(i) != except && name == set->getAttributeName(i))
            return true;
    return false;
}

// The XML reader gives back neither the character after an entity nor
// control characters as they were.
bool fileKeepsName(const core::stringc& name) {
    for (u32 i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == '&' || c == '<' || c == '>' || c == '"' || c == '\'')
            return false;
    }
    return true;
}

} // namespace

io::IAttributes* customProperties(const scene::ISceneNode* node) {
    return findNodeUserData(node);
}

CustomPropertyEdit addCustomProperty(scene::ISceneNode* node, io::E_ATTRIBUTE_TYPE type) {
    if (!node || attributeTypeName(type)[0] == L'\0')
        return outcome(CustomPropertyOutcome::Missing);
    io::IAttributes* current = findNodeUserData(node);
    Attributes after = Attributes::adopt(copyAttributes(current));
    if (!after)
        return outcome(CustomPropertyOutcome::Missing);
    core::stringc name = "property";
    for (u32 n = 2; nameTaken(current, name, -1); ++n)
        name = core::stringc("property") + core::stringc(n);
    appendDefault(after.get(), name.c_str(), type);
    const s32 index = static_cast<s32>(after->getAttributeCount()) - 1;
    return apply(node, std::move(after), index);
}

CustomPropertyEdit renameCustomProperty(scene::ISceneNode* node, u32 index, const wchar_t* text) {
    io::IAttributes* current = propertyAt(node, index);
    if (!current)
        return outcome(CustomPropertyOutcome::Missing);
    const s32 at = static_cast<s32>(index);
    const core::stringc name(narrowToBytes(trimmedText(text ? text : L"").c_str()).c_str());
    if (name.empty())
        return outcome(CustomPropertyOutcome::EmptyName, at);
    if (name == current->getAttributeName(at))
        return outcome(CustomPropertyOutcome::Unchanged, at);
    if (!fileKeepsName(name))
        return outcome(CustomPropertyOutcome::BadName, at);
    if (nameTaken(current, name, at))
        return outcome(CustomPropertyOutcome::NameTaken, at);
    Attributes after =
        rebuilt(current, index, [&](io::IAttributes* to) { appendAttributeCopy(current, at, to, name.c_str()); });
    return after ? apply(node, std::move(after), at) : outcome(CustomPropertyOutcome::Missing);
}

CustomPropertyEdit retypeCustomProperty(scene::ISceneNode* node, u32 index, io::E_ATTRIBUTE_TYPE type) {
    io::IAttributes* current = propertyAt(node, index);
    if (!current || attributeTypeName(type)[0] == L'\0')
        return outcome(CustomPropertyOutcome::Missing);
    const s32 at = static_cast<s32>(index);
    if (current->getAttributeType(at) == type)
        return outcome(CustomPropertyOutcome::Unchanged, at);
    const core::stringc name = current->getAttributeName(at);
    const core::stringw text = current->getAttributeAsStringW(at);
    Attributes after = rebuilt(current, index, [&](io::IAttributes* to) {
        if (attributeTextReads(type, text.c_str()))
            appendFromText(to, name.c_str(), type, text.c_str());
        else
            appendDefault(to, name.c_str(), type);
    });
    return after ? apply(node, std::move(after), at) : outcome(CustomPropertyOutcome::Missing);
}

CustomPropertyEdit setCustomPropertyText(scene::ISceneNode* node, u32 index, const wchar_t* text) {
    io::IAttributes* current = propertyAt(node, index);
    if (!current || !text)
        return outcome(CustomPropertyOutcome::Missing);
    const s32 at = static_cast<s32>(index);
    const io::E_ATTRIBUTE_TYPE type = current->getAttributeType(at);
    if (!attributeTextReads(type, text))
        return outcome(CustomPropertyOutcome::Unreadable, at);
    if (current->getAttributeAsStringW(at) == text)
        return outcome(CustomPropertyOutcome::Unchanged, at);
    const core::stringc name = current->getAttributeName(at);
    Attributes after =
        rebuilt(current, index, [&](io::IAttributes* to) { appendFromText(to, name.c_str(), type, text); });
    return after ? apply(node, std::move(after), at) : outcome(CustomPropertyOutcome::Missing);
}

CustomPropertyEdit setCustomPropertyValue(scene::ISceneNode* node, u32 index, io::IAttributes* from,
                                          u32 fromIndex) {
    io::IAttributes* current = propertyAt(node, index);
    if (!current || !from || fromIndex >= from->getAttributeCount())
        return outcome(CustomPropertyOutcome::Missing);
    const s32 at = static_cast<s32>(index);
    const s32 source = static_cast<s32>(fromIndex);
    if (from->getAttributeType(source) != current->getAttributeType(at))
        return outcome(CustomPropertyOutcome::Missing, at);
    if (sameValue(from, source, current, at))
        return outcome(CustomPropertyOutcome::Unchanged, at);
    const core::stringc name = current->getAttributeName(at);
    Attributes after =
        rebuilt(current, index, [&](io::IAttributes* to) { appendAttributeCopy(from, source, to, name.c_str()); });
    return after ? apply(node, std::move(after), at) : outcome(CustomPropertyOutcome::Missing);
}

CustomPropertyEdit removeCustomProperty(scene::ISceneNode* node, u32 index) {
    io::IAttributes* current = propertyAt(node, index);
    if (!current)
        return outcome(CustomPropertyOutcome::Missing);
    Attributes after = rebuilt(current, index, [](io::IAttributes*) {});
    if (!after)
        return outcome(CustomPropertyOutcome::Missing);
    const s32 left = static_cast<s32>(after->getAttributeCount());
    const s32 next = left == 0 ? -1 : (static_cast<s32>(index) < left ? static_cast<s32>(index) : left - 1);
    return apply(node, std::move(after), next);
}

} // namespace sorn
