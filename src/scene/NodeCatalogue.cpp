#include "scene/NodeCatalogue.h"

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "scene/TextNodeData.h"
#include "scene/SkyVisibility.h"

using namespace irr;

namespace sorn {

namespace {

const core::vector3df Origin(0, 0, 0);
const core::vector3df NoRotation(0, 0, 0);
const core::vector3df UnitScale(1, 1, 1);

scene::IMesh* createPrimitiveMesh(s32 variant) {
    const scene::IGeometryCreator* creator = editor.sceneManager->getGeometryCreator();
    switch (variant) {
    case ids::MeshPlane:
        return creator->createHillPlaneMesh(core::dimension2df(1, 1), core::dimension2du(1, 1), nullptr, 0.f,
                                            core::dimension2df(0, 0), core::dimension2df(1, 1));
    case ids::MeshCylinder:
        return creator->createCylinderMesh(10.f, 10.f, 10, video::SColor(0xFFFFFFFF), true, 0.f);
    case ids::MeshCone:
        return creator->createConeMesh(10.f, 10.f, 10, video::SColor(0xFFFFFFFF), video::SColor(0xFFFFFFFF), 0.f);
    default:
        return nullptr;
    }
}

const wchar_t* primitiveName(s32 variant) {
    switch (variant) {
    case ids::MeshPlane:
        return L"Plane";
    case ids::MeshCylinder:
        return L"Cylinder";
    case ids::MeshCone:
        return L"Cone";
    default:
        return L"";
    }
}

// The name under which a primitive's mesh is kept in the engine's mesh cache.
const char* primitiveMeshName(s32 variant) {
    switch (variant) {
    case ids::MeshPlane:
        return "Sorn::PlaneMesh";
    case ids::MeshCylinder:
        return "Sorn::CylinderMesh";
    case ids::MeshCone:
        return "Sorn::ConeMesh";
    default:
        return nullptr;
    }
}

// The cached mesh of a primitive, made on first use.
scene::IMesh* primitiveMesh(s32 variant) {
    const char* name = primitiveMeshName(variant);
    if (!name)
        return nullptr;
    scene::IMeshCache* cache = editor.sceneManager->getMeshCache();
    if (scene::IAnimatedMesh* cached = cache->getMeshByName(name))
        return cached->getMesh(0);
    scene::IMesh* mesh = createPrimitiveMesh(variant);
    if (!mesh)
        return nullptr;
    auto* animated = new scene::SAnimatedMesh(mesh);
    mesh->drop();
    cache->addMesh(name, animated);
    animated->drop(); // the cache holds it now
    return animated->getMesh(0);
}

scene::ISceneNode* addPrimitive(s32 variant, scene::ISceneNode* parent) {
    scene::IMesh* mesh = primitiveMesh(variant);
    if (!mesh)
        return nullptr;
    return editor.sceneManager->addMeshSceneNode(mesh, parent, -1, Origin, NoRotation, UnitScale, false);
}

} // namespace

void registerPrimitiveMeshes() {
    if (!editor.sceneManager)
        return;
    for (s32 variant : {ids::MeshPlane, ids::MeshCylinder, ids::MeshCone})
        primitiveMesh(variant);
}

scene::ISceneNode* addNode(scene::ESCENE_NODE_TYPE type, s32 variant) {
    if (!editor.sceneManager)
        return nullptr;
    scene::ISceneManager* smgr = editor.sceneManager;
    scene::ISceneNode* parent = editor.selectedNode ? editor.selectedNode : smgr->getRootSceneNode();
    video::ITexture* skyBox = editor.defaultSkyBoxTexture;

    scene::ISceneNode* node = nullptr;
    const wchar_t* name = L"";
    switch (type) {
    case scene::ESNT_CUBE:
        node = smgr->addCubeSceneNode(10.f, parent, -1, Origin, NoRotation, UnitScale);
        name = L"Cube";
        break;
    case scene::ESNT_SPHERE:
        node = smgr->addSphereSceneNode(5.f, 16, parent, -1, Origin, NoRotation, UnitScale);
        name = L"Sphere";
        break;
    case scene::ESNT_LIGHT:
        node = smgr->addLightSceneNode(parent, Origin, video::SColorf(1.f, 1.f, 1.f, 1.f), 100.f, -1);
        name = L"Light";
        break;
    case scene::ESNT_MESH:
        node = addPrimitive(variant, parent);
        name = primitiveName(variant);
        break;
    case scene::ESNT_PARTICLE_SYSTEM:
        node = smgr->addParticleSystemSceneNode(true, parent, -1, Origin, NoRotation, UnitScale);
        name = L"Particle System";
        break;
    case scene::ESNT_SKY_BOX:
        node = smgr->addSkyBoxSceneNode(skyBox, skyBox, skyBox, skyBox, skyBox, skyBox, nullptr, -1);
        name = L"SkyBox";
        break;
    case scene::ESNT_SKY_DOME:
        node = smgr->addSkyDomeSceneNode(editor.defaultSkyDomeTexture, 16, 8, 0.9f, 2.0f, 1000.f, nullptr, -1);
        name = L"SkyDome";
        break;
    case scene::ESNT_TERRAIN:
        node = smgr->addTerrainSceneNode(narrowPath(mediaPath(L"terrain-heightmap.bmp")).c_str(), parent, -1,
                                         Origin, NoRotation, UnitScale, video::SColor(0xFFFFFFFF), 5,
                                         scene::ETPS_17, 0, false);
        name = L"Terrain";
        break;
    case scene::ESNT_TEXT: {
        gui::IGUIFont* font = editor.device->getGUIEnvironment()->getFont(
            narrowPath(mediaPath(L"fonthaettenschweiler.bmp")).c_str());
        // Without its font the engine would draw nothing; no node is made then.
        if (font) {
            auto* text = smgr->addTextSceneNode(font, kDefaultNodeText, kDefaultTextColour, parent, Origin, -1);
            setTextNodeData(text, kDefaultNodeText, kDefaultTextColour);
            node = text;
        }
        name = L"Text";
        break;
    }
    case scene::ESNT_VOLUME_LIGHT:
        node = smgr->addVolumeLightSceneNode(parent, -1, 8, 8, video::SColor(0x3300E6B4), video::SColor(0x00000000),
                                             Origin, NoRotation, UnitScale);
        name = L"Volume Light";
        break;
    case scene::ESNT_WATER_SURFACE:
        node = smgr->addWaterSurfaceSceneNode(nullptr, 2.f, 300.f, 10.f, parent, -1, Origin, NoRotation, UnitScale);
        name = L"Water Surface";
        break;
    default:
        break;
    }
    if (!node)
        return nullptr;

    node->setName(narrowPath(name).c_str());
    // A sky added while View > Sky is unchecked stays hidden like the others.
    followSkyCheckMark(node);
    editor.sceneViewRefresh.schedule();
    editor.nameIndexRefresh.schedule();
    return node;
}

} // namespace sorn
