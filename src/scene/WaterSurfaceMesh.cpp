#include "scene/WaterSurfaceMesh.h"

using namespace irr;

namespace sorn {

void keepWaterSurfaceMesh(scene::ISceneManager* sceneManager, scene::ISceneNode* node, const io::path& meshName) {
    if (!sceneManager || !node || node->getType() != scene::ESNT_WATER_SURFACE || meshName.empty())
        return;
    scene::IAnimatedMesh* mesh = sceneManager->getMeshCache()->getMeshByName(meshName);
    scene::IMesh* firstFrame = mesh ? mesh->getMesh(0) : nullptr;
    if (firstFrame)
        static_cast<scene::IMeshSceneNode*>(node)->setMesh(firstFrame);
}

} // namespace sorn
