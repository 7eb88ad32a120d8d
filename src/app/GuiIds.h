#pragma once
// Numeric GUI and command ids. One id space of signed 32-bit values; every
// element is found again through the GUI root with getElementFromId(id, true).
#include <irrlicht.h>

namespace sorn {
namespace ids {
using irr::s32;

// Windows
constexpr s32 ToolBoxWindow = 0x10000;
constexpr s32 SceneBoxWindow = 0x20000;
constexpr s32 SettingsWindow = 0x40000;
constexpr s32 AboutWindow = 0x50000;
constexpr s32 SaveWindow = 0x500c4;

// File-open dialogs
constexpr s32 DialogAddStaticMesh = 0x50001;
constexpr s32 DialogAddAnimatedMesh = 0x50002;
constexpr s32 DialogOpenScene = 0x50003;
constexpr s32 DialogToolBoxImage = 0x50005;
constexpr s32 DialogMaterialTexture = 0x50006;
constexpr s32 DialogSkyBoxSet = 0x50065;

// Menu bar and menu commands
constexpr s32 MenuBar = 0x5007b;
constexpr s32 CmdNewScene = 0x5007d;
constexpr s32 CmdOpenScene = 0x5007e;
constexpr s32 CmdWindowMenu = 0x50083;
constexpr s32 CmdToolBox = 0x50084;
constexpr s32 CmdSceneBox = 0x50085;
constexpr s32 CmdSkyVisible = 0x50087;
constexpr s32 CmdGridVisible = 0x50088;
constexpr s32 CmdDebugMenu = 0x50089;
constexpr s32 CmdAddMenu = 0x5008a;
constexpr s32 CmdAddModel = 0x5008c;
constexpr s32 CmdAddAnimatedModel = 0x5008d;
constexpr s32 CmdAddPlane = 0x5008e;
constexpr s32 CmdAddCube = 0x5008f;
constexpr s32 CmdAddSphere = 0x50090;
constexpr s32 CmdAddCylinder = 0x50091;
constexpr s32 CmdAddCone = 0x50092;
constexpr s32 CmdAddLight = 0x50093;
constexpr s32 CmdAddParticle = 0x50094;
constexpr s32 CmdAddSkyBox = 0x50095;
constexpr s32 CmdAddSkyDome = 0x50096;
constexpr s32 CmdAddTerrain = 0x50097;
constexpr s32 CmdAddText = 0x50098;
constexpr s32 CmdAddVolumeLight = 0x50099;
constexpr s32 CmdAddWaterSurface = 0x5009a;
constexpr s32 CmdDebugOff = 0x5009b;
constexpr s32 CmdDebugBoundingBox = 0x5009c;
constexpr s32 CmdDebugNormals = 0x5009d;
constexpr s32 CmdDebugSkeleton = 0x5009e;
constexpr s32 CmdDebugWireOverlay = 0x5009f;
constexpr s32 CmdDebugHalfTransparent = 0x500a0;
constexpr s32 CmdDebugBufferBoxes = 0x500a1;
constexpr s32 CmdDebugAll = 0x500a2;
constexpr s32 CmdCameraMaya1 = 0x500a4;
constexpr s32 CmdCameraMaya2 = 0x500a5;
constexpr s32 CmdCameraFps = 0x500a6;
constexpr s32 CmdHelp = 0x500aa;
constexpr s32 CmdAbout = 0x500ab;
constexpr s32 CmdSettings = 0x500ac;
constexpr s32 CmdQuit = 0x500ad;
constexpr s32 CmdSave = 0x500ae;
// Undo and redo, appended to the Scene menu after "Add".
constexpr s32 CmdUndo = 0x50106;
constexpr s32 CmdRedo = 0x50107;

// Scene > Copy, Cut, Paste, after Undo and Redo.
constexpr s32 CmdCopy = 0x50130;
constexpr s32 CmdCut = 0x50131;
constexpr s32 CmdPaste = 0x50132;

// View > Play animation / Stop animation.
constexpr s32 CmdPlayAnimation = 0x50110;

// The question asked before unsaved changes would be lost.
constexpr s32 UnsavedChangesBox = 0x50108;

// Mesh sub-types of the Add menu
constexpr s32 MeshPlane = 0x500f8;
constexpr s32 MeshCylinder = 0x500f9;
constexpr s32 MeshCone = 0x500fa;

// Editing modes
constexpr s32 ModeNone = 0x500fb;
constexpr s32 ModeMoveX = 0x500fc;
constexpr s32 ModeMoveY = 0x500fd;
constexpr s32 ModeMoveZ = 0x500fe;
constexpr s32 ModeRotate = 0x500ff;
constexpr s32 ModeRotateY = 0x50100;
constexpr s32 ModeRotateX = 0x50101;
constexpr s32 ModeRotateZ = 0x50102;
constexpr s32 ModeScale = 0x50103;
constexpr s32 ModeFirstPerson = 0x50104;

// Toolbar and its controls
constexpr s32 StatusText = 0x5000f;
constexpr s32 ButtonAbout = 0x500b6;
constexpr s32 ButtonOpenSceneBox = 0x500b8;
constexpr s32 ButtonOpenToolBox = 0x500b9;
constexpr s32 ButtonCameraZero = 0x500bb;
constexpr s32 SensitivityScrollBar = 0x50105;
constexpr s32 CameraInfoText = 0x500a9;

// Scene box
constexpr s32 SceneBoxAdd = 0x500b3;
constexpr s32 SceneBoxDuplicate = 0x500b4;
constexpr s32 SceneBoxRemove = 0x500b5;
constexpr s32 SceneBoxTabControl = 0x500be;
constexpr s32 SceneBoxTree = 0x500bf;

// Settings and About windows
constexpr s32 SettingsLanguageCombo = 0x500c0;
constexpr s32 SettingsOk = 0x500c1;
constexpr s32 SettingsCancel = 0x500c2;
constexpr s32 AboutOk = 0x500c3;
constexpr s32 AboutLogo = 0x5007c;

// Save window
constexpr s32 SaveFileList = 0x500c5;
constexpr s32 SavePathEdit = 0x500c6;
constexpr s32 SaveButton = 0x500c7;
constexpr s32 SaveCancel = 0x500c8;

// Tool box frame and object tab
constexpr s32 ToolBoxTabControl = 0x50007;
constexpr s32 ToolBoxFirstTab = 0x50008;
constexpr s32 FrameReadout = 0x500bc;
constexpr s32 AnimationSpeedScrollBar = 0x500b1;

// Tool box buttons routed by the event receiver
constexpr s32 SkyBoxSetButton = 0x50064;

// Tool box: object tab rows and the scene tab's grid rows
constexpr s32 PositionEditX = 0x50010;
constexpr s32 PositionEditY = 0x50011;
constexpr s32 PositionEditZ = 0x50012;
constexpr s32 RotationEditX = 0x50013;
constexpr s32 RotationEditY = 0x50014;
constexpr s32 RotationEditZ = 0x50015;
constexpr s32 ScaleEditX = 0x50016;
constexpr s32 ScaleEditY = 0x50017;
constexpr s32 ScaleEditZ = 0x50018;
constexpr s32 ApplyPosition = 0x50042;
constexpr s32 ApplyRotation = 0x50043;
constexpr s32 ApplyScale = 0x50044;
constexpr s32 ScaleTimesTen = 0x50045;
constexpr s32 ScaleTimesTenth = 0x50046;
constexpr s32 ObjectTabFirstButton = 0x50042; // apply, multiply and step buttons
constexpr s32 ObjectTabLastButton = 0x50058;
constexpr s32 GridSizeEdit = 0x50078;
constexpr s32 GridSpacingEdit = 0x50079;
constexpr s32 GridApply = 0x5007a;

// Tool box: particle tab (its rows share their ids with the light tab's)
constexpr s32 EmitterTypeCombo = 0x5003f;
constexpr s32 EmitterUpdate = 0x50041;
constexpr s32 EmitterFirstRow = 0x500d0; // label of row k: + 2k; its edit box: + 2k + 1

// Tool box: material tab (texture and flags tabs)
constexpr s32 MaterialTexturePath = 0x50019;
constexpr s32 MaterialTypeCombo = 0x5001a;
constexpr s32 MaterialFirstFlagBox = 0x5001c; // twenty check boxes, one per flag
constexpr s32 MaterialBrowse = 0x50060;
constexpr s32 MaterialTextureSet = 0x50075;
constexpr s32 MaterialFlagsSet = 0x50076;
constexpr s32 MaterialFlagsDefault = 0x50077;

// Tool box: light tab
constexpr s32 LightTypeCombo = 0x50039;
constexpr s32 LightApply = 0x5003e;
constexpr s32 LightFirstRow = 0x500d0; // label 0x500d0 + 2k, edit box 0x500d1 + 2k

// Tool box: text tab
constexpr s32 TextEdit = 0x50062;
constexpr s32 TextApply = 0x50063;

// Tool box: terrain tab and sky-dome rows (the same ids), their image dialog target
constexpr s32 ImagePathEdit = 0x5006c;
constexpr s32 ImagePathBrowse = 0x5006d;
constexpr s32 ImagePathApply = 0x50073;
constexpr s32 ImagePathDialogTarget = 7;

// Tool box: sky-box rows (Back, Left, Front, Right, Up, Down)
constexpr s32 SkyBoxBackEdit = 0x50059;
constexpr s32 SkyBoxLeftEdit = 0x5005a;
constexpr s32 SkyBoxFrontEdit = 0x5005b;
constexpr s32 SkyBoxRightEdit = 0x5005c;
constexpr s32 SkyBoxUpEdit = 0x5005d;
constexpr s32 SkyBoxDownEdit = 0x5005e;
constexpr s32 SkyBoxBackBrowse = 0x50066;
constexpr s32 SkyBoxLeftBrowse = 0x50067;
constexpr s32 SkyBoxFrontBrowse = 0x50068;
constexpr s32 SkyBoxRightBrowse = 0x50069;
constexpr s32 SkyBoxUpBrowse = 0x5006a;
constexpr s32 SkyBoxDownBrowse = 0x5006b;
constexpr s32 SkyBoxApply = 0x50061;

// Tool box: volume-light tab
constexpr s32 VolumeLightFootEdit = 0x50030;
constexpr s32 VolumeLightTailEdit = 0x50031;
constexpr s32 VolumeLightSubDivUEdit = 0x50032;
constexpr s32 VolumeLightSubDivVEdit = 0x50033;
constexpr s32 VolumeLightColourApply = 0x50034;
constexpr s32 VolumeLightApply = 0x50035;

// Renaming and finding nodes: the object tab's name row, the scene box's filter
constexpr s32 NameEdit = 0x50140;
constexpr s32 ApplyName = 0x50141;
constexpr s32 SceneBoxFilter = 0x50142;

// Viewing: snapping of drags (View menu entry and toolbar push button),
// framing the selection (0x50180 to 0x5018f)
constexpr s32 CmdSnap = 0x50180;
constexpr s32 CmdFrameSelection = 0x50181;
constexpr s32 ButtonSnap = 0x50182;

// File > Save as, File > Recent with its eight entries (newest first), and
// the question asked before a save replaces an existing file.
constexpr s32 CmdSaveAs = 0x50150;
constexpr s32 CmdRecentMenu = 0x50151;
constexpr s32 CmdRecentFirst = 0x50152;
constexpr s32 CmdRecentLast = 0x50159;
constexpr s32 ReplaceFileBox = 0x5015a;

// Editing keys and their Scene menu entries (0x50170 to 0x5017f)
constexpr s32 CmdDuplicate = 0x50170;
constexpr s32 CmdDelete = 0x50171;

// The editor's file dialog (0x501a0 to 0x501af): its path field, list,
// folder and message lines, filter, hidden-files box and buttons.
constexpr s32 FileDialogPath = 0x501a0;
constexpr s32 FileDialogList = 0x501a1;
constexpr s32 FileDialogFolder = 0x501a2;
constexpr s32 FileDialogMessage = 0x501a3;
constexpr s32 FileDialogFilter = 0x501a4;
constexpr s32 FileDialogHidden = 0x501a5;
constexpr s32 FileDialogOk = 0x501a6;
constexpr s32 FileDialogCancel = 0x501a7;
constexpr s32 FileDialogClose = 0x501a8;

// The window shown while long work runs: what is done, how far, and Cancel
// for a wait on the file check (0x501c0 to 0x501cf)
constexpr s32 ProgressWindow = 0x501c0;
constexpr s32 ProgressText = 0x501c1;
constexpr s32 ProgressFigures = 0x501c2;
constexpr s32 ProgressBarFrame = 0x501c3;
constexpr s32 ProgressBar = 0x501c4;
constexpr s32 ProgressCancel = 0x501c5;

// The attributes tab (0x501d0 to 0x501df): its panel, the file dialog of a
// texture row, the colour dialog of a swatch; the panel's rows take
// 0x50400 to 0x50bff.
constexpr s32 AttributesPanel = 0x501d0;
constexpr s32 DialogAttributeTexture = 0x501d1;
constexpr s32 ColourDialog = 0x501d2;
// The swatches beside the colour rows of the light, emitter and volume-light
// tabs (the light and emitter tabs never show together).
constexpr s32 LightFirstSwatch = 0x501d3;    // diffuse, specular, ambient
constexpr s32 EmitterFirstSwatch = 0x501d3;  // min and max start colour
constexpr s32 VolumeLightTailSwatch = 0x501d6;
constexpr s32 VolumeLightFootSwatch = 0x501d7;
// The text tab's colour row and its swatch.
constexpr s32 TextColourEdit = 0x501d8;
constexpr s32 TextColourSwatch = 0x501d9;
constexpr s32 AttributesFirstRow = 0x50400;
constexpr s32 AttributesLastRow = 0x50bff;

// The tool box's animators tab (0x501e0 to 0x501ef) and the rows of its
// attribute panel (0x50c00 to 0x50fff).
constexpr s32 AnimatorsArea = 0x501e0;
constexpr s32 AnimatorsList = 0x501e1;
constexpr s32 AnimatorsKinds = 0x501e2;
constexpr s32 AnimatorsAdd = 0x501e3;
constexpr s32 AnimatorsRemove = 0x501e4;
constexpr s32 AnimatorsPanelHolder = 0x501e5;
constexpr s32 AnimatorsFirstRow = 0x50c00;
constexpr s32 AnimatorsLastRow = 0x50fff;
// The custom properties tab (0x501f0 to 0x501ff): the page that handles its
// own events, the list, Add and Remove, the name and type of the property
// picked, the line that says why an edit was refused; its value panel's rows
// take 0x51000 to 0x513ff.
constexpr s32 CustomPropertiesPage = 0x501f0;
constexpr s32 CustomPropertiesList = 0x501f1;
constexpr s32 CustomPropertiesAdd = 0x501f2;
constexpr s32 CustomPropertiesRemove = 0x501f3;
constexpr s32 CustomPropertiesName = 0x501f4;
constexpr s32 CustomPropertiesType = 0x501f5;
constexpr s32 CustomPropertiesMessage = 0x501f6;
constexpr s32 CustomPropertiesValue = 0x501f7;
constexpr s32 CustomPropertiesFirstRow = 0x51000;
constexpr s32 CustomPropertiesLastRow = 0x513ff;

} // namespace ids
} // namespace sorn
