#pragma once
// The emitter tab's rows as the showing and applying code share them.
#include <irrlicht.h>

#include "app/GuiIds.h"

namespace sorn {

constexpr int kEmitterRowCount = 20;
// Radius of cylinder, ring and sphere emitters.
constexpr int kRadiusRow = 12;
// Cylinder length or ring thickness.
constexpr int kShapeRow = 13;
// The cylinder's outline-only flag; the row never carries a label.
constexpr int kOutlineRow = 14;

constexpr irr::s32 emitterLabelId(int row) {
    return ids::EmitterFirstRow + 2 * row;
}
constexpr irr::s32 emitterEditId(int row) {
    return ids::EmitterFirstRow + 2 * row + 1;
}

// The emitter of the selected particle system; null when the selection is no
// particle system or the system has none.
irr::scene::IParticleEmitter* selectedEmitter();

} // namespace sorn
