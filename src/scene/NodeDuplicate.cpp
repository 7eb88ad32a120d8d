#include "scene/NodeDuplicate.h"

#include <vector>

#include "app/EditorState.h"
#include "scene/ParticleValues.h"
#include "scene/TextNodeData.h"
#include "scene/AnimationPlayback.h"
#include "scene/NodeUserData.h"
#include "scene/WaterSurfaceMesh.h"

using namespace irr;

namespace sorn {

namespace {

scene::ISceneNode* copyTree(scene::ISceneNode* original, scene::ISceneNode* parent);

// A node the engine cannot clone, made by its type name through the scene
// manager's factories (the editor's text node factory among them).
scene::ISceneNode* remake(scene::ISceneNode* original, scene::ISceneNode* parent) {
    scene::ISceneManager* smgr = editor.sceneManager;
    const c8* typeName = smgr->getSceneNodeTypeName(original->getType());
    scene::ISceneNode* copy = typeName ? smgr->addSceneNode(typeName, parent) : nullptr;
    if (!copy)
        return nullptr;
    // Name, transformation and the values of its kind (a particle system's
    // emitter and affectors) go through the engine's attributes.
    io::IAttributes* attributes = smgr->getFileSystem()->createEmptyAttributes(smgr->getVideoDriver());
    original->serializeAttributes(attributes);
    copy->deserializeAttributes(attributes);
    // A water surface read that way animates a copy of its mesh the cache
    // does not know, and would be saved without one.
    keepWaterSurfaceMesh(smgr, copy, attributes->getAttributeAsString("Mesh"));
    attributes->drop();
    // The engine's attributes clamp the emitter's rates and direction and
    // lose the affectors: those are handed over directly.
    if (original->getType() == scene::ESNT_PARTICLE_SYSTEM)
        copyParticleValues(static_cast<scene::IParticleSystemSceneNode*>(original),
                           static_cast<scene::IParticleSystemSceneNode*>(copy));
    for (u32 i = 0; i < copy->getMaterialCount() && i < original->getMaterialCount(); ++i)
        copy->getMaterial(i) = original->getMaterial(i);
    if (original->getType() == scene::ESNT_TEXT)
        if (const TextNodeRecord* record = findTextNodeData(original))
            setTextNodeData(static_cast<scene::ITextSceneNode*>(copy), record->text.c_str(), record->colour);
    for (scene::ISceneNodeAnimator* animator : original->getAnimators())
        if (scene::ISceneNodeAnimator* cloned = animator->createClone(copy, smgr)) {
            copy->addAnimator(cloned);
            cloned->drop();
        }
    return copy;
}

// The engine's clone of the node alone: its children are taken off for the
// clone and put back in their order, so each child is copied by copyTree
// (the engine's clone of a tree leaves out the children it cannot copy).
scene::ISceneNode* cloneWithoutChildren(scene::ISceneNode* original, scene::ISceneNode* parent) {
    std::vector<scene::ISceneNode*> children;
    for (scene::ISceneNode* child : original->getChildren()) {
        child->grab();
        children.push_back(child);
    }
    original->removeAll();
    scene::ISceneNode* copy = original->clone(parent, editor.sceneManager);
    for (scene::ISceneNode* child : children) {
        original->addChild(child);
        child->drop();
    }
    return copy;
}

scene::ISceneNode* copyTree(scene::ISceneNode* original, scene::ISceneNode* parent) {
    // A clone made under a parent is held by the parent alone. Some kinds
    // clone as their base kind (a water surface as a plain mesh node): such
    // a copy is taken out again and the node made afresh.
    scene::ISceneNode* copy = cloneWithoutChildren(original, parent);
    if (copy && copy->getType() != original->getType()) {
        copy->remove();
        copy = nullptr;
    }
    if (!copy)
        copy = remake(original, parent);
    if (!copy)
        return nullptr;
    // The user data goes with it, a copy of its own; animators held aside
    // while the editor shows the scene are copied there too.
    copyNodeUserData(original, copy);
    holdAnimatorCopies(original, copy);
    for (scene::ISceneNode* child : original->getChildren())
        copyTree(child, copy);
    return copy;
}

} // namespace

scene::ISceneNode* duplicateNodeTree(scene::ISceneNode* node) {
    if (!node || !node->getParent() || !editor.sceneManager)
        return nullptr;
    return copyTree(node, node->getParent());
}

} // namespace sorn
