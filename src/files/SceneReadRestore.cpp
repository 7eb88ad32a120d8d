#include "files/SceneReadRestore.h"

#include <cstring>
#include <string>

#include "app/TextConvert.h"
#include "scene/ParticleValues.h"
#include "scene/WaterSurfaceMesh.h"

using namespace irr;

namespace sorn {

namespace {

// Added with the engine's default of its type, then set from the text the
// way the engine's XML reader sets an attribute it reads.
void addEntry(io::IAttributes* attributes, const RecordedEntry& entry) {
    static const c8* const kNoLiterals[] = {nullptr};
    const c8* name = entry.name.c_str();
    switch (entry.type) {
    case RecordedType::Int: attributes->addInt(name, 0); break;
    case RecordedType::Float: attributes->addFloat(name, 0.f); break;
    case RecordedType::Bool: attributes->addBool(name, false); break;
    case RecordedType::String: attributes->addString(name, L""); break;
    case RecordedType::Enum: attributes->addEnum(name, "", kNoLiterals); break;
    case RecordedType::Color: attributes->addColor(name, video::SColor()); break;
    case RecordedType::Colorf: attributes->addColorf(name, video::SColorf()); break;
    case RecordedType::Vector3d: attributes->addVector3d(name, core::vector3df()); break;
    case RecordedType::Vector2d: attributes->addVector2d(name, core::vector2df()); break;
    case RecordedType::Dimension2d: attributes->addDimension2d(name, core::dimension2d<u32>()); break;
    }
    attributes->setAttribute(static_cast<s32>(attributes->getAttributeCount()) - 1, entry.value.c_str());
}

// The kind of node a factory's type becomes: the engine makes the Maya and
// first-person cameras as plain cameras with an animator.
scene::ESCENE_NODE_TYPE madeAs(scene::ESCENE_NODE_TYPE type) {
    return type == scene::ESNT_CAMERA_MAYA || type == scene::ESNT_CAMERA_FPS ? scene::ESNT_CAMERA : type;
}

std::string narrowed(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out.push_back(static_cast<char>(static_cast<u32>(c) & 0xFF));
    return out;
}

// Custom property texts read from an 8-bit file, decoded where they spell UTF-8.
void decodeUtf8Strings(io::IAttributes* userData) {
    core::stringw decoded;
    for (u32 i = 0; i < userData->getAttributeCount(); ++i) {
        if (userData->getAttributeType(i) == io::EAT_STRING) {
            if (decodeUtf8Bytes(userData->getAttributeAsStringW(i), decoded))
                userData->setAttribute(static_cast<s32>(i), decoded.c_str());
        } else if (userData->getAttributeType(i) == io::EAT_STRINGWARRAY) {
            core::array<core::stringw> texts = userData->getAttributeAsArray(i);
            bool changed = false;
            for (u32 k = 0; k < texts.size(); ++k)
                if (decodeUtf8Bytes(texts[k], decoded)) {
                    texts[k] = decoded;
                    changed = true;
                }
            if (changed)
                userData->setAttribute(static_cast<s32>(i), texts);
        }
    }
}

// A node name read from an 8-bit file, decoded where it spells UTF-8 of
// characters an 8-bit name can hold.
void decodeUtf8Name(scene::ISceneNode* node) {
    const core::stringc bytes(node->getName());
    core::stringw units;
    for (u32 i = 0; i < bytes.size(); ++i)
        units.append(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i])));
    core::stringw decoded;
    if (!decodeUtf8Bytes(units, decoded))
        return;
    std::string name;
    for (u32 i = 0; i < decoded.size(); ++i) {
        if (static_cast<u32>(decoded[i]) > 0xFF)
            return;
        name.push_back(static_cast<char>(decoded[i]));
    }
    node->setName(name.c_str());
}

// The emitter values the engine's reader clamps, as the file holds them. The
// rates are kept in order (the engine's reader lowers the minimum to the
// maximum as well); the scan has bounded both.
void restoreEmitter(scene::IParticleSystemSceneNode* system, io::IAttributes* values) {
    scene::IParticleEmitter* emitter = system->getEmitter();
    if (!emitter || values->findAttribute("Emitter") < 0)
        return;
    if (values->existsAttribute("Direction"))
        emitter->setDirection(values->getAttributeAsVector3d("Direction"));
    if (values->existsAttribute("MinParticlesPerSecond") && values->existsAttribute("MaxParticlesPerSecond")) {
        const s32 minimum = values->getAttributeAsInt("MinParticlesPerSecond");
        const s32 maximum = values->getAttributeAsInt("MaxParticlesPerSecond");
        const u32 highest = maximum > 0 ? static_cast<u32>(maximum) : 0u;
        const u32 lowest = minimum > 0 ? static_cast<u32>(minimum) : 0u;
        emitter->setMaxParticlesPerSecond(highest);
        emitter->setMinParticlesPerSecond(lowest < highest ? lowest : highest);
    }
}

// Each "Affector" entry and the entries after it up to the next make one affector.
void restoreAffectors(scene::IParticleSystemSceneNode* system, const RecordedEntry* entries, size_t count,
                      size_t first) {
    if (!system->getAffectors().empty())
        return;
    io::IAttributes* values = system->getSceneManager()->getFileSystem()->createEmptyAttributes();
    for (size_t at = first; at < count;) {
        const std::string typeName = narrowed(entries[at].value);
        size_t end = at + 1;
        values->clear();
        for (; end < count && entries[end].name != "Affector"; ++end)
            addEntry(values, entries[end]);
        if (scene::IParticleAffector* affector = createAffectorNamed(system, typeName.c_str())) {
            affector->deserializeAttributes(values);
            system->addAffector(affector);
            affector->drop();
        }
        at = end;
    }
    values->drop();
}

} // namespace

SceneReadRestore::SceneReadRestore(scene::ISceneManager* sceneManager, const SceneFileRecords& records,
                                   scene::ISceneUserDataSerializer* inner, scene::ISceneNode* root)
    : sceneManager_(sceneManager), records_(records), inner_(inner), root_(root) {
    // What the engine's factories make of each type name (exactly as written).
    for (const std::string& name : records.typeNames) {
        scene::ESCENE_NODE_TYPE type = scene::ESNT_UNKNOWN;
        for (u32 f = 0; sceneManager && f < sceneManager->getRegisteredSceneNodeFactoryCount(); ++f) {
            scene::ISceneNodeFactory* factory = sceneManager->getSceneNodeFactory(f);
            for (u32 i = 0; factory && i < factory->getCreatableSceneNodeTypeCount(); ++i) {
                const c8* known = factory->getCreateableSceneNodeTypeName(i);
                if (known && name == known)
                    type = madeAs(factory->getCreateableSceneNodeType(i));
            }
        }
        types_.push_back(type);
    }
    // A node the engine cannot make is skipped with everything inside it.
    // Walking the records backwards meets each node before its children.
    made_.assign(records.nodes.size(), false);
    std::vector<bool> madeAtDepth(1, true);
    for (size_t r = records.nodes.size(); r-- > 0;) {
        const NodeRecord& node = records.nodes[r];
        if (madeAtDepth.size() <= node.depth)
            madeAtDepth.resize(node.depth + 1u, false);
        const bool parentMade = node.depth >= 1 && madeAtDepth[node.depth - 1u];
        made_[r] = parentMade && types_[node.type] != scene::ESNT_UNKNOWN;
        madeAtDepth[node.depth] = made_[r];
    }
    for (size_t b = 0; b < records.userData.size(); ++b) {
        const uint32_t owner = records.userData[b].owner;
        if (owner == SceneFileRecords::kSceneOwner || (owner < made_.size() && made_[owner]))
            userDataRead_.push_back(static_cast<uint32_t>(b));
    }
}

void SceneReadRestore::OnCreateNode(scene::ISceneNode* node) {
    if (node && node != root_ && (created_.empty() || created_.back() != node)) {
        uint16_t depth = 0;
        for (scene::ISceneNode* at = node; at && at != root_ && depth < 0xFFFF; at = at->getParent())
            ++depth;
        created_.push_back(node);
        createdDepths_.push_back(depth);
    }
    if (inner_)
        inner_->OnCreateNode(node);
}

// The block's strings the reader cut are found by name and by what the
// reader made of them, in their order, and made whole.
void SceneReadRestore::OnReadUserData(scene::ISceneNode* forSceneNode, io::IAttributes* userData) {
    if (userData && userDataCalls_ < userDataRead_.size()) {
        const UserDataRecord& block = records_.userData[userDataRead_[userDataCalls_]];
        u32 from = 0;
        for (uint32_t k = 0; k < block.cutCount; ++k) {
            const RecordedEntry& whole = records_.cutStrings[block.firstCut + k];
            const std::wstring read = whole.value.substr(0, whole.value.size() - 1);
            for (u32 i = from; i < userData->getAttributeCount(); ++i) {
                if (userData->getAttributeType(i) != io::EAT_STRING || whole.name != userData->getAttributeName(i) ||
                    !(userData->getAttributeAsStringW(i) == read.c_str()))
                    continue;
                userData->setAttribute(static_cast<s32>(i), whole.value.c_str());
                from = i + 1;
                break;
            }
        }
    }
    ++userDataCalls_;
    if (userData && decodeUtf8_)
        decodeUtf8Strings(userData);
    if (inner_)
        inner_->OnReadUserData(forSceneNode, userData);
}

io::IAttributes* SceneReadRestore::createUserData(scene::ISceneNode* forSceneNode) {
    return inner_ ? inner_->createUserData(forSceneNode) : nullptr;
}

void SceneReadRestore::restoreNode(scene::ISceneNode* node, const RecordedEntry* entries, size_t count) {
    if (count == 0)
        return;
    io::IAttributes* values = sceneManager_->getFileSystem()->createEmptyAttributes();
    size_t firstAffector = count;
    for (size_t i = 0; i < count && firstAffector == count; ++i) {
        if (entries[i].name == "Affector")
            firstAffector = i;
        else
            addEntry(values, entries[i]);
    }
    // A name the reader cut, when the node still has what it made of it.
    for (size_t i = 0; i < firstAffector; ++i) {
        const RecordedEntry& entry = entries[i];
        if (entry.name != "Name" || entry.type != RecordedType::String || entry.value.empty())
            continue;
        if (narrowed(entry.value.substr(0, entry.value.size() - 1)) == node->getName())
            node->setName(narrowed(entry.value).c_str());
        break;
    }
    if (node->getType() == scene::ESNT_PARTICLE_SYSTEM) {
        auto* system = static_cast<scene::IParticleSystemSceneNode*>(node);
        restoreEmitter(system, values);
        restoreAffectors(system, entries, count, firstAffector);
    } else if (node->getType() == scene::ESNT_ANIMATED_MESH) {
        auto* animated = static_cast<scene::IAnimatedMeshSceneNode*>(node);
        if (animated->getMesh() && values->existsAttribute("StartFrame") && values->existsAttribute("EndFrame"))
            animated->setFrameLoop(values->getAttributeAsInt("StartFrame"), values->getAttributeAsInt("EndFrame"));
    } else if (node->getType() == scene::ESNT_WATER_SURFACE && values->existsAttribute("Mesh")) {
        keepWaterSurfaceMesh(sceneManager_, node, values->getAttributeAsString("Mesh"));
    }
    values->drop();
}

// Created nodes and records are in the same order; the records of nodes the
// engine did not make are passed over. A node is matched by its kind and its
// depth; one without a match is left as the engine made it, and after a few
// of those the matching ends (each costs a pass over the rest of the records).
// A light read without a "LightType" gets the reader's "not found" (-1) as
// its type, which no driver knows: it becomes a point light, the type a new
// light has. The type is looked at as bytes, as no enumeration holds -1.
namespace {

void settleLightType(scene::ISceneNode* node) {
    if (node->getType() != scene::ESNT_LIGHT)
        return;
    auto* light = static_cast<scene::ILightSceneNode*>(node);
    u32 type = 0;
    std::memcpy(&type, &light->getLightData().Type, sizeof type);
    if (type >= video::ELT_COUNT)
        light->setLightType(video::ELT_POINT);
}

} // namespace

void SceneReadRestore::restore() {
    for (scene::ISceneNode* node : created_)
        settleLightType(node);
    restoreRecords();
    if (!decodeUtf8_)
        return;
    if (root_)
        decodeUtf8Name(root_);
    for (scene::ISceneNode* node : created_)
        decodeUtf8Name(node);
}

void SceneReadRestore::restoreRecords() {
    constexpr int kMaxUnmatched = 16;
    int unmatched = 0;
    if (records_.givenUp || !sceneManager_)
        return;
    if (root_ && !records_.sceneEntries.empty())
        restoreNode(root_, records_.sceneEntries.data(), records_.sceneEntries.size());
    size_t next = 0;
    for (size_t i = 0; i < created_.size(); ++i) {
        const scene::ESCENE_NODE_TYPE type = created_[i]->getType();
        size_t r = next;
        while (r < records_.nodes.size() &&
               !(made_[r] && types_[records_.nodes[r].type] == type && records_.nodes[r].depth == createdDepths_[i]))
            ++r;
        if (r == records_.nodes.size()) {
            if (++unmatched > kMaxUnmatched)
                return;
            continue;
        }
        const NodeRecord& record = records_.nodes[r];
        restoreNode(created_[i], records_.entries.data() + record.firstEntry, record.entryCount);
        next = r + 1;
    }
}

} // namespace sorn
