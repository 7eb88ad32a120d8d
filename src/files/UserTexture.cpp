#include "files/UserTexture.h"

#include "app/EditorState.h"
#include "files/Quarantine.h"

namespace sorn {

irr::video::ITexture* loadUserTexture(const std::string& path) {
    if (path.empty() || !editor.device)
        return nullptr;
    if (!admitUntrustedFile(path, UntrustedKind::Image))
        return nullptr;
    return editor.device->getVideoDriver()->getTexture(path.c_str());
}

} // namespace sorn
