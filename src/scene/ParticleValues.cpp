#include "scene/ParticleValues.h"

#include <cstring>

using namespace irr;

namespace sorn {

scene::IParticleAffector* createAffectorNamed(scene::IParticleSystemSceneNode* system, const char* typeName) {
    if (!system || !typeName)
        return nullptr;
    scene::E_PARTICLE_AFFECTOR_TYPE type = scene::EPAT_NONE;
    for (int i = 0; scene::ParticleAffectorTypeNames[i]; ++i)
        if (std::strcmp(scene::ParticleAffectorTypeNames[i], typeName) == 0)
            type = static_cast<scene::E_PARTICLE_AFFECTOR_TYPE>(i);
    switch (type) {
    case scene::EPAT_ATTRACT:
        return system->createAttractionAffector(core::vector3df(0.f, 0.f, 0.f));
    case scene::EPAT_FADE_OUT:
        return system->createFadeOutParticleAffector();
    case scene::EPAT_GRAVITY:
        return system->createGravityAffector();
    case scene::EPAT_ROTATE:
        return system->createRotationAffector();
    case scene::EPAT_SCALE:
        return system->createScaleParticleAffector();
    default:
        return nullptr;
    }
}

namespace {

void copyEmitterValues(const scene::IParticleEmitter* from, scene::IParticleEmitter* to) {
    to->setDirection(from->getDirection());
    // The maximum first: the emitter keeps neither order itself, but a
    // minimum above the maximum would make it emit billions at once.
    to->setMaxParticlesPerSecond(from->getMaxParticlesPerSecond());
    to->setMinParticlesPerSecond(from->getMinParticlesPerSecond());
    to->setMinStartColor(from->getMinStartColor());
    to->setMaxStartColor(from->getMaxStartColor());
    to->setMinLifeTime(from->getMinLifeTime());
    to->setMaxLifeTime(from->getMaxLifeTime());
    to->setMaxAngleDegrees(from->getMaxAngleDegrees());
    to->setMinStartSize(from->getMinStartSize());
    to->setMaxStartSize(from->getMaxStartSize());
}

} // namespace

void copyParticleValues(scene::IParticleSystemSceneNode* from, scene::IParticleSystemSceneNode* to) {
    if (!from || !to || from == to)
        return;
    scene::IParticleEmitter* emitter = from->getEmitter();
    scene::IParticleEmitter* copied = to->getEmitter();
    if (emitter && copied && emitter->getType() == copied->getType())
        copyEmitterValues(emitter, copied);

    to->removeAllAffectors();
    io::IAttributes* values = to->getSceneManager()->getFileSystem()->createEmptyAttributes();
    for (scene::IParticleAffector* affector : from->getAffectors()) {
        const u32 type = affector->getType();
        scene::IParticleAffector* copy =
            type < scene::EPAT_COUNT ? createAffectorNamed(to, scene::ParticleAffectorTypeNames[type]) : nullptr;
        if (!copy)
            continue;
        values->clear();
        affector->serializeAttributes(values);
        copy->deserializeAttributes(values);
        copy->setEnabled(affector->getEnabled());
        to->addAffector(copy);
        copy->drop();
    }
    values->drop();
}

} // namespace sorn
