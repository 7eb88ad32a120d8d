#include "events/UnsavedChanges.h"

#include "app/EditorState.h"
#include "app/Translate.h"
#include "events/FileCommands.h"
#include "events/MenuCommands.h"
#include "events/SceneFileCommands.h"
#include "events/UndoCommands.h"
#include "scene/DefaultScene.h"
#include "scene/UndoHistory.h"

using namespace irr;

namespace sorn {

namespace {

enum class Waiting { Nothing, Answer, Save };

Waiting waiting = Waiting::Nothing;
SceneAction waitingAction = SceneAction::Quit;
std::function<void()> givenAction;

void run(SceneAction action) {
    waiting = Waiting::Nothing;
    switch (action) {
    case SceneAction::NewScene:
        startNewScene();
        forgetSceneHistory();
        break;
    case SceneAction::OpenScene:
        openFileDialog(ids::DialogOpenScene, L"file_open_dialog_open_scene");
        break;
    case SceneAction::Quit:
        if (editor.device)
            editor.device->closeDevice();
        break;
    case SceneAction::Given: {
        std::function<void()> action;
        action.swap(givenAction);
        if (action)
            action();
        break;
    }
    }
}

// The engine's message box takes its button captions from the skin: they are
// set to save, discard and cancel while the box is made, then put back.
void askAboutUnsavedChanges() {
    gui::IGUIEnvironment* env = editor.device->getGUIEnvironment();
    gui::IGUISkin* skin = env->getSkin();
    const gui::EGUI_DEFAULT_TEXT captions[] = {gui::EGDT_MSG_BOX_YES, gui::EGDT_MSG_BOX_NO,
                                               gui::EGDT_MSG_BOX_CANCEL};
    const wchar_t* keys[] = {L"action_save", L"action_discard", L"action_cancel"};
    core::stringw previous[3];
    for (int i = 0; i < 3; ++i) {
        previous[i] = skin->getDefaultText(captions[i]);
        skin->setDefaultText(captions[i], translate(keys[i]).c_str());
    }
    if (gui::IGUIElement* old = findElement(ids::UnsavedChangesBox))
        old->remove();
    env->addMessageBox(translate(L"window_unsaved_caption").c_str(), translate(L"window_unsaved_text").c_str(),
                       true, gui::EMBF_YES | gui::EMBF_NO | gui::EMBF_CANCEL, nullptr, ids::UnsavedChangesBox);
    for (int i = 0; i < 3; ++i)
        skin->setDefaultText(captions[i], previous[i].c_str());
}

} // namespace

void runAfterUnsavedCheck(SceneAction action) {
    if (!editor.device)
        return;
    if (!undoHistory.hasUnsavedChanges()) {
        run(action);
        return;
    }
    waiting = Waiting::Answer;
    waitingAction = action;
    askAboutUnsavedChanges();
}

void runAfterUnsavedCheck(std::function<void()> action) {
    givenAction = std::move(action);
    runAfterUnsavedCheck(SceneAction::Given);
}

bool unsavedCheckWaiting() {
    return waiting != Waiting::Nothing;
}

void openFileAfterUnsavedCheck(const std::string& path) {
    runAfterUnsavedCheck([path] { openSceneFromDialog(path); });
}

void onUnsavedChangesAnswer(gui::EGUI_EVENT_TYPE answer) {
    if (waiting != Waiting::Answer)
        return;
    switch (answer) {
    case gui::EGET_MESSAGEBOX_YES:
        // A scene with a file is written there and the action runs; a failed
        // write (its message shown) leaves everything as it was.
        waiting = Waiting::Save;
        if (!saveScene())
            waiting = Waiting::Nothing;
        break;
    case gui::EGET_MESSAGEBOX_NO:
        run(waitingAction);
        break;
    default:
        waiting = Waiting::Nothing;
        break;
    }
}

void onSceneSaved() {
    undoHistory.markSaved();
    if (waiting == Waiting::Save)
        run(waitingAction);
}

void onSaveAbandoned() {
    if (waiting == Waiting::Save)
        waiting = Waiting::Nothing;
}

void resetUnsavedChanges() {
    waiting = Waiting::Nothing;
    givenAction = nullptr;
}

} // namespace sorn
