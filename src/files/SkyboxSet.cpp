#include "files/SkyboxSet.h"

#include <sys/stat.h>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "files/UserTexture.h"

using namespace irr;

namespace sorn {

const std::array<SkyboxFace, 6> kSkyboxFaces = {{
    {"_up", 4},
    {"_dn", 5},
    {"_lf", 1},
    {"_rt", 3},
    {"_ft", 0},
    {"_bk", 2},
}};

const std::array<const char*, 5> kSkyboxExtensions = {".jpg", ".png", ".bmp", ".tga", ".psd"};

std::string findSkyboxFace(const std::string& base, const char* suffix,
                           const std::function<bool(const std::string&)>& isImageFile) {
    for (const char* extension : kSkyboxExtensions) {
        std::string candidate = base + suffix + extension;
        if (isImageFile(candidate))
            return candidate;
    }
    return std::string();
}

namespace {

// A candidate counts when the engine's file system knows it (on disk or in a
// mounted archive) and it is not a folder, FIFO or device on disk: a folder
// named like a face must not hide the image under the next extension.
bool isFaceFile(io::IFileSystem* fileSystem, const std::string& path) {
    if (!fileSystem->existFile(path.c_str()))
        return false;
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode);
}

} // namespace

bool applySkyboxSet(const std::string& path) {
    scene::ISceneNode* node = editor.selectedNode;
    if (!editor.sceneManager || !node || !editor.nodeSelected || node->getType() != scene::ESNT_SKY_BOX ||
        node->getMaterialCount() < kSkyboxFaces.size())
        return false;
    if (fileExtension(path) != ".skybox")
        return false;
    const std::string base = path.substr(0, path.rfind('.'));
    io::IFileSystem* fileSystem = editor.sceneManager->getFileSystem();
    for (const SkyboxFace& face : kSkyboxFaces) {
        const std::string file =
            findSkyboxFace(base, face.suffix, [fileSystem](const std::string& p) { return isFaceFile(fileSystem, p); });
        node->getMaterial(face.material).setTexture(0, loadUserTexture(file));
    }
    return true;
}

} // namespace sorn
