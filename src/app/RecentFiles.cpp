#include "app/RecentFiles.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

#include "app/EditorState.h"
#include "app/MenuBar.h"
#include "app/PathText.h"
#include "app/Translate.h"

using namespace irr;

namespace sorn {

namespace {

core::stringw settingName(int index) {
    core::stringw name = L"recent_";
    name += index;
    return name;
}

// Writes the list into the settings (entries past its end are removed, so
// a shorter list leaves no stale names), saves them and shows them. A
// config.xml that cannot be written keeps the list for this run.
void storeList(const std::vector<std::string>& files) {
    for (int i = 0; i < kRecentFileLimit; ++i) {
        if (i < static_cast<int>(files.size()))
            editor.config.set(settingName(i), widePath(files[static_cast<size_t>(i)]));
        else
            editor.config.settings.erase(settingName(i));
    }
    editor.config.save();
    showRecentSceneFiles();
}


} // namespace

std::string canonicalFilePath(const std::string& path) {
    if (path.empty())
        return path;
    if (char* resolved = realpath(path.c_str(), nullptr)) {
        std::string canonical = resolved;
        std::free(resolved);
        return canonical;
    }
    std::string absolute = path;
    if (absolute[0] != '/') {
        char folder[PATH_MAX];
        if (!getcwd(folder, sizeof folder))
            return path;
        absolute = std::string(folder) + "/" + path;
    }
    return collapseDotSegments(absolute);
}

std::vector<std::string> recentSceneFiles() {
    std::vector<std::string> files;
    for (int i = 0; i < kRecentFileLimit; ++i) {
        auto it = editor.config.settings.find(settingName(i));
        if (it != editor.config.settings.end() && !it->second.empty())
            files.push_back(narrowPath(it->second));
    }
    return files;
}

void rememberRecentSceneFile(const std::string& path) {
    if (path.empty())
        return;
    const std::string file = canonicalFilePath(path);
    const std::vector<std::string> before = recentSceneFiles();
    std::vector<std::string> files{file};
    for (const std::string& entry : before)
        if (files.size() < static_cast<size_t>(kRecentFileLimit) && canonicalFilePath(entry) != file)
            files.push_back(entry);
    if (files != before)
        storeList(files);
}

void forgetRecentSceneFile(const std::string& path) {
    const std::vector<std::string> before = recentSceneFiles();
    std::vector<std::string> files;
    for (const std::string& entry : before)
        if (entry != path && canonicalFilePath(entry) != canonicalFilePath(path))
            files.push_back(entry);
    if (files != before)
        storeList(files);
}

void showRecentSceneFiles() {
    s32 index = -1;
    gui::IGUIContextMenu* fileMenu = menuHoldingCommand(ids::CmdRecentMenu, index);
    gui::IGUIContextMenu* recent = fileMenu ? fileMenu->getSubMenu(static_cast<u32>(index)) : nullptr;
    if (!recent)
        return;
    recent->removeAllItems();
    const std::vector<std::string> files = recentSceneFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        core::stringw caption;
        caption += static_cast<s32>(i + 1);
        caption += L"  ";
        caption += widePath(files[i]);
        recent->addItem(caption.c_str(), ids::CmdRecentFirst + static_cast<s32>(i), true, false, false, false);
    }
    if (files.empty())
        recent->addItem(translate(L"menu_recent_none").c_str(), -1, false, false, false, false);
}

} // namespace sorn
