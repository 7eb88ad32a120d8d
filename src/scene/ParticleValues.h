#pragma once
// A particle system's emitter values and affectors handed over directly,
// since the engine's attribute reader clamps the emitter's rates to 1..200 a
// second, turns a zero direction into (0, 0.01, 0) and drops every affector.
#include <irrlicht.h>

namespace sorn {

// A new affector of the kind the engine names typeName ("Attract",
// "FadeOut", "Gravity", "Rotate", "Scale") with its default values; null for
// any other name. The caller drops it.
irr::scene::IParticleAffector* createAffectorNamed(irr::scene::IParticleSystemSceneNode* system,
                                                   const char* typeName);

// Gives `to` the emitter values of `from` (when both have an emitter of the
// same kind) and copies of its affectors in their order, in place of its own.
void copyParticleValues(irr::scene::IParticleSystemSceneNode* from, irr::scene::IParticleSystemSceneNode* to);

} // namespace sorn
