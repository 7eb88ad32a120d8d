#include "files/SkyboxSet.h"

#include <dirent.h>
#include <sys/stat.h>

#include <vector>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
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

namespace {

// The two families of face names, in the order of kSkyboxFaces.
const std::array<std::array<const char*, 6>, 2> kFaceNameFamilies = {{
    {"up", "dn", "lf", "rt", "ft", "bk"},
    {"up", "down", "left", "right", "front", "back"},
}};

bool isSeparator(char c) {
    return c == '_' || c == '-' || c == '.' || c == ' ';
}

bool isSkyboxExtension(const std::string& extension) {
    for (const char* known : kSkyboxExtensions)
        if (extension == known)
            return true;
    return false;
}

// The folder's file names, lowered, each with its name as on disk.
std::vector<std::pair<std::string, std::string>> lowerNamesIn(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> names;
    if (DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (dirent* entry = ::readdir(dir))
            names.push_back({lowerAscii(entry->d_name), entry->d_name});
        ::closedir(dir);
    }
    return names;
}

// The faces of the family beside an image whose name starts with prefix
// (the set's NAME and separator, lowered).
SkyboxSetFiles facesOfFamily(const std::string& folder, const std::string& prefix, const std::string& shownPrefix,
                             const std::array<const char*, 6>& family,
                             const std::vector<std::pair<std::string, std::string>>& names,
                             const std::function<bool(const std::string&)>& isImageFile) {
    SkyboxSetFiles set;
    set.recognised = true;
    for (size_t face = 0; face < family.size(); ++face) {
        set.expected[face] = folder + shownPrefix + family[face];
        for (const char* extension : kSkyboxExtensions) {
            const std::string wanted = prefix + family[face] + extension;
            for (const auto& name : names)
                if (set.faces[face].empty() && name.first == wanted && isImageFile(folder + name.second))
                    set.faces[face] = folder + name.second;
        }
    }
    return set;
}

size_t facesFound(const SkyboxSetFiles& set) {
    size_t found = 0;
    for (const std::string& face : set.faces)
        found += face.empty() ? 0 : 1;
    return found;
}

void showSkyboxMessage(const wchar_t* textKey, const std::vector<std::string>& files) {
    if (!editor.device)
        return;
    core::stringw text = translate(textKey);
    for (const std::string& file : files) {
        text += L"\n";
        text += widePath(file);
    }
    text += L"\n\n";
    text += translate(L"message_skybox_what_a_set_is");
    editor.device->getGUIEnvironment()->addMessageBox(translate(L"message_skybox_caption").c_str(), text.c_str(),
                                                      true, gui::EMBF_OK, nullptr, -1);
}

} // namespace

SkyboxSetFiles findSkyboxSet(const std::string& path, const std::function<bool(const std::string&)>& isImageFile) {
    SkyboxSetFiles set;
    const std::string extension = fileExtension(path);
    if (extension == ".skybox") {
        const std::string base = path.substr(0, path.rfind('.'));
        set.recognised = true;
        for (size_t face = 0; face < kSkyboxFaces.size(); ++face) {
            set.faces[face] = findSkyboxFace(base, kSkyboxFaces[face].suffix, isImageFile);
            set.expected[face] = base + kSkyboxFaces[face].suffix;
        }
        return set;
    }
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size());
    if (!isSkyboxExtension(fileExtension(name)))
        return set;
    const std::string stem = name.substr(0, name.rfind('.'));
    const std::string lowerStem = lowerAscii(stem);
    const std::vector<std::pair<std::string, std::string>> names = lowerNamesIn(folder);
    // "up" belongs to both families: the one with more faces found wins.
    for (const std::array<const char*, 6>& family : kFaceNameFamilies)
        for (const char* faceName : family) {
            const std::string suffix = faceName;
            if (lowerStem.size() < suffix.size() ||
                lowerStem.compare(lowerStem.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string prefix = stem.substr(0, stem.size() - suffix.size());
            // A name without a separator needs something before the suffix.
            if (prefix.empty() || (prefix.size() == 1 && isSeparator(prefix[0])))
                continue;
            SkyboxSetFiles candidate =
                facesOfFamily(folder, lowerAscii(prefix), prefix, family, names, isImageFile);
            if (!set.recognised || facesFound(candidate) > facesFound(set))
                set = candidate;
        }
    return set;
}

bool applySkyboxSet(const std::string& path) {
    scene::ISceneNode* node = editor.selectedNode;
    if (!editor.sceneManager || !node || !editor.nodeSelected || node->getType() != scene::ESNT_SKY_BOX ||
        node->getMaterialCount() < kSkyboxFaces.size())
        return false;
    io::IFileSystem* fileSystem = editor.sceneManager->getFileSystem();
    const SkyboxSetFiles set =
        findSkyboxSet(path, [fileSystem](const std::string& p) { return isFaceFile(fileSystem, p); });
    if (!set.recognised) {
        showSkyboxMessage(L"message_skybox_no_set", {path});
        return false;
    }
    std::vector<std::string> missing;
    for (size_t face = 0; face < kSkyboxFaces.size(); ++face) {
        node->getMaterial(kSkyboxFaces[face].material).setTexture(0, loadUserTexture(set.faces[face]));
        if (set.faces[face].empty())
            missing.push_back(set.expected[face] + ".*");
    }
    if (!missing.empty())
        showSkyboxMessage(L"message_skybox_faces_missing", missing);
    return true;
}

} // namespace sorn
