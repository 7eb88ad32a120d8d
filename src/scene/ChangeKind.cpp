#include "scene/ChangeKind.h"

namespace sorn {

namespace {

struct ChangeName {
    ChangeKind kind;
    const wchar_t* key;
};

// In the enumeration's order.
constexpr ChangeName ChangeNames[] = {
    {ChangeKind::Move, L"undo_step_move"},
    {ChangeKind::Turn, L"undo_step_turn"},
    {ChangeKind::Scale, L"undo_step_scale"},
    {ChangeKind::Delete, L"undo_step_delete"},
    {ChangeKind::Add, L"undo_step_add"},
    {ChangeKind::Duplicate, L"undo_step_duplicate"},
    {ChangeKind::Material, L"undo_step_material"},
    {ChangeKind::Texture, L"undo_step_texture"},
    {ChangeKind::Flags, L"undo_step_flags"},
    {ChangeKind::Light, L"undo_step_light"},
    {ChangeKind::Emitter, L"undo_step_emitter"},
    {ChangeKind::VolumeLight, L"undo_step_volume_light"},
    {ChangeKind::Text, L"undo_step_text"},
    {ChangeKind::AnimationSpeed, L"undo_step_animation_speed"},
    {ChangeKind::Sky, L"undo_step_sky"},
    {ChangeKind::Grid, L"undo_step_grid"},
    {ChangeKind::DebugDrawing, L"undo_step_debug_drawing"},
    {ChangeKind::Lighting, L"undo_step_lighting"},
    {ChangeKind::Rename, L"undo_step_rename"},
    {ChangeKind::Reparent, L"undo_step_reparent"},
    {ChangeKind::Cut, L"undo_step_cut"},
    {ChangeKind::Paste, L"undo_step_paste"},
    {ChangeKind::Attributes, L"undo_step_attributes"},
    {ChangeKind::Animator, L"undo_step_animator"},
    {ChangeKind::CustomProperty, L"undo_step_custom_property"},
};

} // namespace

const wchar_t* changeNameKey(ChangeKind kind) {
    for (const ChangeName& name : ChangeNames)
        if (name.kind == kind)
            return name.key;
    return L"undo_step_move";
}

} // namespace sorn
