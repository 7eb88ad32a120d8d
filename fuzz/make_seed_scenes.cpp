// Writes the seed scenes of the scene targets: one small scene per kind of
// node the editor adds, saved by the engine as the editor saves it (text
// node records included), in the engine's own encoding. With "commas" the
// numbers are written in a decimal-comma locale and not post-processed, as
// the post-processing finds them. Usage: make_seed_scenes <folder> [commas]
#include <clocale>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/AtomicFile.h"
#include "scene/TextNodeData.h"
#include "scene/TextNodeFactory.h"

using namespace irr;

namespace {

struct Seed {
    const char* name;
    std::function<void(scene::ISceneManager*)> build;
};

void addAnimators(scene::ISceneNode* node, scene::ISceneManager* smgr) {
    scene::ISceneNodeAnimator* rotation = smgr->createRotationAnimator(core::vector3df(0.5f, 1.f, 0.f));
    node->addAnimator(rotation);
    rotation->drop();
    core::array<core::vector3df> points;
    points.push_back(core::vector3df(0, 0, 0));
    points.push_back(core::vector3df(10.5f, 2, 0));
    points.push_back(core::vector3df(0, 4, 10));
    scene::ISceneNodeAnimator* spline = smgr->createFollowSplineAnimator(0, points, 1.5f);
    node->addAnimator(spline);
    spline->drop();
}

const Seed kSeeds[] = {
    {"cube", [](scene::ISceneManager* smgr) {
         scene::ISceneNode* cube = smgr->addCubeSceneNode(10.f, nullptr, -1, core::vector3df(1.5f, -2.25f, 3.f));
         cube->setName("Cube");
         addAnimators(cube, smgr);
     }},
    {"nested", [](scene::ISceneManager* smgr) {
         scene::ISceneNode* parent = smgr->addEmptySceneNode();
         scene::ISceneNode* child = smgr->addSphereSceneNode(5.f, 16, parent);
         smgr->addDummyTransformationSceneNode(child);
     }},
    {"light", [](scene::ISceneManager* smgr) {
         smgr->addLightSceneNode(nullptr, core::vector3df(0, 50.5f, 0), video::SColorf(0.25f, 0.5f, 1.f), 250.f);
     }},
    {"particles", [](scene::ISceneManager* smgr) {
         scene::IParticleSystemSceneNode* ps = smgr->addParticleSystemSceneNode(false);
         scene::IParticleEmitter* ring = ps->createRingEmitter(core::vector3df(0, 0, 0), 10.f, 2.5f);
         ps->setEmitter(ring);
         ring->drop();
         scene::IParticleAffector* fade = ps->createFadeOutParticleAffector();
         ps->addAffector(fade);
         fade->drop();
     }},
    {"cylinder_emitter", [](scene::ISceneManager* smgr) {
         scene::IParticleSystemSceneNode* ps = smgr->addParticleSystemSceneNode(false);
         scene::IParticleEmitter* cylinder =
             ps->createCylinderEmitter(core::vector3df(0, 0, 0), 5.f, core::vector3df(0, 1, 0), 20.f, true);
         ps->setEmitter(cylinder);
         cylinder->drop();
     }},
    {"sky_and_volume", [](scene::ISceneManager* smgr) {
         smgr->addSkyDomeSceneNode(nullptr, 16, 8, 0.9f, 2.f);
         smgr->addVolumeLightSceneNode(nullptr, -1, 32, 32);
         smgr->addBillboardSceneNode(nullptr, core::dimension2df(10.5f, 20.f));
     }},
    {"text", [](scene::ISceneManager* smgr) {
         scene::ISceneNode* node = smgr->addSceneNode("text");
         if (node)
             sorn::setTextNodeData(static_cast<scene::ITextSceneNode*>(node), L"Hello, 1,5 world",
                                   video::SColor(0x80FF2010));
     }},
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string folder = argv[1];
    const bool commas = argc > 2 && std::strcmp(argv[2], "commas") == 0;
    if (commas && !std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        std::fputs("no de_DE.UTF-8 locale\n", stderr);
        return 1;
    }
    sorn::editor.device = createDevice(video::EDT_NULL);
    sorn::editor.device->getLogger()->setLogLevel(ELL_NONE);
    sorn::editor.sceneManager = sorn::editor.device->getSceneManager();
    sorn::editor.appDirectory = SORN_FUZZ_RUNTIME_DIR;
    sorn::registerTextNodeFactory();
    scene::ISceneManager* smgr = sorn::editor.sceneManager;
    for (const Seed& seed : kSeeds) {
        seed.build(smgr);
        const std::string path = folder + "/" + seed.name + ".irr";
        if (!smgr->saveScene(path.c_str(), sorn::textNodeUserData())) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        smgr->getRootSceneNode()->removeAll();
        sorn::forgetTextNodeData();
    }
    sorn::editor.device->drop();
    return 0;
}
