#include "scene/NodeState.h"

#include <algorithm>

#include "scene/TextNodeData.h"
#include "scene/AnimationPlayback.h"

using namespace irr;

namespace sorn {

namespace {

bool sameColour(const video::SColorf& a, const video::SColorf& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

bool sameLight(const video::SLight& a, const video::SLight& b) {
    return sameColour(a.AmbientColor, b.AmbientColor) && sameColour(a.DiffuseColor, b.DiffuseColor) &&
           sameColour(a.SpecularColor, b.SpecularColor) && a.Attenuation == b.Attenuation &&
           a.OuterCone == b.OuterCone && a.InnerCone == b.InnerCone && a.Falloff == b.Falloff &&
           a.Radius == b.Radius && a.Type == b.Type && a.CastShadows == b.CastShadows;
}

f32 carriedValue(f32 base, f32 from, f32 to) {
    // Exact where nothing moved or where the base was the start itself.
    if (to == from)
        return base;
    if (base == from)
        return to;
    return base + (to - from);
}

core::vector3df carriedVector(const core::vector3df& base, const core::vector3df& from, const core::vector3df& to) {
    return core::vector3df(carriedValue(base.X, from.X, to.X), carriedValue(base.Y, from.Y, to.Y),
                           carriedValue(base.Z, from.Z, to.Z));
}

} // namespace

NodeState NodeState::of(scene::ISceneNode* node) {
    NodeState state;
    if (!node)
        return state;
    state.position_ = node->getPosition();
    state.rotation_ = node->getRotation();
    state.scale_ = node->getScale();
    state.debugData_ = node->isDebugDataVisible();
    const u32 count = node->getMaterialCount();
    state.materials_.reserve(count);
    for (u32 i = 0; i < count; ++i)
        state.materials_.push_back(node->getMaterial(i));

    switch (node->getType()) {
    case scene::ESNT_LIGHT:
        state.isLight_ = true;
        state.light_ = static_cast<scene::ILightSceneNode*>(node)->getLightData();
        break;
    case scene::ESNT_PARTICLE_SYSTEM:
        state.emitter_ = EngineRef<scene::IParticleEmitter>(
            static_cast<scene::IParticleSystemSceneNode*>(node)->getEmitter());
        break;
    case scene::ESNT_VOLUME_LIGHT: {
        auto* volume = static_cast<scene::IVolumeLightSceneNode*>(node);
        state.isVolumeLight_ = true;
        state.tailColour_ = volume->getTailColor();
        state.footColour_ = volume->getFootColor();
        state.subDivideU_ = volume->getSubDivideU();
        state.subDivideV_ = volume->getSubDivideV();
        break;
    }
    case scene::ESNT_ANIMATED_MESH:
        state.isAnimatedMesh_ = true;
        state.animationSpeed_ = static_cast<scene::IAnimatedMeshSceneNode*>(node)->getAnimationSpeed();
        break;
    case scene::ESNT_TEXT:
        if (const TextNodeRecord* record = findTextNodeData(node)) {
            state.hasText_ = true;
            state.text_ = record->text;
            state.textColour_ = record->colour;
        }
        break;
    default:
        break;
    }
    return state;
}

void NodeState::applyTo(scene::ISceneNode* node) const {
    if (!node || applyAuthoredStateWhilePlaying(node, *this))
        return;
    showOn(node);
}

void NodeState::showOn(scene::ISceneNode* node) const {
    if (!node)
        return;
    node->setPosition(position_);
    node->setRotation(rotation_);
    node->setScale(scale_);
    node->setDebugDataVisible(debugData_);

    if (isLight_ && node->getType() == scene::ESNT_LIGHT)
        static_cast<scene::ILightSceneNode*>(node)->setLightData(light_);
    if (node->getType() == scene::ESNT_PARTICLE_SYSTEM)
        static_cast<scene::IParticleSystemSceneNode*>(node)->setEmitter(emitter_.get());
    if (isVolumeLight_ && node->getType() == scene::ESNT_VOLUME_LIGHT) {
        auto* volume = static_cast<scene::IVolumeLightSceneNode*>(node);
        volume->setTailColor(tailColour_);
        volume->setFootColor(footColour_);
        // Each setter rebuilds the mesh; skip those that change nothing.
        if (volume->getSubDivideU() != subDivideU_)
            volume->setSubDivideU(subDivideU_);
        if (volume->getSubDivideV() != subDivideV_)
            volume->setSubDivideV(subDivideV_);
    }
    if (isAnimatedMesh_ && node->getType() == scene::ESNT_ANIMATED_MESH)
        static_cast<scene::IAnimatedMeshSceneNode*>(node)->setAnimationSpeed(animationSpeed_);
    if (hasText_ && node->getType() == scene::ESNT_TEXT)
        setTextNodeData(static_cast<scene::ITextSceneNode*>(node), text_.c_str(), textColour_);

    // The materials go last: a volume light's colour and subdivision setters
    // rebuild its mesh with a fresh material, which would undo them.
    const u32 count = node->getMaterialCount();
    for (u32 i = 0; i < count && i < materials_.size(); ++i)
        node->getMaterial(i) = materials_[i];
}

NodeState NodeState::carriedOver(const NodeState& from, const NodeState& to) const {
    NodeState result = to;
    result.position_ = carriedVector(position_, from.position_, to.position_);
    result.rotation_ = carriedVector(rotation_, from.rotation_, to.rotation_);
    result.scale_ = carriedVector(scale_, from.scale_, to.scale_);
    const std::size_t count = std::min({materials_.size(), from.materials_.size(), to.materials_.size()});
    for (std::size_t i = 0; i < count; ++i)
        for (u32 layer = 0; layer < video::MATERIAL_MAX_TEXTURES; ++layer)
            if (to.materials_[i].getTexture(layer) == from.materials_[i].getTexture(layer))
                result.materials_[i].setTexture(layer, materials_[i].getTexture(layer));
    return result;
}

bool NodeState::operator==(const NodeState& other) const {
    if (position_ != other.position_ || rotation_ != other.rotation_ || scale_ != other.scale_ ||
        debugData_ != other.debugData_)
        return false;
    if (materials_.size() != other.materials_.size())
        return false;
    for (std::size_t i = 0; i < materials_.size(); ++i)
        if (materials_[i] != other.materials_[i])
            return false;
    if (isLight_ != other.isLight_ || (isLight_ && !sameLight(light_, other.light_)))
        return false;
    if (emitter_ != other.emitter_)
        return false;
    if (isVolumeLight_ != other.isVolumeLight_ ||
        (isVolumeLight_ && (tailColour_ != other.tailColour_ || footColour_ != other.footColour_ ||
                            subDivideU_ != other.subDivideU_ || subDivideV_ != other.subDivideV_)))
        return false;
    if (hasText_ != other.hasText_ || (hasText_ && (text_ != other.text_ || textColour_ != other.textColour_)))
        return false;
    return isAnimatedMesh_ == other.isAnimatedMesh_ && animationSpeed_ == other.animationSpeed_;
}

ChangeKind NodeState::changeFrom(const NodeState& before) const {
    if (position_ != before.position_)
        return ChangeKind::Move;
    if (rotation_ != before.rotation_)
        return ChangeKind::Turn;
    if (scale_ != before.scale_)
        return ChangeKind::Scale;
    if (isLight_ && !sameLight(light_, before.light_))
        return ChangeKind::Light;
    if (emitter_ != before.emitter_)
        return ChangeKind::Emitter;
    if (isVolumeLight_ && (tailColour_ != before.tailColour_ || footColour_ != before.footColour_ ||
                           subDivideU_ != before.subDivideU_ || subDivideV_ != before.subDivideV_))
        return ChangeKind::VolumeLight;
    if (hasText_ && (text_ != before.text_ || textColour_ != before.textColour_))
        return ChangeKind::Text;
    if (animationSpeed_ != before.animationSpeed_)
        return ChangeKind::AnimationSpeed;
    if (debugData_ != before.debugData_)
        return ChangeKind::DebugDrawing;
    // Materials: a texture, then the material type, then everything else the
    // flags tab sets.
    const std::size_t count = std::min(materials_.size(), before.materials_.size());
    for (std::size_t i = 0; i < count; ++i)
        for (u32 layer = 0; layer < video::MATERIAL_MAX_TEXTURES; ++layer)
            if (materials_[i].getTexture(layer) != before.materials_[i].getTexture(layer))
                return ChangeKind::Texture;
    for (std::size_t i = 0; i < count; ++i)
        if (materials_[i].MaterialType != before.materials_[i].MaterialType)
            return ChangeKind::Material;
    return ChangeKind::Flags;
}

std::size_t NodeState::memoryCost() const {
    // An emitter is shared with the node or another step; count a small share.
    return sizeof(NodeState) + materials_.capacity() * sizeof(video::SMaterial) + (emitter_ ? 256 : 0) +
           text_.size() * sizeof(wchar_t);
}

} // namespace sorn
