#include "files/MissingReferences.h"

#include <climits>
#include <cstring>
#include <cstdlib>
#include <sys/stat.h>
#include <unordered_set>

#include <irrlicht.h>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/CheckedBytesArchive.h"

namespace sorn {

namespace {

using namespace irr;

// The names a message lists before it only counts the rest.
constexpr size_t kNamesListed = 10;
// The placeholder texture: a checkerboard that reads as "missing" on any model.
constexpr u32 kTextureSide = 16;
constexpr u32 kCheckerSquare = 4;

struct Placeholder {
    UntrustedKind kind;
    std::string lookupName; // as the scene names it: what the engine asks for
    std::string savedName;  // what it is renamed to once the scene is loaded
    const void* made;       // the mesh or texture, only compared, never followed
};

// A terrain opens its height map by name through the file system, which asks
// its archives first: while a scene loads, this archive serves each missing
// height map as a small flat image of the kind its name says, under the name
// the scene gives. The terrain keeps that name and a save writes it back.
class HeightMapPlaceholders : public io::IFileArchive {
public:
    explicit HeightMapPlaceholders(io::IFileSystem* fileSystem)
        : fileSystem_(fileSystem), list_(fileSystem->createEmptyFileList("", false, false)) {}
    ~HeightMapPlaceholders() override { list_->drop(); }

    void add(const std::string& name, const std::string& bytes) {
        files_.push_back({name, bytes});
        list_->addItem(name.c_str(), 0, static_cast<u32>(bytes.size()), false, static_cast<u32>(files_.size() - 1));
        list_->sort();
    }
    bool empty() const { return files_.empty(); }

    io::IReadFile* createAndOpenFile(const io::path& filename) override {
        for (const auto& file : files_)
            if (filename == file.first.c_str())
                return open(file);
        return nullptr;
    }
    io::IReadFile* createAndOpenFile(u32 index) override {
        return index < list_->getFileCount() ? open(files_[list_->getID(index)]) : nullptr;
    }
    const io::IFileList* getFileList() const override { return list_; }

private:
    io::IReadFile* open(const std::pair<std::string, std::string>& file) {
        auto* bytes = new c8[file.second.size()];
        std::memcpy(bytes, file.second.data(), file.second.size());
        return fileSystem_->createMemoryReadFile(bytes, static_cast<s32>(file.second.size()), file.first.c_str(),
                                                 true);
    }

    io::IFileSystem* fileSystem_;
    io::IFileList* list_;
    std::vector<std::pair<std::string, std::string>> files_;
};

// A flat height map in the format the name's extension asks for, as the
// driver's image writers make it; empty when no writer makes that format.
std::string flatHeightMap(video::IVideoDriver* driver, io::IFileSystem* fileSystem, const std::string& name) {
    // The smallest size the terrain's default patch size takes.
    video::IImage* image = driver->createImage(video::ECF_R8G8B8, core::dimension2du(17, 17));
    if (!image)
        return std::string();
    image->fill(video::SColor(255, 0, 0, 0));
    std::string bytes(64 * 1024, '\0');
    io::IWriteFile* out = fileSystem->createMemoryWriteFile(&bytes[0], static_cast<s32>(bytes.size()), name.c_str());
    const bool written = out && driver->writeImageToFile(image, out);
    const long size = out ? out->getPos() : 0;
    if (out)
        out->drop();
    image->drop();
    if (!written || size <= 0)
        return std::string();
    bytes.resize(static_cast<size_t>(size));
    return bytes;
}

struct MissingState {
    const scene::ISceneManager* owner = nullptr; // whose caches hold the placeholders
    HeightMapPlaceholders* heightMaps = nullptr;  // mounted from before a load to after it
    std::vector<Placeholder> pending; // made for a load still to come
    std::vector<Placeholder> placed;  // serving the current scene
    std::vector<std::string> names;
    unsigned forgottenTextures = 0;
};

// The state for the current scene manager: one made since (a new start)
// holds none of the placeholders.
MissingState& missing() {
    static MissingState state;
    if (state.owner != editor.sceneManager) {
        state = MissingState();
        state.owner = editor.sceneManager;
    }
    return state;
}

bool inMountedArchive(io::IFileSystem* fileSystem, const std::string& name) {
    for (u32 i = 0; i < fileSystem->getFileArchiveCount(); ++i) {
        const io::IFileList* list = fileSystem->getFileArchive(i)->getFileList();
        if (list && !isCheckedBytesArchive(fileSystem->getFileArchive(i)) && list->findFile(name.c_str()) >= 0)
            return true;
    }
    return false;
}

std::string pathFrom(const std::string& folder, const std::string& name) {
    if (folder.empty() || name.empty() || name[0] == '/')
        return name;
    return folder + "/" + name;
}

// Found where the engine will look: its archives by the name as given, then
// the disk from the folder it resolves relative names against.
bool exists(io::IFileSystem* fileSystem, const std::string& name, const std::string& folder) {
    struct stat status {};
    return inMountedArchive(fileSystem, name) || ::stat(pathFrom(folder, name).c_str(), &status) == 0;
}

scene::IAnimatedMesh* makeMesh(unsigned materials) {
    auto* mesh = new scene::SMesh();
    for (unsigned i = 0; i < materials; ++i) {
        auto* buffer = new scene::SMeshBuffer();
        mesh->addMeshBuffer(buffer);
        buffer->drop();
    }
    auto* animated = new scene::SAnimatedMesh(mesh);
    mesh->drop();
    return animated;
}

video::ITexture* makeTexture(video::IVideoDriver* driver, const std::string& name) {
    video::IImage* image =
        driver->createImage(video::ECF_A8R8G8B8, core::dimension2du(kTextureSide, kTextureSide));
    if (!image)
        return nullptr;
    for (u32 y = 0; y < kTextureSide; ++y)
        for (u32 x = 0; x < kTextureSide; ++x)
            image->setPixel(x, y, (x / kCheckerSquare + y / kCheckerSquare) % 2 ? video::SColor(255, 255, 0, 255)
                                                                                : video::SColor(255, 0, 0, 0));
    video::ITexture* texture = driver->addTexture(name.c_str(), image);
    image->drop();
    return texture;
}

// The engine's renames sort its mesh and texture lists again only when the
// list was marked unsorted already, so a renamed entry could no longer be
// found by name. Adding an entry marks a list unsorted; the next lookup sorts it.
void markMeshesUnsorted(scene::IMeshCache* cache) {
    scene::IAnimatedMesh* marker = makeMesh(0);
    cache->addMesh("", marker);
    cache->removeMesh(marker);
    marker->drop();
}

void markTexturesUnsorted(video::IVideoDriver* driver) {
    video::IImage* image = driver->createImage(video::ECF_A8R8G8B8, core::dimension2du(1, 1));
    if (!image)
        return;
    if (video::ITexture* marker = driver->addTexture("\n", image))
        driver->removeTexture(marker);
    image->drop();
}

// The textures the driver still holds, by address: a placeholder is found by
// what it is, not by its name, and thousands of them in one look each.
class HeldTextures {
public:
    explicit HeldTextures(video::IVideoDriver* driver) {
        held_.reserve(driver->getTextureCount());
        for (u32 i = 0; i < driver->getTextureCount(); ++i)
            held_.insert(driver->getTextureByIndex(i));
    }
    // The texture made at that address, if the driver still holds it.
    video::ITexture* find(const void* made) const {
        const auto it = held_.find(static_cast<video::ITexture*>(const_cast<void*>(made)));
        return it == held_.end() ? nullptr : *it;
    }

private:
    std::unordered_set<video::ITexture*> held_;
};

void tellMissingFiles(const std::vector<std::string>& names) {
    if (!editor.device || names.empty())
        return;
    core::stringw text = translate(L"missing_files_text");
    for (size_t i = 0; i < names.size() && i < kNamesListed; ++i) {
        text += L"\n";
        text += widePath(names[i]);
    }
    if (names.size() > kNamesListed) {
        core::stringw more = translate(L"missing_files_more");
        more.replace(L"%d", core::stringw(static_cast<u32>(names.size() - kNamesListed)));
        text += L"\n";
        text += more;
    }
    editor.device->getGUIEnvironment()->addMessageBox(translate(L"missing_files_caption").c_str(), text.c_str(),
                                                      true, gui::EMBF_OK, nullptr, -1);
}

} // namespace

std::string savedNameOfMissingFile(const std::string& path, const std::string& folder) {
    const std::string full = path.empty() || path[0] == '/' ? path : folder + "/" + path;
    std::vector<std::string> components;
    for (size_t start = 0; start <= full.size();) {
        size_t end = full.find('/', start);
        if (end == std::string::npos)
            end = full.size();
        const std::string component = full.substr(start, end - start);
        if (!component.empty() && component != ".")
            components.push_back(component);
        start = end + 1;
    }
    // The existing folders, resolved one step at a time.
    std::string resolved = "/";
    size_t next = 0;
    for (; next < components.size(); ++next) {
        const std::string candidate = (resolved == "/" ? "/" : resolved + "/") + components[next];
        char real[PATH_MAX];
        if (!::realpath(candidate.c_str(), real))
            break;
        resolved = real;
    }
    // The rest, with its ".." taken out as the file system would.
    std::vector<std::string> rest;
    for (; next < components.size(); ++next) {
        if (components[next] != "..") {
            rest.push_back(components[next]);
        } else if (!rest.empty()) {
            rest.pop_back();
        } else if (resolved != "/") {
            const size_t slash = resolved.find_last_of('/');
            resolved = slash == 0 ? "/" : resolved.substr(0, slash);
        }
    }
    std::string name = resolved;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (i == 0 && name != "/")
            name += "/";
        else if (i > 0)
            name += "\\";
        name += rest[i];
    }
    return name;
}

void placeMissingReferences(const SceneScan& scan, const std::string& folder) {
    MissingState& state = missing();
    state.names.clear();
    if (!editor.device || !editor.sceneManager)
        return;
    io::IFileSystem* fileSystem = editor.device->getFileSystem();
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    scene::IMeshCache* cache = editor.sceneManager->getMeshCache();
    const std::string base = folder.empty() ? std::string(fileSystem->getWorkingDirectory().c_str()) : folder;
    std::unordered_set<std::string> told; // each missing name once, as a model and as an image
    for (size_t i = 0; i < scan.referencedFiles.size(); ++i) {
        const std::string& name = scan.referencedFiles[i];
        const UntrustedKind kind = scan.referencedKinds[i];
        // "0" is how the engine writes a material layer without a texture.
        if (name.empty() || (kind == UntrustedKind::Image && name == "0") || exists(fileSystem, name, base))
            continue;
        if (told.insert(name).second)
            state.names.push_back(name);
        const void* made = nullptr;
        if (kind == UntrustedKind::Model && !cache->getMeshByName(name.c_str())) {
            const unsigned materials = i < scan.referencedMaterialCounts.size() ? scan.referencedMaterialCounts[i] : 0;
            scene::IAnimatedMesh* mesh = makeMesh(materials);
            cache->addMesh(name.c_str(), mesh);
            mesh->drop(); // the cache holds it
            made = static_cast<const scene::IMesh*>(mesh);
        } else if (kind == UntrustedKind::Image && !driver->findTexture(name.c_str())) {
            made = makeTexture(driver, name);
        } else if (kind == UntrustedKind::HeightMap) {
            const std::string bytes = flatHeightMap(driver, fileSystem, name);
            if (!bytes.empty()) {
                if (!state.heightMaps)
                    state.heightMaps = new HeightMapPlaceholders(fileSystem);
                state.heightMaps->add(name, bytes);
            }
        }
        if (made)
            state.pending.push_back({kind, name, savedNameOfMissingFile(name, base), made});
    }
    // The file system takes the archive's reference and drops it when it is removed.
    if (state.heightMaps && !fileSystem->addFileArchive(state.heightMaps)) {
        state.heightMaps->drop();
        state.heightMaps = nullptr;
    }
}

namespace {

void unmountHeightMaps(MissingState& state) {
    if (!state.heightMaps)
        return;
    if (editor.device)
        editor.device->getFileSystem()->removeFileArchive(state.heightMaps);
    state.heightMaps = nullptr;
}

} // namespace

void finishMissingReferences(bool loaded) {
    MissingState& state = missing();
    unmountHeightMaps(state);
    if (editor.device && editor.sceneManager && !state.pending.empty()) {
        video::IVideoDriver* driver = editor.device->getVideoDriver();
        scene::IMeshCache* cache = editor.sceneManager->getMeshCache();
        const HeldTextures held(driver);
        for (const Placeholder& placeholder : state.pending) {
            if (placeholder.kind == UntrustedKind::Model)
                cache->renameMesh(static_cast<const scene::IMesh*>(placeholder.made), placeholder.savedName.c_str());
            else if (video::ITexture* texture = held.find(placeholder.made))
                driver->renameTexture(texture, placeholder.savedName.c_str());
            state.placed.push_back(placeholder);
        }
        markMeshesUnsorted(cache);
        markTexturesUnsorted(driver);
    }
    state.pending.clear();
    if (loaded)
        tellMissingFiles(state.names);
}

const std::vector<std::string>& missingReferenceNames() {
    return missing().names;
}

void forgetMissingReferences() {
    MissingState& state = missing();
    if (editor.device && editor.sceneManager && !state.placed.empty()) {
        video::IVideoDriver* driver = editor.device->getVideoDriver();
        scene::IMeshCache* cache = editor.sceneManager->getMeshCache();
        const HeldTextures held(driver);
        for (const Placeholder& placeholder : state.placed) {
            if (placeholder.kind == UntrustedKind::Model)
                cache->removeMesh(static_cast<const scene::IMesh*>(placeholder.made));
            else if (video::ITexture* texture = held.find(placeholder.made))
                // A line break ends no file name the engine is asked for.
                driver->renameTexture(texture, ("\n" + std::to_string(++state.forgottenTextures)).c_str());
        }
        markTexturesUnsorted(driver);
    }
    state.placed.clear();
}

} // namespace sorn
