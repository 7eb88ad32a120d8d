#include "scene/AttributesStep.h"

#include <cstring>
#include <vector>

#include "app/EditorState.h"
#include "scene/NodeUserData.h"
#include "scene/ParticleValues.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

namespace {

io::IAttributes* makeAttributes() {
    if (!editor.device || !editor.device->getFileSystem())
        return nullptr;
    return editor.device->getFileSystem()->createEmptyAttributes(editor.device->getVideoDriver());
}

// The attributes of the k-th affector: those after the k-th "Affector" entry,
// up to the next one.
EngineRef<io::IAttributes> affectorAttributes(io::IAttributes* set, u32 k) {
    EngineRef<io::IAttributes> part = EngineRef<io::IAttributes>::adopt(makeAttributes());
    if (!part)
        return part;
    u32 seen = 0;
    bool inside = false;
    for (u32 i = 0; i < set->getAttributeCount(); ++i) {
        if (std::strcmp(set->getAttributeName(static_cast<s32>(i)), "Affector") == 0) {
            inside = seen++ == k;
            continue;
        }
        if (!inside)
            continue;
        appendAttributeCopy(set, static_cast<s32>(i), part.get());
    }
    return part;
}

// The engine's particle reader clamps the emitter's rates to 200 a second
// and drops every affector: the rates are taken from the set as they are, and
// the affectors the node had are put back, each given its attributes of the set.
class ParticleKeeper {
public:
    explicit ParticleKeeper(scene::ISceneNode* node) {
        if (!node || node->getType() != scene::ESNT_PARTICLE_SYSTEM)
            return;
        system_ = static_cast<scene::IParticleSystemSceneNode*>(node);
        for (scene::IParticleAffector* affector : system_->getAffectors())
            affectors_.emplace_back(affector);
    }

    void restore(io::IAttributes* set) {
        if (!system_)
            return;
        if (scene::IParticleEmitter* emitter = system_->getEmitter()) {
            const s32 low = set->findAttribute("MinParticlesPerSecond");
            const s32 high = set->findAttribute("MaxParticlesPerSecond");
            if (low >= 0 && set->getAttributeAsInt(low) >= 0)
                emitter->setMinParticlesPerSecond(static_cast<u32>(set->getAttributeAsInt(low)));
            if (high >= 0 && set->getAttributeAsInt(high) >= 0)
                emitter->setMaxParticlesPerSecond(static_cast<u32>(set->getAttributeAsInt(high)));
        }
        // The set's affectors in order: the node's own where the kind is
        // the same, a new one of the kind named otherwise.
        system_->removeAllAffectors();
        u32 k = 0;
        for (u32 i = 0; i < set->getAttributeCount(); ++i) {
            const s32 at = static_cast<s32>(i);
            if (std::strcmp(set->getAttributeName(at), "Affector") != 0)
                continue;
            const core::stringc kind = set->getAttributeAsEnumeration(at);
            EngineRef<scene::IParticleAffector> affector;
            if (k < affectors_.size() && kind == scene::ParticleAffectorTypeNames[affectors_[k]->getType()])
                affector = affectors_[k];
            else
                affector = EngineRef<scene::IParticleAffector>::adopt(createAffectorNamed(system_, kind.c_str()));
            if (affector) {
                EngineRef<io::IAttributes> own = affectorAttributes(set, k);
                if (own && own->getAttributeCount())
                    affector->deserializeAttributes(own.get());
                system_->addAffector(affector.get());
            }
            ++k;
        }
    }

private:
    scene::IParticleSystemSceneNode* system_ = nullptr;
    std::vector<EngineRef<scene::IParticleAffector>> affectors_;
};

class AttributesStep : public UndoStep {
public:
    AttributesStep(scene::ISceneNode* node, io::IAttributes* before, io::IAttributes* after)
        : node_(node), before_(copyAttributes(before)), after_(copyAttributes(after)) {}
    ~AttributesStep() override {
        if (before_)
            before_->drop();
        if (after_)
            after_->drop();
    }
    void undo() override { applyNodeAttributes(node_.get(), before_); }
    void redo() override { applyNodeAttributes(node_.get(), after_); }
    std::size_t memoryCost() const override {
        return sizeof(*this) + 64u * (before_ ? before_->getAttributeCount() : 0u) * 2u;
    }
    scene::ISceneNode* node() const override { return node_.get(); }
    ChangeKind kind() const override { return ChangeKind::Attributes; }

private:
    EngineRef<scene::ISceneNode> node_;
    io::IAttributes* before_;
    io::IAttributes* after_;
};

} // namespace

EngineRef<io::IAttributes> nodeAttributes(scene::ISceneNode* node) {
    if (!node)
        return nullptr;
    EngineRef<io::IAttributes> set = EngineRef<io::IAttributes>::adopt(makeAttributes());
    if (set)
        node->serializeAttributes(set.get());
    return set;
}

void applyNodeAttributes(scene::ISceneNode* node, io::IAttributes* set) {
    if (!node || !set)
        return;
    ParticleKeeper particles(node);
    node->deserializeAttributes(set);
    particles.restore(set);
    // The trace of the next pick names the node as it is called now.
    editor.nodeNameIndex[node] = node->getName();
    editor.nameIndexRefresh.schedule();
}

bool sameAttributes(io::IAttributes* a, io::IAttributes* b) {
    if (!a || !b || a->getAttributeCount() != b->getAttributeCount())
        return false;
    for (u32 i = 0; i < a->getAttributeCount(); ++i) {
        const s32 k = static_cast<s32>(i);
        if (std::strcmp(a->getAttributeName(k), b->getAttributeName(k)) != 0 ||
            a->getAttributeType(k) != b->getAttributeType(k) ||
            a->getAttributeAsStringW(k) != b->getAttributeAsStringW(k))
            return false;
    }
    return true;
}

std::unique_ptr<UndoStep> makeAttributesStep(scene::ISceneNode* node, io::IAttributes* before,
                                             io::IAttributes* after) {
    if (!node || sameAttributes(before, after))
        return nullptr;
    return std::make_unique<AttributesStep>(node, before, after);
}

} // namespace sorn
