#include "files/OpenFile.h"

#include <irrlicht.h>
#include <sys/stat.h>

#include "app/EditorState.h"
#include "app/WorkProgress.h"
#include "files/ArchiveCheck.h"
#include "files/MissingReferences.h"
#include "files/NodeProgress.h"
#include "files/Quarantine.h"
#include "files/SceneReadRestore.h"
#include "scene/TextNodeData.h"
#include "app/PathText.h"
#include "app/TextConvert.h"

namespace sorn {

namespace {

using namespace irr;

bool isArchiveExtension(const std::string& extension) {
    return extension == ".pk3" || extension == ".zip" || extension == ".pak" ||
           extension == ".npk";
}

// A path on disk must be a regular file (not a folder, device or pipe). A path
// that is not on disk may still name a file inside a mounted archive.
bool isRegularOrElsewhere(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode);
}

// The file, wherever the engine finds it, exists and is not too large to read.
bool isReadableAndSane(io::IFileSystem* fileSystem, const std::string& path) {
    if (!isRegularOrElsewhere(path))
        return false;
    io::IReadFile* file = fileSystem->createAndOpenFile(path.c_str());
    if (!file)
        return false;
    long size = file->getSize();
    file->drop();
    return size >= 0 && static_cast<unsigned long long>(size) <= kMaxOpenFileSize;
}

// The text after the last "/" or "\"; the whole path when there is none or
// the last one is the first character.
std::string nodeNameFor(const std::string& path) {
    size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos || separator == 0)
        return path;
    return path.substr(separator + 1);
}

// An archive is mounted only when its structure is sound, and stays mounted
// only when the engine found files in it: a damaged or foreign file that a
// reader accepted as an empty archive is taken off again.
bool mountArchive(io::IFileSystem* fileSystem, const std::string& path, FileRefusal& why) {
    why = readableFileRefusal(fileSystem, path);
    if (why.refused())
        return false;
    why.refusal = SceneRefusal::NotAnArchive;
    if (!isSoundArchive(fileSystem, path))
        return false;
    io::IFileArchive* archive = nullptr;
    if (!fileSystem->addFileArchive(path.c_str(), true, true, io::EFAT_UNKNOWN, "", &archive))
        return false;
    const io::IFileList* list = archive ? archive->getFileList() : nullptr;
    if (!list || list->getFileCount() == 0) {
        if (archive)
            fileSystem->removeFileArchive(archive);
        return false;
    }
    why.refusal = SceneRefusal::None;
    return true;
}

bool loadScene(const std::string& path, FileRefusal& why) {
    why = readableFileRefusal(editor.sceneManager->getFileSystem(), path);
    if (why.refused())
        return false;
    SceneScan scan = scanSceneFile(editor.sceneManager->getFileSystem(), path.c_str());
    why = {scan.refusal, scan.detail};
    // Relative names in a scene added to the current one are looked for from
    // the working directory; a refused one is told by the file check.
    if (!scan.accepted())
        return false;
    if (!admitSceneReferences(scan, "")) {
        why = {};
        return false;
    }
    const bool loaded = loadScannedScene(path, scan);
    finishMissingReferences(loaded);
    why = {scan.refusal, scan.detail};
    return loaded;
}

bool addModel(scene::ISceneManager* sceneManager, const std::string& path, bool animated, FileRefusal& why) {
    why = openableFileRefusal(path);
    if (why.refused())
        return false;
    // The engine's loaders are trusted with the file only once it loaded
    // in the file check program; a refusal is told to the user there.
    if (!admitUntrustedFile(path, UntrustedKind::Model))
        return false;
    why.refusal = SceneRefusal::NothingLoaded;
    if (!isReadableAndSane(sceneManager->getFileSystem(), path))
        return false;
    scene::IAnimatedMesh* mesh = sceneManager->getMesh(path.c_str());
    if (!mesh)
        return false;
    // A loader that accepted a damaged file may hand back a mesh with nothing
    // in it: there is nothing to show or edit, so it is not added.
    scene::IMesh* firstFrame = mesh->getMesh(0);
    if (!firstFrame || firstFrame->getMeshBufferCount() == 0) {
        sceneManager->getMeshCache()->removeMesh(mesh);
        return false;
    }
    why.refusal = SceneRefusal::None;
    const core::vector3df origin(0.f, 0.f, 0.f);
    const core::vector3df unitScale(1.f, 1.f, 1.f);
    scene::ISceneNode* node = nullptr;
    if (animated) {
        scene::IAnimatedMeshSceneNode* animatedNode = sceneManager->addAnimatedMeshSceneNode(
            mesh, nullptr, -1, origin, origin, unitScale, false);
        if (animatedNode)
            animatedNode->setAnimationSpeed(30.f);
        node = animatedNode;
    } else {
        node = sceneManager->addMeshSceneNode(mesh, nullptr, -1, origin, origin, unitScale, false);
    }
    if (!node)
        return false;
    node->setMaterialFlag(video::EMF_LIGHTING, editor.modelLighting);
    node->setMaterialFlag(video::EMF_NORMALIZE_NORMALS, editor.modelLighting);
    node->setDebugDataVisible(scene::EDS_OFF);
    // A node's name holds one byte a character (as the engine's scene reader
    // and the scene box take it); the file name is UTF-8.
    node->setName(narrowToBytes(widePath(nodeNameFor(path)).c_str()).c_str());
    return true;
}

} // namespace

// The meshes, textures and height maps a scene names go through the file check
// before the engine's loaders see them. Relative names are resolved from the
// folder the engine will look in; a name not on disk there is kept as it is
// (mounted archives serve files by name). Those found nowhere get their
// placeholders once the scene is admitted.
bool admitSceneReferences(const SceneScan& scan, const std::string& folder) {
    std::vector<UntrustedFile> files;
    files.reserve(scan.referencedFiles.size());
    for (size_t i = 0; i < scan.referencedFiles.size(); ++i) {
        std::string path = scan.referencedFiles[i];
        if (!folder.empty() && !path.empty() && path[0] != '/') {
            const std::string inFolder = folder + "/" + path;
            if (editor.sceneManager->getFileSystem()->existFile(inFolder.c_str()))
                path = inFolder;
        }
        files.push_back({path, scan.referencedKinds[i]});
    }
    if (!admitUntrustedFiles(files))
        return false;
    placeMissingReferences(scan, folder);
    return true;
}

bool isArchiveFile(const std::string& path) {
    return isArchiveExtension(fileExtension(path));
}

FileRefusal openableFileRefusal(const std::string& path) {
    if (!editor.sceneManager || !editor.sceneManager->getFileSystem())
        return {SceneRefusal::Unreadable, ""};
    io::IFileSystem* fileSystem = editor.sceneManager->getFileSystem();
    FileRefusal why = readableFileRefusal(fileSystem, path);
    if (why.refused())
        return why;
    io::IReadFile* file = fileSystem->createAndOpenFile(path.c_str());
    if (!file)
        return {SceneRefusal::Unreadable, ""};
    const long size = file->getSize();
    file->drop();
    if (size < 0)
        return {SceneRefusal::Unreadable, ""};
    if (static_cast<unsigned long long>(size) > kMaxOpenFileSize)
        return {SceneRefusal::TooLarge, "> " + std::to_string(kMaxOpenFileSize >> 20) + " MiB"};
    const std::string extension = fileExtension(path);
    if (!isArchiveExtension(extension) && extension != ".irr" && !meshLoaderTakes(editor.sceneManager, path))
        return noLoaderFor(path);
    return why;
}

bool loadScannedScene(const std::string& path, SceneScan& scan) {
    scene::ISceneManager* sceneManager = editor.sceneManager;
    if (!sceneManager || !scan.accepted())
        return false;
    return loadScannedSceneFile(openScannedScene(sceneManager->getFileSystem(), path.c_str(), scan), scan,
                                sceneManager->getRootSceneNode());
}

bool loadScannedSceneFile(io::IReadFile* file, SceneScan& scan, scene::ISceneNode* root) {
    scene::ISceneManager* sceneManager = editor.sceneManager;
    if (!file || !sceneManager || !scan.accepted() || !root) {
        if (file)
            file->drop();
        scan.refusal = SceneRefusal::Unreadable;
        return false;
    }
    // The text and colour of text nodes come back from their user-data
    // records; what the engine's reader drops comes back from the scan's.
    SceneReadRestore restoring(sceneManager, scan.records, textNodeUserData(), root);
    restoring.decodeUtf8Text(scan.unitSize == 1);
    // A large scene shows how far the engine is: its bytes read, then its nodes made.
    WorkProgress work(L"progress_opening", file->getFileName().c_str());
    setWorkTotal(static_cast<unsigned long long>(file->getSize()), ProgressUnit::Bytes);
    NodeProgressSerializer counting(&restoring, scan.records.nodes.size());
    // A scene's own camera is made the active one as the engine reads it;
    // the view stays the editor's.
    scene::ICameraSceneNode* view = sceneManager->getActiveCamera();
    const bool loaded = sceneManager->loadScene(file, &counting, root);
    sceneManager->setActiveCamera(view);
    // A file changed since the scan reached the engine as an empty text.
    const bool changed = scannedSceneChanged(file);
    file->drop();
    if (loaded && !changed)
        restoring.restore();
    if (changed || !loaded)
        scan.refusal = SceneRefusal::Unreadable;
    return loaded && !changed;
}

bool openFile(const std::string& path, bool animated, FileRefusal* why) {
    FileRefusal refusal{SceneRefusal::Unreadable, ""};
    scene::ISceneManager* sceneManager = editor.sceneManager;
    bool opened = false;
    if (!sceneManager || !sceneManager->getFileSystem() || path.empty())
        opened = false;
    else if (isArchiveExtension(fileExtension(path)))
        opened = mountArchive(sceneManager->getFileSystem(), path, refusal);
    else if (fileExtension(path) == ".irr")
        opened = loadScene(path, refusal);
    else
        opened = addModel(sceneManager, path, animated, refusal);
    if (why)
        *why = opened ? FileRefusal{} : refusal;
    return opened;
}

} // namespace sorn
