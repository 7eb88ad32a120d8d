#pragma once
// The editor-wide state: one set of values read and written by every part of
// the editor for the whole run. Defined once; resetEditorState() puts every
// value back to what it is before start-up (tests start from it).
#include <irrlicht.h>
#include <map>
#include <unordered_map>
#include <set>
#include <string>
#include <vector>

#include "app/ConfigFile.h"
#include "app/DeferredRequest.h"
#include "app/GuiIds.h"

namespace sorn {

class CGridSceneNode;
using LanguageTable = SettingsMap;

struct EditorState {
    irr::IrrlichtDevice* device = nullptr;
    irr::scene::ISceneManager* sceneManager = nullptr;
    irr::core::dimension2du windowSize{1000, 750};
    irr::core::stringw windowTitle = L"Sorn Editor 0.3 Beta";
    irr::core::stringw appDirectory;
    irr::core::stringw mediaDirectory = L"media/";
    ConfigFile config;
    LanguageTable languageTable;
    std::string startupFile;
    irr::core::array<irr::SJoystickInfo> joystickInfo;
    bool joysticksActive = false;

    irr::scene::ICameraSceneNode* cameraMaya1 = nullptr;
    irr::scene::ICameraSceneNode* cameraMaya2 = nullptr;
    irr::scene::ICameraSceneNode* cameraFps = nullptr;
    irr::scene::ISceneNode* rootNode = nullptr;

    irr::scene::ISceneNode* selectedNode = nullptr;
    bool nodeSelected = false; // the last tree pick carried a scene node
    // Every selected node in pick order; the last one is selectedNode (the
    // primary, shown in the tool box). Read it through scene/SelectedNodes.h,
    // which leaves out nodes no longer in the scene.
    std::vector<irr::scene::ISceneNode*> selection;

    irr::s32 imageDialogTarget = 0;
    bool leftButtonDown = false;
    irr::f32 lastPointerX = 0.f;
    irr::f32 lastPointerY = 0.f;
    bool modelLighting = false;
    irr::s32 editMode = ids::ModeNone;
    bool gizmoActive = false;

    // The transform gizmo (built with the default scene).
    irr::scene::ISceneNode* gizmoAnchor = nullptr;
    irr::scene::ISceneNode* gizmoRotationAnchor = nullptr;
    irr::scene::ISceneNode* gizmoLineX = nullptr;
    irr::scene::ISceneNode* gizmoLineY = nullptr;
    irr::scene::ISceneNode* gizmoLineZ = nullptr;
    irr::scene::ISceneNode* gizmoRingX = nullptr;
    irr::scene::ISceneNode* gizmoRingY = nullptr;
    irr::scene::ISceneNode* gizmoRingZ = nullptr;

    CGridSceneNode* gridNode = nullptr;
    irr::video::ITexture* defaultSkyBoxTexture = nullptr;
    irr::video::ITexture* defaultSkyDomeTexture = nullptr;

    irr::gui::IGUIStaticText* statusText = nullptr;
    irr::gui::IGUIStaticText* cameraInfoText = nullptr;
    irr::gui::IGUIStaticText* fpsText = nullptr;

    irr::s32 moveSensitivity = 100;
    irr::f32 gridSize = 2000.f;
    irr::f32 gridSpacing = 100.f;

    // Snapping of drags (View > Snap), from the settings: whether it is on,
    // and the steps; a position step of 0 follows gridSpacing.
    bool snapOn = false;
    irr::f32 snapPosition = 0.f;
    irr::f32 snapRotation = 15.f;
    irr::f32 snapScale = 0.1f;

    DeferredRequest sceneViewRefresh;
    DeferredRequest nameIndexRefresh;
    std::unordered_map<irr::scene::ISceneNode*, std::string> nodeNameIndex;

    // Nodes queued for deletion that the engine frees when it next draws.
    std::set<irr::scene::ISceneNode*> nodesQueuedForDeletion;

    // Whether the window had the focus in the previous frame pass.
    bool windowWasFocused = false;

    // The scene's file: the absolute path it was opened from or saved to
    // last; empty for a new scene. Save writes there.
    std::string sceneFile;
    // What the window caption was last written from, so that the frame loop
    // writes it again only when the file or the unsaved mark changed.
    std::string captionSceneFile;
    int captionUnsaved = -1; // -1: not written yet
    irr::core::stringw caption;
};

extern EditorState editor;

// Puts every value back to its state before start-up. Does not drop the device.
void resetEditorState();

// The GUI root's descendant with the given id, or null.
irr::gui::IGUIElement* findElement(irr::s32 id);

// A file the editor owns (config, languages, media, help), found from
// appDirectory so that a working directory moved by a file dialog does not lose it.
irr::core::stringw appPath(const irr::core::stringw& relative);
// appDirectory + "/" + mediaDirectory + name.
irr::core::stringw mediaPath(const irr::core::stringw& name);

} // namespace sorn
