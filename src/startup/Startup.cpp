#include "startup/Startup.h"

#include "app/DataLocation.h"
#include "app/EditorState.h"
#include "app/FileDrop.h"
#include "app/MenuBar.h"
#include "app/NodeIndex.h"
#include "app/NumericLocale.h"
#include "app/Platform.h"
#include "app/RecentFiles.h"
#include "app/SafeXmlFile.h"
#include "app/SanitizerBuild.h"
#include "app/SnapSettings.h"
#include "app/StatusLine.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "app/WindowPlaces.h"
#include "events/ClipboardCommands.h"
#include "events/EditingKeys.h"
#include "events/FileCommands.h"
#include "events/FileDropCommands.h"
#include "events/HelpPage.h"
#include "events/MenuCommands.h"
#include "events/SaveWindow.h"
#include "events/SceneFileCommands.h"
#include "events/SornEventReceiver.h"
#include "events/UndoCommands.h"
#include "events/UnsavedChanges.h"
#include "files/OpenFile.h"
#include "files/Quarantine.h"
#include "scene/AnimationPlayback.h"
#include "scene/DefaultScene.h"
#include "scene/Gizmo.h"
#include "scene/NodeCatalogue.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"
#include "scene/SelectionHighlight.h"
#include "scene/TextNodeData.h"
#include "scene/TextNodeFactory.h"
#include "toolbox/DialogOwners.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {

namespace {

struct SkinColour {
    gui::EGUI_DEFAULT_COLOR index;
    u32 argb;
};

const SkinColour SkinColours[] = {
    {gui::EGDC_ACTIVE_BORDER, 0xffcbdffe},  {gui::EGDC_ACTIVE_CAPTION, 0xff000000},
    {gui::EGDC_3D_DARK_SHADOW, 0xffaeaeae}, {gui::EGDC_3D_FACE, 0xffefefef},
    {gui::EGDC_3D_SHADOW, 0xffd6d6d6},      {gui::EGDC_HIGH_LIGHT, 0xffcbdffe},
    {gui::EGDC_HIGH_LIGHT_TEXT, 0xff000000}, {gui::EGDC_EDITABLE, 0xffffffff},
    {gui::EGDC_FOCUSED_EDITABLE, 0xffffffff},
};

// A startUpModel element in config.xml names a file; the command line replaces it.
void readStartupModel() {
    io::IXMLReader* reader =
        createGuardedXmlReader(editor.device->getFileSystem(), narrowPath(editor.config.fileName).c_str());
    if (!reader)
        return;
    while (reader->read()) {
        if (reader->getNodeType() == io::EXN_ELEMENT &&
            core::stringw(reader->getNodeName()) == L"startUpModel")
            editor.startupFile = narrowPath(guardedXmlText(reader->getAttributeValueSafe(L"file")));
    }
    reader->drop();
}

void setUpSkin() {
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    gui::IGUISkin* skin = gui->getSkin();
    gui::IGUIFont* font = gui->getFont(narrowPath(mediaPath(L"fonthaettenschweiler.bmp")).c_str());
    if (font)
        skin->setFont(font);
    for (const SkinColour& colour : SkinColours)
        skin->setColor(colour.index, video::SColor(colour.argb));
    for (s32 i = 0; i < gui::EGDC_COUNT; ++i) {
        video::SColor c = skin->getColor(static_cast<gui::EGUI_DEFAULT_COLOR>(i));
        c.setAlpha(255);
        skin->setColor(static_cast<gui::EGUI_DEFAULT_COLOR>(i), c);
    }
}

scene::ICameraSceneNode* addMayaCamera(const char* name, f32 farValue) {
    scene::ICameraSceneNode* camera =
        editor.sceneManager->addCameraSceneNodeMaya(nullptr, -500.f, 800.f, 1500.f, -1, 70.f, true);
    camera->setName(name);
    camera->setIsDebugObject(true);
    camera->setFarValue(farValue);
    camera->setTarget(core::vector3df(0, 30, 0));
    camera->setRotation(core::vector3df(0, 0, 0));
    return camera;
}

void createCameras() {
    editor.cameraMaya1 = addMayaCamera("Sorn::CameraMaya1", 20000.f);
    editor.cameraMaya2 = addMayaCamera("Sorn::CameraMaya2", 80000.f);
    scene::ICameraSceneNode* fps =
        editor.sceneManager->addCameraSceneNodeFPS(nullptr, 100.f, 0.5f, -1, nullptr, 0, false, 0.f, false, true);
    fps->setName("Sorn::CameraFPS");
    fps->setIsDebugObject(true);
    fps->setFarValue(20000.f);
    fps->setPosition(core::vector3df(0, 0, -70));
    fps->setTarget(core::vector3df(0, 30, 0));
    editor.cameraFps = fps;
}

void updateReadouts() {
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    if (editor.fpsText) {
        core::stringw text = L"FPS: ";
        text += driver->getFPS();
        text += L" Tris: ";
        text += driver->getPrimitiveCountDrawn(0);
        editor.fpsText->setText(text.c_str());
    }
    scene::ICameraSceneNode* camera = editor.sceneManager->getActiveCamera();
    if (editor.cameraInfoText && camera) {
        const core::vector3df& p = camera->getPosition();
        const core::vector3df& t = camera->getTarget();
        core::stringw text = L"Pos: ";
        text += formatFloat(p.X); text += L" ";
        text += formatFloat(p.Y); text += L" ";
        text += formatFloat(p.Z);
        text += L" Tgt: ";
        text += formatFloat(t.X); text += L" ";
        text += formatFloat(t.Y); text += L" ";
        text += formatFloat(t.Z);
        editor.cameraInfoText->setText(text.c_str());
    }
}

} // namespace

bool startEditor(int argc, char** argv, video::E_DRIVER_TYPE driverType, IEventReceiver* receiver) {
    editor.editMode = ids::ModeNone;
    editor.device = createDevice(driverType, editor.windowSize, 16, false, false, false, receiver);
    if (!editor.device)
        return false;
    IrrlichtDevice* device = editor.device;
    keepGraphicsDriverLoaded();

    device->setResizable(true);
    device->setWindowCaption(L"Irrlicht Engine - Loading...");
    editor.joysticksActive = device->activateJoysticks(editor.joystickInfo);
    // The file check programs start now, so that the first model or image the
    // user opens is checked without waiting for one to start.
    prepareFileChecks();

    video::IVideoDriver* driver = device->getVideoDriver();
    editor.sceneManager = device->getSceneManager();
    editor.sceneManager->getParameters()->setAttribute(scene::COLLADA_CREATE_SCENE_INSTANCES, true);
    driver->setTextureCreationFlag(video::ETCF_ALWAYS_32_BIT, true);

    // The data beside the program (a runtime folder) or in the installed tree.
    useDataLocation(chooseDataLocation(currentProgramPlace(device->getFileSystem()->getWorkingDirectory().c_str())));
    platform::setWindowIcon(device, mediaPath(L"sorn.png"));
    platform::interceptCloseButton(device);
    platform::useSystemClipboard(device);
    platform::acceptFileDrops(device);

    editor.config.load();
    loadLanguage(editor.config.get(L"language"));
    readStartupModel();
    if (argc > 1)
        editor.startupFile = argv[1];

    setUpSkin();
    buildMenuBar();
    showRecentSceneFiles();
    updateUndoMenuItems();
    updateClipboardMenuItems();
    gui::IGUIToolBar* toolBar = buildToolBar();
    editor.moveSensitivity = 100;
    updateStatusLine();
    buildFpsText(toolBar);
    // Snapping as the settings left it, shown by the menu's check mark and the button.
    loadSnapSettings();
    showSnapState();

    gui::IGUIEnvironment* gui = device->getGUIEnvironment();
    editor.cameraInfoText = gui->addStaticText(L"", core::rect<s32>(10, 50, 570, 80), false, false,
                                               gui->getRootGUIElement(), ids::CameraInfoText, false);
    editor.cameraInfoText->setVisible(true);

    editor.windowTitle += L" - [";
    editor.windowTitle += driver->getName();
    editor.windowTitle += L"]";
    device->setWindowCaption(editor.windowTitle.c_str());

    loadDefaultScene();
    registerPrimitiveMeshes();
    registerTextNodeFactory();
    // Opened as the open dialog does: moving to the file's folder lets the
    // engine find the meshes a scene refers to, and a later save keep them.
    if (argc > 1)
        openSceneFromDialog(editor.startupFile);
    // The scene as started is the one with nothing to save or undo.
    forgetSceneHistory();

    createCameras();
    activateCamera(editor.cameraMaya1);
    editor.rootNode = editor.sceneManager->getRootSceneNode();
    editor.windowWasFocused = device->isWindowFocused();
    indexNodeNames(editor.rootNode);
    return true;
}

void runFramePass(bool windowFocused, bool windowActive) {
    showSceneInCaption();
    if (editor.windowWasFocused && !windowFocused)
        releaseCameraKeys();
    if (!windowActive) {
        editor.device->yield();
        editor.windowWasFocused = windowFocused;
        return;
    }

    // The read-outs below are written with the C locale's point.
    keepNumbersInCLocale();
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    driver->beginScene(true, true, video::SColor(150, 50, 50, 50));
    editor.sceneManager->drawAll();
    deletionQueueFlushed();
    drawSelectionHighlight();
    editor.device->getGUIEnvironment()->drawAll();
    followSelectedNodeWithGizmo();
    driver->endScene();

    updateReadouts();
    tellHelpPageFailure();
    if (editor.sceneViewRefresh.isDue()) {
        updateTreeview();
        updateToolBox();
    }
    if (editor.nameIndexRefresh.isDue())
        indexNodeNames(editor.rootNode);
    updateFrameReadout();
    editor.windowWasFocused = windowFocused;
}

void runFrameLoop() {
    while (editor.device->run()) {
        // The close button asks about unsaved work like File > Quit.
        if (platform::takeCloseRequest())
            runAfterUnsavedCheck(SceneAction::Quit);
        platform::serveClipboard();
        openDroppedFiles();
        keepWindowsInsideScreen();
        runFramePass(editor.device->isWindowFocused(), editor.device->isWindowActive());
    }
}

void shutdownEditor() {
    // The save window holds references to engine objects; release them first.
    saveWindow.reset();
    // Nodes kept for undo go before the engine that made them.
    forgetSceneHistory();
    forgetHeldAnimators();
    resetUnsavedChanges();
    // The nodes' user data holds them; they go before the engine too.
    forgetTextNodeData();
    // A clipboard kept in the process is a fresh one for the next run.
    platform::resetClipboard();
    resetEditingKeys();
    resetDroppedFiles();
    // Dialogs opened from the tool box and their owners are GUI elements.
    releaseToolBoxHolds();
    if (editor.device)
        editor.device->drop();
    resetEditorState();
}

int runEditor(int argc, char** argv) {
    SornEventReceiver receiver;
    if (!startEditor(argc, argv, video::EDT_OPENGL, &receiver))
        return 1;
    runFrameLoop();
    shutdownEditor();
    return 0;
}

} // namespace sorn
