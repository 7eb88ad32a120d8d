#include "files/UserTexture.h"

#include "app/EditorState.h"
#include "files/FileRefusal.h"
#include "files/OpenRefusalMessage.h"
#include "files/Quarantine.h"

namespace sorn {

irr::video::ITexture* loadUserTexture(const std::string& path) {
    if (path.empty() || !editor.device)
        return nullptr;
    irr::video::IVideoDriver* driver = editor.device->getVideoDriver();
    irr::io::IFileSystem* fileSystem = editor.device->getFileSystem();
    // A texture the driver holds already (loaded before, or a scene's
    // stand-in for a missing file) reads nothing.
    if (irr::video::ITexture* held = driver->findTexture(fileSystem->getAbsolutePath(path.c_str())))
        return held;
    if (irr::video::ITexture* held = driver->findTexture(path.c_str()))
        return held;
    FileRefusal why = readableFileRefusal(fileSystem, path);
    if (!why.refused() && !imageLoaderTakes(driver, path))
        why = noLoaderFor(path);
    if (why.refused()) {
        showOpenRefusal(path, why);
        return nullptr;
    }
    // The engine decodes the bytes that were checked.
    CheckedBytesScope checkedBytes;
    if (!admitUntrustedFile(path, UntrustedKind::Image))
        return nullptr;
    irr::video::ITexture* texture = driver->getTexture(path.c_str());
    if (!texture)
        showOpenRefusal(path, SceneRefusal::NothingLoaded);
    return texture;
}

} // namespace sorn
