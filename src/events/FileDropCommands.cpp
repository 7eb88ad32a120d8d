#include "events/FileDropCommands.h"

#include <deque>

#include "app/FileDrop.h"
#include "app/PathText.h"
#include "app/StatusLine.h"
#include "app/Translate.h"
#include "events/KeyboardMouseEditing.h"
#include "events/SceneFileCommands.h"
#include "events/UnsavedChanges.h"
#include "files/OpenFile.h"
#include "files/OpenRefusalMessage.h"

namespace sorn {

namespace {

struct QueuedFile {
    std::string path;
    DroppedKind kind;
    unsigned drop; // which drop it came with
};

std::deque<QueuedFile> queue;
unsigned dropCount = 0;
// A dropped scene waits for the unsaved-work question; opened tells whether
// it went ahead.
bool sceneWaiting = false;
bool sceneOpened = false;
unsigned sceneDrop = 0;
// What a drop left out, told once its files are open (opening a scene or
// adding a model starts a new status note).
const wchar_t* noteWhenOpened = nullptr;

void tell(const wchar_t* key) {
    setHistoryNote(translate(key));
    updateStatusLine();
}

void forgetRestOfDrop(unsigned drop) {
    for (auto it = queue.begin(); it != queue.end();)
        it = it->drop == drop ? queue.erase(it) : it + 1;
}

// Mounted as File > Open mounts it, without touching the scene.
void mountDroppedArchive(const std::string& path) {
    FileRefusal why;
    if (!openFile(path, false, &why) && why.refused())
        showOpenRefusal(path, why);
}

// Added as Scene > Add > Model adds it; a file that cannot be read at all
// (a folder, a missing file) is said so rather than passed over.
void addDroppedModel(const std::string& path) {
    const FileRefusal refusal = openableFileRefusal(path);
    if (refusal.refused())
        showOpenRefusal(path, refusal);
    else
        addModelFromDialog(path, false);
}

void openDroppedScene(const QueuedFile& file) {
    sceneWaiting = true;
    sceneOpened = false;
    sceneDrop = file.drop;
    const std::string path = file.path;
    runAfterUnsavedCheck([path]() {
        sceneOpened = true;
        openSceneFromDialog(path);
    });
}

} // namespace

DroppedKind droppedKindOf(const std::string& path) {
    if (isArchiveFile(path))
        return DroppedKind::Archive;
    return fileExtension(path) == ".irr" ? DroppedKind::Scene : DroppedKind::Model;
}

void queueDroppedFiles(const DroppedFileList& drop) {
    if (drop.transferFailed) {
        tell(L"status_drop_failed");
        return;
    }
    const unsigned id = ++dropCount;
    bool sceneTaken = false;
    bool scenesLeftOut = false;
    // More than one drop's worth waiting: the window is being flooded.
    bool overflow = drop.beyondLimit > 0;
    for (DroppedKind kind : {DroppedKind::Archive, DroppedKind::Scene, DroppedKind::Model})
        for (const std::string& path : drop.paths) {
            if (droppedKindOf(path) != kind)
                continue;
            if (kind == DroppedKind::Scene && sceneTaken) {
                scenesLeftOut = true;
                continue;
            }
            if (queue.size() >= kMaxDroppedFiles) {
                overflow = true;
                continue;
            }
            sceneTaken = sceneTaken || kind == DroppedKind::Scene;
            queue.push_back({path, kind, id});
        }
    const wchar_t* note = overflow        ? L"status_drop_too_many"
                          : scenesLeftOut ? L"status_drop_one_scene"
                          : drop.refused  ? L"status_drop_not_files"
                                          : nullptr;
    if (note && queue.empty())
        tell(note);
    else if (note)
        noteWhenOpened = note;
}

void openDroppedFiles() {
    platform::serveFileDrops();
    for (const DroppedFileList& drop : platform::takeFileDrops())
        queueDroppedFiles(drop);
    if (sceneWaiting) {
        if (unsavedCheckWaiting())
            return;
        sceneWaiting = false;
        // The question was cancelled (or the save it led to abandoned):
        // the models meant for that scene do not go into this one.
        if (!sceneOpened)
            forgetRestOfDrop(sceneDrop);
    }
    while (!queue.empty()) {
        // A message or file window open (one the last file showed, too)
        // keeps the rest waiting until it is closed.
        if (modalDialogOpen())
            return;
        const QueuedFile file = queue.front();
        queue.pop_front();
        switch (file.kind) {
        case DroppedKind::Archive:
            mountDroppedArchive(file.path);
            break;
        case DroppedKind::Model:
            addDroppedModel(file.path);
            break;
        case DroppedKind::Scene:
            openDroppedScene(file);
            // The rest follows once the scene is open.
            if (unsavedCheckWaiting())
                return;
            sceneWaiting = false;
            break;
        }
    }
    if (noteWhenOpened && !modalDialogOpen()) {
        tell(noteWhenOpened);
        noteWhenOpened = nullptr;
    }
}

size_t droppedFilesWaiting() {
    return queue.size();
}

void resetDroppedFiles() {
    queue.clear();
    sceneWaiting = false;
    sceneOpened = false;
    noteWhenOpened = nullptr;
    platform::resetFileDrops();
}

} // namespace sorn
