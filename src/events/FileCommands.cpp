#include "events/FileCommands.h"

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Platform.h"
#include "app/RecentFiles.h"
#include "app/SmallWindows.h"
#include "app/Translate.h"
#include "events/KeyboardMouseEditing.h"
#include "events/SaveWindow.h"
#include "events/SceneFileCommands.h"
#include "events/ToolBoxRowCommands.h"
#include "events/UnsavedChanges.h"
#include "files/FileRefusal.h"
#include "files/OpenRefusalMessage.h"
#include "files/SceneSave.h"
#include "scene/TextNodeData.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

namespace {

void showMessage(const wchar_t* captionKey, const wchar_t* textKey, const std::string& path,
                 const wchar_t* reasonKey = nullptr, int systemError = 0) {
    if (!editor.device)
        return;
    core::stringw text = translate(textKey);
    text += L"\n";
    text += widePath(path);
    if (reasonKey) {
        text += L"\n";
        text += translate(reasonKey);
    }
    // The system's own words after the translated reason ("Read-only file system").
    if (systemError != 0) {
        text += L" (";
        text += widePath(systemReason(systemError));
        text += L")";
    }
    editor.device->getGUIEnvironment()->addMessageBox(translate(captionKey).c_str(), text.c_str(), true,
                                                       gui::EMBF_OK, nullptr, -1, nullptr);
}

void runFileChord(EKEY_CODE key, bool shift) {
    switch (key) {
    case KEY_KEY_S:
        if (shift)
            saveSceneAs();
        else
            saveScene();
        break;
    case KEY_KEY_O:
        runAfterUnsavedCheck(SceneAction::OpenScene);
        break;
    case KEY_KEY_N:
        runAfterUnsavedCheck(SceneAction::NewScene);
        break;
    default:
        break;
    }
}

} // namespace

bool writeSceneTo(const std::string& path) {
    WriteFailure failure = WriteFailure::None;
    int systemError = 0;
    if (!saveSceneFile(path, textNodeUserData(), &failure, &systemError)) {
        // A folder or pipe at the name is told by the reason alone: the
        // error number there is the editor's own choice, not the system's.
        if (failure == WriteFailure::NotAFile)
            systemError = 0;
        showMessage(L"window_save_failed_caption", L"window_save_failed_text", path, failureReasonKey(failure),
                    systemError);
        return false;
    }
    setSceneFile(path);
    rememberRecentSceneFile(editor.sceneFile);
    return true;
}

bool saveScene() {
    // A value typed into the tool box and not yet applied is saved too.
    applyTypedRows();
    if (editor.sceneFile.empty()) {
        saveWindow.open();
        return true;
    }
    if (!writeSceneTo(editor.sceneFile))
        return false;
    onSceneSaved();
    return true;
}

void saveSceneAs() {
    saveWindow.open();
}

void setSceneFile(const std::string& path) {
    editor.sceneFile = path.empty() ? std::string() : canonicalFilePath(path);
}

bool handleFileMenuCommand(s32 command) {
    if (command == ids::CmdSave) {
        saveScene();
        return true;
    }
    if (command == ids::CmdSaveAs) {
        saveSceneAs();
        return true;
    }
    if (command >= ids::CmdRecentFirst && command <= ids::CmdRecentLast) {
        openRecentSceneFile(static_cast<size_t>(command - ids::CmdRecentFirst));
        return true;
    }
    return false;
}

void openRecentSceneFile(size_t index) {
    const std::vector<std::string> files = recentSceneFiles();
    if (index >= files.size())
        return;
    const std::string path = files[index];
    // An entry that can no longer be opened leaves the list; the message
    // says why when the file is there but cannot be read.
    io::IFileSystem* fileSystem = editor.sceneManager ? editor.sceneManager->getFileSystem() : nullptr;
    const FileRefusal refusal = readableFileRefusal(fileSystem, path);
    if (refusal.refused()) {
        forgetRecentSceneFile(path);
        if (refusal.refusal == SceneRefusal::Missing)
            showMessage(L"window_recent_missing_caption", L"window_recent_missing_text", path);
        else
            showOpenRefusal(path, refusal);
        return;
    }
    openFileAfterUnsavedCheck(path);
}

bool handleFileKey(const SEvent::SKeyInput& key) {
    // Ctrl+Shift+S saves as; Ctrl+Shift+O and Ctrl+Shift+N are no chords.
    // These keys mean nothing to a text, so they act in an edit box too (a
    // user who typed a value and presses Ctrl+S expects a save).
    ChordKey chord = controlChord(key, {KEY_KEY_S}, true, true);
    if (chord == ChordKey::Other)
        chord = controlChord(key, {KEY_KEY_O, KEY_KEY_N}, false, true);
    if (chord == ChordKey::Run)
        runFileChord(key.Key, key.Shift);
    return chord != ChordKey::Other;
}

core::stringw sceneCaption(const std::string& sceneFile, bool unsaved, const core::stringw& title) {
    core::stringw caption = unsaved ? L"*" : L"";
    if (!sceneFile.empty()) {
        const size_t slash = sceneFile.find_last_of('/');
        caption += widePath(slash == std::string::npos ? sceneFile : sceneFile.substr(slash + 1));
        caption += L" - ";
    }
    caption += title;
    return caption;
}

void showSceneInCaption() {
    if (!editor.device)
        return;
    const int unsaved = undoHistory.hasUnsavedChanges() ? 1 : 0;
    if (unsaved == editor.captionUnsaved && editor.sceneFile == editor.captionSceneFile)
        return;
    editor.captionUnsaved = unsaved;
    editor.captionSceneFile = editor.sceneFile;
    editor.caption = sceneCaption(editor.sceneFile, unsaved != 0, editor.windowTitle);
    platform::setWindowCaption(editor.device, editor.caption);
}

} // namespace sorn
