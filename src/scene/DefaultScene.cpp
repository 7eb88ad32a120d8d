#include "scene/DefaultScene.h"

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "scene/TextNodeData.h"
#include "scene/AnimationPlayback.h"
#include "scene/Gizmo.h"
#include "scene/GridCommands.h"
#include "scene/NodeLifetime.h"

namespace sorn {

using namespace irr;

namespace {

// A default texture from the editor's media folder beside the program, so a
// working directory moved later by a file dialog does not lose it. A missing
// file gives no texture (and no engine error line on the console).
video::ITexture* loadMediaTexture(const wchar_t* name) {
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    io::IFileSystem* files = editor.device->getFileSystem();
    if (!driver || !files)
        return nullptr;
    const io::path path = narrowPath(appPath(editor.mediaDirectory + name)).c_str();
    if (!files->existFile(path))
        return nullptr;
    return driver->getTexture(path);
}

} // namespace

void loadDefaultScene() {
    if (!editor.device)
        return;
    editor.defaultSkyBoxTexture = loadMediaTexture(L"default_skybox.jpg");
    editor.defaultSkyDomeTexture = loadMediaTexture(L"default_skydome.jpg");
    buildDefaultScene();
}

void buildDefaultScene() {
    addDefaultSkyBox();
    createGrid(kDefaultGridSize, kDefaultGridSpacing);
    createGizmo();
}

void addDefaultSkyBox() {
    scene::ISceneManager* smgr = editor.sceneManager;
    if (!smgr)
        return;
    video::ITexture* texture = editor.defaultSkyBoxTexture;
    scene::ISceneNode* sky =
        smgr->addSkyBoxSceneNode(texture, texture, texture, texture, texture, texture, smgr->getRootSceneNode(), -1);
    if (!sky)
        return;
    sky->setIsDebugObject(true);
    sky->setName("Sorn::SkyBox");
}

void clearScene() {
    scene::ISceneManager* smgr = editor.sceneManager;
    if (!smgr)
        return;
    // The animators held for the nodes go with them; what comes next starts stopped.
    forgetHeldAnimators();
    // Deletion is queued, so walking the child list stays safe.
    const core::list<scene::ISceneNode*>& children = smgr->getRootSceneNode()->getChildren();
    for (core::list<scene::ISceneNode*>::ConstIterator it = children.begin(); it != children.end(); ++it) {
        if (!(*it)->isDebugObject())
            queueNodeDeletion(*it);
    }
    // What the editor kept for the old scene's nodes goes with them.
    forgetTextNodeData();
}

void newScene() {
    clearScene();
    resetGrid();
    editor.sceneViewRefresh.schedule();
    editor.nameIndexRefresh.schedule();
}

} // namespace sorn
