#pragma once

namespace sorn {

// The engine writes text nodes into scene files but has no way to make them
// again when it reads one, so they would vanish from every reopened scene.
// This registers a factory with the scene manager that makes text nodes the
// way the Add menu does (the editor's font, text "Text"); the position,
// rotation, scale and name then come from the file as for any node.
void registerTextNodeFactory();

} // namespace sorn
