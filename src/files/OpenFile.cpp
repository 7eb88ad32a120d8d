#include "files/OpenFile.h"

#include <irrlicht.h>
#include <sys/stat.h>

#include <functional>
#include <memory>

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

// A scene added to the current one: relative names in it are looked for from
// the working directory; a refused one is told by the file check.
bool loadScene(const std::string& path, FileRefusal& why) {
    why = readableFileRefusal(editor.sceneManager->getFileSystem(), path);
    if (why.refused())
        return false;
    bool admitted = false;
    const SceneGate admit = [&](const SceneScan& scan) { return admitted = admitSceneReferences(scan, ""); };
    const bool loaded = loadSceneInOnePass(path, editor.sceneManager->getRootSceneNode(), admit, why,
                                           sceneReferenceHook(""));
    if (admitted)
        finishMissingReferences(loaded);
    return loaded;
}

// The user-data hooks the engine's reader is given before the scan has
// ended: they pass every call on to those made once the scene is admitted
// (the reader calls none before it parses).
class LateSerializer : public scene::ISceneUserDataSerializer {
public:
    void passTo(scene::ISceneUserDataSerializer* inner) { inner_ = inner; }
    void OnCreateNode(scene::ISceneNode* node) override {
        if (inner_)
            inner_->OnCreateNode(node);
    }
    void OnReadUserData(scene::ISceneNode* node, io::IAttributes* userData) override {
        if (inner_)
            inner_->OnReadUserData(node, userData);
    }
    io::IAttributes* createUserData(scene::ISceneNode* node) override {
        return inner_ ? inner_->createUserData(node) : nullptr;
    }

private:
    scene::ISceneUserDataSerializer* inner_ = nullptr;
};

bool addModel(scene::ISceneManager* sceneManager, const std::string& path, bool animated, FileRefusal& why) {
    why = openableFileRefusal(path);
    if (why.refused())
        return false;
    // The engine's loaders are trusted with the file only once it loaded
    // in the file check program; a refusal is told to the user there. They
    // read the bytes that were checked.
    CheckedBytesScope checkedBytes;
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

// A name a scene holds as the engine will be given it: a relative one in the
// folder when it is on disk there, else as it is (mounted archives serve
// files by name).
static std::string referencePath(const std::string& name, const std::string& folder) {
    if (folder.empty() || name.empty() || name[0] == '/')
        return name;
    const std::string inFolder = folder + "/" + name;
    return editor.sceneManager->getFileSystem()->existFile(inFolder.c_str()) ? inFolder : name;
}

// The meshes, textures and height maps a scene names go through the file check
// before the engine's loaders see them. Relative names are resolved from the
// folder the engine will look in; a name not on disk there is kept as it is
// (mounted archives serve files by name). Those found nowhere get their
// placeholders once the scene is admitted.
bool admitSceneReferences(const SceneScan& scan, const std::string& folder) {
    std::vector<UntrustedFile> files;
    files.reserve(scan.referencedFiles.size());
    for (size_t i = 0; i < scan.referencedFiles.size(); ++i)
        files.push_back({referencePath(scan.referencedFiles[i], folder), scan.referencedKinds[i]});
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

// Each file's check starts as the scan meets its name, so the checks run
// while the rest of the scene is read; the admit collects their verdicts.
SceneReferenceHook sceneReferenceHook(const std::string& folder) {
    return [folder](const std::string& path, UntrustedKind kind) {
        beginUntrustedCheck(referencePath(path, folder), kind);
    };
}

namespace {

// Opens the scene's file for one read with the gate given, or null with why set.
using OpenScannedFile = std::function<ScannedSceneFile*(SceneGate gate, SceneScan* why)>;

bool loadThroughOnePass(const OpenScannedFile& open, scene::ISceneNode* root, const SceneGate& gate,
                        FileRefusal& why) {
    scene::ISceneManager* sceneManager = editor.sceneManager;
    why = {SceneRefusal::Unreadable, ""};
    if (!sceneManager || !root)
        return false;
    // The files referenced are loaded from the bytes their checks were
    // found for, kept from the scan's start to the end of the engine's load.
    CheckedBytesScope checkedBytes;
    // The files' keys taken as the scan met their names serve this open only.
    struct ForgetBegunKeys {
        ~ForgetBegunKeys() { forgetBegunFileKeys(); }
    } forgetKeys;
    // Once admitted, the text and colour of text nodes come back from their
    // user-data records, what the engine's reader drops from the scan's.
    std::unique_ptr<SceneReadRestore> restoring;
    std::unique_ptr<NodeProgressSerializer> counting;
    LateSerializer hooks;
    const SceneGate admit = [&](const SceneScan& scan) {
        if (gate && !gate(scan))
            return false;
        restoring.reset(new SceneReadRestore(sceneManager, scan.records, textNodeUserData(), root));
        restoring->decodeUtf8Text(scan.unitSize == 1);
        counting.reset(new NodeProgressSerializer(restoring.get(), scan.records.nodes.size()));
        hooks.passTo(counting.get());
        return true;
    };
    SceneScan failed;
    ScannedSceneFile* file = open(admit, &failed);
    if (!file) {
        why = {failed.refusal, failed.detail};
        return false;
    }
    // A large scene shows how far it is: its bytes read and scanned, then its nodes made.
    WorkProgress work(L"progress_opening", file->getFileName().c_str());
    setWorkTotal(static_cast<unsigned long long>(file->fileBytes()), ProgressUnit::Bytes);
    // A scene's own camera is made the active one as the engine reads it;
    // the view stays the editor's.
    scene::ICameraSceneNode* view = sceneManager->getActiveCamera();
    const bool read = sceneManager->loadScene(file, &hooks, root);
    sceneManager->setActiveCamera(view);
    const bool loaded = read && file->handedOver();
    if (loaded) {
        restoring->restore();
        why = {};
    } else if (file->declined()) {
        why = {};
    } else if (file->handedOver()) {
        why = {SceneRefusal::Unreadable, ""};
    } else {
        why = {file->scan().refusal, file->scan().detail};
    }
    file->drop();
    return loaded;
}

} // namespace

bool loadSceneInOnePass(const std::string& path, scene::ISceneNode* root, const SceneGate& gate, FileRefusal& why,
                        const SceneReferenceHook& hook) {
    io::IFileSystem* fileSystem = editor.sceneManager ? editor.sceneManager->getFileSystem() : nullptr;
    const OpenScannedFile open = [&](SceneGate admit, SceneScan* failed) {
        return openScannedSceneFile(fileSystem, path.c_str(), std::move(admit), hook, failed);
    };
    return loadThroughOnePass(open, root, gate, why);
}

bool loadSceneTextInOnePass(io::IReadFile* source, scene::ISceneNode* root, const SceneGate& gate, FileRefusal& why,
                            const SceneReferenceHook& hook) {
    const OpenScannedFile open = [&](SceneGate admit, SceneScan* failed) -> ScannedSceneFile* {
        *failed = SceneScan();
        if (!source)
            return nullptr;
        ScannedSceneFile* file = new ScannedSceneFile(source, std::move(admit), hook);
        source = nullptr;
        if (file->decided()) {
            *failed = file->scan();
            file->drop();
            return nullptr;
        }
        return file;
    };
    const bool loaded = loadThroughOnePass(open, root, gate, why);
    if (source)
        source->drop();
    return loaded;
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
