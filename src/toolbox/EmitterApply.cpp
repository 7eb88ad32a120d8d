// The emitter tab's update button: a new emitter of the combo's type, built
// from the rows, in place of the selected system's emitter.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "toolbox/ColourText.h"
#include "toolbox/EmitterRows.h"
#include "toolbox/EmitterText.h"
#include "toolbox/NumberText.h"
#include "toolbox/ParticleTab.h"
#include "toolbox/ToolBoxRows.h"

using namespace irr;

namespace sorn {

namespace {

// Everything the engine's creation calls take besides the shape.
struct EmitterValues {
    core::vector3df direction{0.f, 0.03f, 0.f};
    u32 minParticlesPerSecond = 5;
    u32 maxParticlesPerSecond = 10;
    video::SColor minStartColour{255, 0, 0, 0};
    video::SColor maxStartColour{255, 255, 255, 255};
    u32 minLifeTime = 2000;
    u32 maxLifeTime = 4000;
    s32 maxAngleDegrees = 0;
    core::dimension2df minStartSize{5.f, 5.f};
    core::dimension2df maxStartSize{5.f, 5.f};
};

// The values of the emitter in place; a system without one has the engine's
// defaults.
EmitterValues valuesInForce(const scene::IParticleEmitter* emitter) {
    EmitterValues values;
    if (!emitter)
        return values;
    values.direction = emitter->getDirection();
    values.minParticlesPerSecond = emitter->getMinParticlesPerSecond();
    values.maxParticlesPerSecond = emitter->getMaxParticlesPerSecond();
    values.minStartColour = emitter->getMinStartColor();
    values.maxStartColour = emitter->getMaxStartColor();
    values.minLifeTime = emitter->getMinLifeTime();
    values.maxLifeTime = emitter->getMaxLifeTime();
    values.maxAngleDegrees = emitter->getMaxAngleDegrees();
    values.minStartSize = emitter->getMinStartSize();
    values.maxStartSize = emitter->getMaxStartSize();
    return values;
}

std::string rowBytes(int row) {
    std::string bytes;
    toolBoxText(emitterEditId(row), bytes);
    return bytes;
}

// A box whose text does not read as the value applied (empty, out of bounds,
// not a number) is given that value, so that it shows what is in force.
void showInForce(int row, const core::stringw& text) {
    if (gui::IGUIElement* box = toolBoxElement(emitterEditId(row)))
        box->setText(text.c_str());
}

core::stringw decimal(long value) {
    return core::stringw(value);
}

// A number held to [low, high]; NaN reads as 0 like other malformed numbers.
// `exact` is cleared when the number had to change.
f32 bounded(double value, f32 low, f32 high, bool& exact) {
    if (std::isnan(value)) {
        exact = false;
        return 0.f;
    }
    if (value < low || value > high) {
        exact = false;
        return value < low ? low : high;
    }
    return static_cast<f32>(value);
}

// A float row read like atof; an empty box gives 0.
f32 readFloatRow(int row, f32 low, f32 high) {
    const std::string bytes = rowBytes(row);
    bool exact = !bytes.empty();
    const f32 value = bounded(std::strtod(bytes.c_str(), nullptr), low, high, exact);
    if (!exact)
        showInForce(row, formatFloat(value));
    return value;
}

// An integer row read like atoi (saturating, never undefined) and held to
// [0, high]: a negative number is never taken as a huge unsigned one. An
// empty box keeps the value in force (held to the same bounds).
long readCountRow(int row, long inForce, long high) {
    const std::string bytes = rowBytes(row);
    const long typed = bytes.empty() ? inForce : parseIntegerLikeAtoi(bytes.c_str());
    const long value = std::min(std::max(typed, 0L), high);
    if (bytes.empty() || value != typed)
        showInForce(row, decimal(value));
    return value;
}

// A size row as dimension text; an empty box gives 0 by 0.
core::dimension2df readSizeRow(int row) {
    const std::string bytes = rowBytes(row);
    const DimensionReading reading = parseDimensionText(bytes);
    bool exact = reading.hasSlash;
    core::dimension2df size(bounded(reading.width, 0.f, kMaxParticleStartSize, exact),
                            bounded(reading.height, 0.f, kMaxParticleStartSize, exact));
    if (!exact)
        showInForce(row, formatDimensionText(size));
    return size;
}

// A colour row as colour text; an empty box keeps the colour in force.
video::SColor readColourRow(int row, video::SColor inForce) {
    const std::string bytes = rowBytes(row);
    gui::IGUIElement* box = toolBoxElement(emitterEditId(row));
    if (bytes.empty() || !box) {
        showInForce(row, formatColourText(inForce));
        return inForce;
    }
    return parseColourText(box->getText());
}

// A maximum below its minimum is raised to it: the engine takes the spread
// max - min as unsigned, so the other order would ask for billions.
void keepOrdered(u32 minimum, u32& maximum, int maximumRow) {
    if (maximum >= minimum)
        return;
    maximum = minimum;
    showInForce(maximumRow, decimal(maximum));
}

EmitterValues readCommonRows(const EmitterValues& inForce) {
    EmitterValues values;
    values.direction.X = readFloatRow(0, -kMaxEmitterDirection, kMaxEmitterDirection);
    values.direction.Y = readFloatRow(1, -kMaxEmitterDirection, kMaxEmitterDirection);
    values.direction.Z = readFloatRow(2, -kMaxEmitterDirection, kMaxEmitterDirection);
    values.maxAngleDegrees = static_cast<s32>(readCountRow(3, inForce.maxAngleDegrees, kMaxEmitterAngleDegrees));
    values.minLifeTime = static_cast<u32>(readCountRow(4, inForce.minLifeTime, kMaxParticleLifeTimeMs));
    values.maxLifeTime = static_cast<u32>(readCountRow(5, inForce.maxLifeTime, kMaxParticleLifeTimeMs));
    values.minParticlesPerSecond =
        static_cast<u32>(readCountRow(6, inForce.minParticlesPerSecond, kMaxParticlesPerSecond));
    values.maxParticlesPerSecond =
        static_cast<u32>(readCountRow(7, inForce.maxParticlesPerSecond, kMaxParticlesPerSecond));
    keepOrdered(values.minLifeTime, values.maxLifeTime, 5);
    keepOrdered(values.minParticlesPerSecond, values.maxParticlesPerSecond, 7);
    values.minStartSize = readSizeRow(8);
    values.maxStartSize = readSizeRow(9);
    values.minStartColour = readColourRow(10, inForce.minStartColour);
    values.maxStartColour = readColourRow(11, inForce.maxStartColour);
    return values;
}

bool buildsEmitter(s32 type) {
    return type == scene::EPET_POINT || type == scene::EPET_BOX || type == scene::EPET_CYLINDER ||
           type == scene::EPET_RING || type == scene::EPET_SPHERE;
}

scene::IParticleEmitter* createEmitter(scene::IParticleSystemSceneNode* system, s32 type) {
    const EmitterValues v = readCommonRows(valuesInForce(system->getEmitter()));
    const core::vector3df centre = system->getPosition();
    switch (type) {
    case scene::EPET_POINT:
        return system->createPointEmitter(v.direction, v.minParticlesPerSecond, v.maxParticlesPerSecond,
                                          v.minStartColour, v.maxStartColour, v.minLifeTime, v.maxLifeTime,
                                          v.maxAngleDegrees, v.minStartSize, v.maxStartSize);
    case scene::EPET_BOX:
        return system->createBoxEmitter(core::aabbox3df(-10.f, 28.f, -10.f, 10.f, 30.f, 10.f), v.direction,
                                        v.minParticlesPerSecond, v.maxParticlesPerSecond, v.minStartColour,
                                        v.maxStartColour, v.minLifeTime, v.maxLifeTime, v.maxAngleDegrees,
                                        v.minStartSize, v.maxStartSize);
    case scene::EPET_CYLINDER: {
        const f32 radius = readFloatRow(kRadiusRow, 0.f, kMaxEmitterExtent);
        const f32 length = readFloatRow(kShapeRow, -kMaxEmitterExtent, kMaxEmitterExtent);
        const bool outlineOnly = parseYesNoText(rowBytes(kOutlineRow));
        return system->createCylinderEmitter(centre, radius, core::vector3df(5.f, 5.f, 5.f), length, outlineOnly,
                                             v.direction, v.minParticlesPerSecond, v.maxParticlesPerSecond,
                                             v.minStartColour, v.maxStartColour, v.minLifeTime, v.maxLifeTime,
                                             v.maxAngleDegrees, v.minStartSize, v.maxStartSize);
    }
    case scene::EPET_RING: {
        const f32 radius = readFloatRow(kRadiusRow, 0.f, kMaxEmitterExtent);
        const f32 thickness = readFloatRow(kShapeRow, 0.f, kMaxEmitterExtent);
        return system->createRingEmitter(centre, radius, thickness, v.direction, v.minParticlesPerSecond,
                                         v.maxParticlesPerSecond, v.minStartColour, v.maxStartColour,
                                         v.minLifeTime, v.maxLifeTime, v.maxAngleDegrees, v.minStartSize,
                                         v.maxStartSize);
    }
    case scene::EPET_SPHERE: {
        const f32 radius = readFloatRow(kRadiusRow, 0.f, kMaxEmitterExtent);
        return system->createSphereEmitter(centre, radius, v.direction, v.minParticlesPerSecond,
                                           v.maxParticlesPerSecond, v.minStartColour, v.maxStartColour,
                                           v.minLifeTime, v.maxLifeTime, v.maxAngleDegrees, v.minStartSize,
                                           v.maxStartSize);
    }
    default:
        return nullptr;
    }
}

} // namespace

void applyEmitterTab() {
    scene::ISceneNode* node = editor.selectedNode;
    if (!node || !editor.nodeSelected || node->getType() != scene::ESNT_PARTICLE_SYSTEM)
        return;
    gui::IGUIElement* combo = toolBoxElement(ids::EmitterTypeCombo);
    if (!combo || combo->getType() != gui::EGUIET_COMBO_BOX)
        return;
    const s32 type = static_cast<gui::IGUIComboBox*>(combo)->getSelected();
    if (!buildsEmitter(type))
        return;
    auto* system = static_cast<scene::IParticleSystemSceneNode*>(node);
    scene::IParticleEmitter* emitter = createEmitter(system, type);
    if (!emitter)
        return;
    system->setEmitter(emitter);
    emitter->drop();
}

} // namespace sorn
