#include "scene/NodeUserData.h"

#include <map>

#include "app/EditorState.h"
#include "app/EngineRef.h"

using namespace irr;

namespace sorn {

namespace {

// The node and its user data, both held by the record; the record's end
// lets them go (the node may be freed by this).
struct UserDataRecord {
    EngineRef<scene::ISceneNode> node;
    EngineRef<io::IAttributes> userData;
};

std::map<const scene::ISceneNode*, UserDataRecord>& records() {
    static std::map<const scene::ISceneNode*, UserDataRecord> byNode;
    return byNode;
}

io::IAttributes* makeAttributes() {
    if (!editor.device || !editor.device->getFileSystem())
        return nullptr;
    return editor.device->getFileSystem()->createEmptyAttributes(editor.device->getVideoDriver());
}

void copyEnum(io::IAttributes* from, s32 index, const c8* name, io::IAttributes* to) {
    core::array<core::stringc> literals;
    from->getAttributeEnumerationLiteralsOfEnumeration(index, literals);
    std::vector<const c8*> pointers;
    for (u32 i = 0; i < literals.size(); ++i)
        pointers.push_back(literals[i].c_str());
    pointers.push_back(nullptr);
    const core::stringc value = from->getAttributeAsEnumeration(index);
    to->addEnum(name, value.c_str(), pointers.data());
}

// A string kept as 8-bit characters stays one: the engine widens its bytes
// as signed characters, and a wide copy of them would not narrow back (a
// node's reader then cuts a name at its first accented letter).
void copyString(io::IAttributes* from, s32 index, const c8* name, io::IAttributes* to) {
    const core::stringw wide = from->getAttributeAsStringW(index);
    for (u32 i = 0; i < wide.size(); ++i)
        if (wide[i] > 0x7F) {
            to->addString(name, wide.c_str());
            return;
        }
    to->addString(name, from->getAttributeAsString(index).c_str());
}

// One entry added to the end of to, typed as in from, named name.
void copyEntry(io::IAttributes* from, s32 index, io::IAttributes* to, const c8* name) {
    switch (from->getAttributeType(index)) {
    case io::EAT_INT: to->addInt(name, from->getAttributeAsInt(index)); break;
    case io::EAT_FLOAT: to->addFloat(name, from->getAttributeAsFloat(index)); break;
    case io::EAT_STRING: copyString(from, index, name, to); break;
    case io::EAT_BOOL: to->addBool(name, from->getAttributeAsBool(index)); break;
    case io::EAT_ENUM: copyEnum(from, index, name, to); break;
    case io::EAT_COLOR: to->addColor(name, from->getAttributeAsColor(index)); break;
    case io::EAT_COLORF: to->addColorf(name, from->getAttributeAsColorf(index)); break;
    case io::EAT_VECTOR3D: to->addVector3d(name, from->getAttributeAsVector3d(index)); break;
    case io::EAT_POSITION2D: to->addPosition2d(name, from->getAttributeAsPosition2d(index)); break;
    case io::EAT_VECTOR2D: to->addVector2d(name, from->getAttributeAsVector2d(index)); break;
    case io::EAT_RECT: to->addRect(name, from->getAttributeAsRect(index)); break;
    case io::EAT_MATRIX: to->addMatrix(name, from->getAttributeAsMatrix(index)); break;
    case io::EAT_QUATERNION: to->addQuaternion(name, from->getAttributeAsQuaternion(index)); break;
    case io::EAT_BBOX: to->addBox3d(name, from->getAttributeAsBox3d(index)); break;
    case io::EAT_PLANE: to->addPlane3d(name, from->getAttributeAsPlane3d(index)); break;
    case io::EAT_TRIANGLE3D: to->addTriangle3d(name, from->getAttributeAsTriangle3d(index)); break;
    case io::EAT_LINE2D: to->addLine2d(name, from->getAttributeAsLine2d(index)); break;
    case io::EAT_LINE3D: to->addLine3d(name, from->getAttributeAsLine3d(index)); break;
    case io::EAT_STRINGWARRAY: to->addArray(name, from->getAttributeAsArray(index)); break;
    case io::EAT_DIMENSION2D: to->addDimension2d(name, from->getAttributeAsDimension2d(index)); break;
    case io::EAT_USER_POINTER: to->addUserPointer(name, from->getAttributeAsUserPointer(index)); break;
    case io::EAT_TEXTURE:
        to->addTexture(name, from->getAttributeAsTexture(index), from->getAttributeAsString(index));
        break;
    case io::EAT_BINARY:
        // Binary data has no size getter; its text form is exact (hexadecimal).
        to->addBinary(name, nullptr, 0);
        to->setAttribute(static_cast<s32>(to->getAttributeCount()) - 1, from->getAttributeAsString(index).c_str());
        break;
    default:
        // A type the engine reads but offers no way to add: its text.
        to->addString(name, from->getAttributeAsStringW(index).c_str());
        break;
    }
}

} // namespace

io::IAttributes* findNodeUserData(const scene::ISceneNode* node) {
    auto found = records().find(node);
    return found == records().end() ? nullptr : found->second.userData.get();
}

void setNodeUserData(scene::ISceneNode* node, io::IAttributes* userData) {
    if (!node)
        return;
    auto found = records().find(node);
    if (!userData) {
        if (found != records().end()) {
            // Out of the store before the references go.
            UserDataRecord record = std::move(found->second);
            records().erase(found);
        }
        return;
    }
    if (found != records().end()) {
        found->second.userData = EngineRef<io::IAttributes>(userData);
        return;
    }
    records()[node] = UserDataRecord{EngineRef<scene::ISceneNode>(node), EngineRef<io::IAttributes>(userData)};
}

io::IAttributes* nodeUserDataForChange(scene::ISceneNode* node) {
    if (!node)
        return nullptr;
    if (io::IAttributes* known = findNodeUserData(node))
        return known;
    const auto fresh = EngineRef<io::IAttributes>::adopt(makeAttributes());
    if (!fresh)
        return nullptr;
    setNodeUserData(node, fresh.get());
    return fresh.get(); // the store holds it
}

void copyNodeUserData(const scene::ISceneNode* original, scene::ISceneNode* copy) {
    if (!copy || original == copy)
        return;
    io::IAttributes* source = findNodeUserData(original);
    const auto copied = EngineRef<io::IAttributes>::adopt(source ? copyAttributes(source) : nullptr);
    setNodeUserData(copy, copied.get());
}

void forgetNodeUserData(const scene::ISceneNode* node) {
    auto found = records().find(node);
    if (found != records().end())
        setNodeUserData(found->second.node.get(), nullptr);
}

std::vector<const scene::ISceneNode*> releaseUnheldNodeUserData() {
    std::vector<const scene::ISceneNode*> released;
    // A node let go may have held children with records of their own, which
    // are then held by nothing else either: repeat until none is found.
    for (bool found = true; found;) {
        found = false;
        for (auto it = records().begin(); it != records().end();) {
            if (it->second.node->getReferenceCount() > 1) {
                ++it;
                continue;
            }
            UserDataRecord record = std::move(it->second);
            released.push_back(it->first);
            it = records().erase(it);
            found = true;
        }
    }
    return released;
}

void forgetAllNodeUserData() {
    std::map<const scene::ISceneNode*, UserDataRecord> all;
    all.swap(records());
    all.clear();
}

size_t nodeUserDataCount() {
    return records().size();
}

io::IAttributes* copyAttributes(io::IAttributes* from) {
    io::IAttributes* to = makeAttributes();
    if (!to || !from)
        return to;
    const s32 count = static_cast<s32>(from->getAttributeCount());
    for (s32 i = 0; i < count; ++i)
        copyEntry(from, i, to, from->getAttributeName(i));
    return to;
}

void appendAttributeCopy(io::IAttributes* from, s32 index, io::IAttributes* to, const c8* newName) {
    if (from && to && index >= 0 && static_cast<u32>(index) < from->getAttributeCount())
        copyEntry(from, index, to, newName ? newName : from->getAttributeName(index));
}

} // namespace sorn
