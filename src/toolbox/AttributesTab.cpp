#include "toolbox/AttributesTab.h"

#include <cmath>
#include <cstring>

#include "app/EditorState.h"
#include "app/Translate.h"
#include "files/Quarantine.h"
#include "files/SceneValueLimits.h"
#include "scene/AnimationPlayback.h"
#include "scene/AttributesStep.h"
#include "scene/NodeLifetime.h"
#include "scene/NodeUserData.h"
#include "scene/SceneBox.h"
#include "scene/UndoHistory.h"
#include "toolbox/AttributePanel.h"
#include "toolbox/ParticleTab.h"
#include "toolbox/ToolBox.h"
#include "toolbox/ToolBoxRows.h"
#include "toolbox/ToolBoxSteps.h"

using namespace irr;

namespace sorn {

namespace {

// Values the node's reader takes as they come but the editor must not hand
// it: counts that size what the node allocates, and a light radius of 0
// (an infinite attenuation no saved scene carries back).
struct ValueLimit {
    scene::ESCENE_NODE_TYPE type;
    const char* name;
    f32 low, high;
};

const ValueLimit kLimits[] = {
    {scene::ESNT_PARTICLE_SYSTEM, "MinParticlesPerSecond", 0.f, static_cast<f32>(kMaxParticlesPerSecond)},
    {scene::ESNT_PARTICLE_SYSTEM, "MaxParticlesPerSecond", 0.f, static_cast<f32>(kMaxParticlesPerSecond)},
    {scene::ESNT_VOLUME_LIGHT, "subDivideU", 1.f, static_cast<f32>(kMaxVolumeLightSubdivisions)},
    {scene::ESNT_VOLUME_LIGHT, "subDivideV", 1.f, static_cast<f32>(kMaxVolumeLightSubdivisions)},
};

bool withinLimits(scene::ISceneNode* node, io::IAttributes* set, s32 index) {
    const c8* name = set->getAttributeName(index);
    // The editor's own nodes are debug objects: the scene box hides them and
    // a save leaves them out, so a node made one would be lost.
    if (std::strcmp(name, "IsDebugObject") == 0)
        return !set->getAttributeAsBool(index);
    if (node->getType() == scene::ESNT_LIGHT && std::strcmp(name, "Radius") == 0)
        return std::isfinite(1.f / set->getAttributeAsFloat(index));
    for (const ValueLimit& limit : kLimits) {
        if (limit.type != node->getType() || std::strcmp(limit.name, name) != 0)
            continue;
        const f32 value = set->getAttributeAsFloat(index);
        return value >= limit.low && value <= limit.high;
    }
    return true;
}

// A path the node's reader loads a file from when it changes: through the
// file checks first.
bool admitsLoadedFile(io::IAttributes* before, io::IAttributes* set, s32 index) {
    const c8* name = set->getAttributeName(index);
    const bool mesh = std::strcmp(name, "Mesh") == 0;
    if (!mesh && std::strcmp(name, "Heightmap") != 0)
        return true;
    const core::stringc path = set->getAttributeAsString(index);
    if (path.empty() || path == before->getAttributeAsString(index))
        return true;
    return admitUntrustedFile(path.c_str(), mesh ? UntrustedKind::Model : UntrustedKind::HeightMap);
}

// The node's authored set with the one value of edited: everything else as
// the node holds it now.
EngineRef<io::IAttributes> withEditedValue(io::IAttributes* before, io::IAttributes* edited, s32 index) {
    const bool sameShape = before->getAttributeCount() == edited->getAttributeCount() &&
                           std::strcmp(before->getAttributeName(index), edited->getAttributeName(index)) == 0;
    if (!sameShape)
        return EngineRef<io::IAttributes>(edited);
    EngineRef<io::IAttributes> next = EngineRef<io::IAttributes>::adopt(
        editor.device->getFileSystem()->createEmptyAttributes(editor.device->getVideoDriver()));
    for (u32 i = 0; i < before->getAttributeCount(); ++i) {
        const s32 at = static_cast<s32>(i);
        appendAttributeCopy(at == index ? edited : before, at, next.get());
    }
    return next;
}

} // namespace

void applyNodeAttributeEdit(scene::ISceneNode* node, io::IAttributes* edited, u32 index) {
    if (!node || !edited || !editor.device || !isLiveSceneNode(node) || index >= edited->getAttributeCount())
        return;
    const s32 at = static_cast<s32>(index);
    // The edit changes the node as the user made it, not where a playing
    // animation has carried it.
    const bool playing = animationPlaying();
    if (playing)
        stopAnimation();
    EngineRef<io::IAttributes> before = nodeAttributes(node);
    EngineRef<io::IAttributes> next = before ? withEditedValue(before.get(), edited, at) : nullptr;
    if (next && withinLimits(node, next.get(), at) && admitsLoadedFile(before.get(), next.get(), at)) {
        applyNodeAttributes(node, next.get());
        EngineRef<io::IAttributes> after = nodeAttributes(node);
        recordToolBoxStep(makeAttributesStep(node, before.get(), after.get()));
    }
    if (playing)
        playAnimation();
    showNodeNameInTree(node);
    updateToolBox();
}

void addAttributesTab() {
    auto* tabs = static_cast<gui::IGUITabControl*>(toolBoxElement(ids::ToolBoxTabControl));
    scene::ISceneNode* node = editor.selectedNode;
    if (!tabs || !node)
        return;
    gui::IGUITab* tab = tabs->addTab(translate(L"window_toolbox_tab_attributes").c_str(), -1);
    EngineRef<io::IAttributes> set = nodeAttributes(node);
    if (!set)
        return;
    const core::rect<s32> area = tab->getRelativePosition();
    EngineRef<scene::ISceneNode> held(node);
    addAttributePanel(tab, core::rect<s32>(4, 6, area.getWidth() - 4, area.getHeight() - 6), set.get(),
                      ids::AttributesFirstRow, ids::AttributesLastRow,
                      [held](io::IAttributes* edited, u32 index) { applyNodeAttributeEdit(held.get(), edited, index); });
}

} // namespace sorn
