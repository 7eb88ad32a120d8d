#pragma once
// What one undo step did, as the Scene menu and the status line name it
// ("Undo Move", "Undone: Delete").

namespace sorn {

enum class ChangeKind {
    Move,
    Turn,
    Scale,
    Delete,
    Add,
    Duplicate,
    Material,
    Texture,
    Flags,
    Light,
    Emitter,
    VolumeLight,
    Text,
    AnimationSpeed,
    Sky,
    Grid,
    DebugDrawing,
    Lighting,
    Rename,
    Reparent,
    Cut,
    Paste,
    Attributes,
    Animator,
    CustomProperty,
};

// The language table's key of the change's name ("undo_step_move").
const wchar_t* changeNameKey(ChangeKind kind);

} // namespace sorn
