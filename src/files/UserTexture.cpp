#include "files/UserTexture.h"

#include <sys/stat.h>

#include "app/EditorState.h"

namespace sorn {

irr::video::ITexture* loadUserTexture(const std::string& path) {
    if (path.empty() || !editor.device)
        return nullptr;
    struct stat status;
    if (stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
        return nullptr;
    return editor.device->getVideoDriver()->getTexture(path.c_str());
}

} // namespace sorn
