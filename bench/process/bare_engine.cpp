// The engine alone with the editor's window and default scene: a 1000 x 750
// OpenGL window, the GUI font, the default sky box texture on a sky box and a
// Maya camera, drawn only while the window is active, as the editor draws.
// Started from the editor's runtime folder (it reads media/ from there).
#include <irrlicht.h>

using namespace irr;

int main() {
    IrrlichtDevice* device =
        createDevice(video::EDT_OPENGL, core::dimension2du(1000, 750), 16, false, false, false, nullptr);
    if (!device)
        return 1;
    device->setWindowCaption(L"Sorn Editor 0.3 Beta - bare engine");
    video::IVideoDriver* driver = device->getVideoDriver();
    scene::ISceneManager* smgr = device->getSceneManager();
    gui::IGUIEnvironment* gui = device->getGUIEnvironment();
    if (gui::IGUIFont* font = gui->getFont("media/fonthaettenschweiler.bmp"))
        gui->getSkin()->setFont(font);
    video::ITexture* sky = driver->getTexture("media/default_skybox.jpg");
    smgr->addSkyBoxSceneNode(sky, sky, sky, sky, sky, sky);
    smgr->addCameraSceneNodeMaya(nullptr, -500.f, 800.f, 1500.f, -1, 70.f, true);
    while (device->run()) {
        if (!device->isWindowActive()) {
            device->yield();
            continue;
        }
        driver->beginScene(true, true, video::SColor(150, 50, 50, 50));
        smgr->drawAll();
        gui->drawAll();
        driver->endScene();
    }
    device->drop();
    return 0;
}
