#include "app/DataLocation.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

#include "app/EditorState.h"
#include "app/TextConvert.h"

namespace fs = std::filesystem;

namespace sorn {

namespace {

const char* const ProgramName = "sorn-editor";

bool isFolder(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool isSet(const char* variable) {
    return variable && *variable;
}

// $XDG_CONFIG_HOME when it is an absolute path (a relative one is to be
// ignored), else ~/.config; empty when neither is known.
std::string configHome(const ProgramPlace& place) {
    if (isSet(place.xdgConfigHome) && place.xdgConfigHome[0] == '/')
        return place.xdgConfigHome;
    if (isSet(place.home))
        return (fs::path(place.home) / ".config").string();
    return std::string();
}

const char* homeOfUser() {
    const passwd* user = getpwuid(getuid());
    return user ? user->pw_dir : nullptr;
}

} // namespace

std::string chooseCacheFolder(const char* xdgCacheHome, const char* home) {
    if (isSet(xdgCacheHome) && xdgCacheHome[0] == '/')
        return (fs::path(xdgCacheHome) / ProgramName).string();
    if (isSet(home))
        return (fs::path(home) / ".cache" / ProgramName).string();
    return std::string();
}

std::string userCacheFolder() {
    const char* home = std::getenv("HOME");
    return chooseCacheFolder(std::getenv("XDG_CACHE_HOME"), isSet(home) ? home : homeOfUser());
}

DataLocation chooseDataLocation(const ProgramPlace& place) {
    DataLocation location;
    const fs::path programFolder = fs::path(place.executable).parent_path();
    const fs::path shared = (programFolder.parent_path() / "share" / ProgramName).lexically_normal();
    const bool besideProgram = !place.executable.empty() && isFolder(programFolder / "media");
    if (!place.executable.empty() && !besideProgram && isFolder(shared / "media")) {
        location.installed = true;
        location.dataDirectory = shared.string();
        location.defaultsFile = (shared / "config.xml").string();
        const std::string home = configHome(place);
        if (!home.empty())
            location.settingsFile = (fs::path(home) / ProgramName / "config.xml").string();
        return location;
    }
    // A runtime folder: the data in the folder the program starts in, or,
    // when that holds none, in the program's own folder.
    fs::path folder = place.workingDirectory;
    if (!isFolder(folder / "media") && besideProgram)
        folder = programFolder;
    location.dataDirectory = folder.string();
    location.settingsFile = (folder / "config.xml").string();
    return location;
}

std::string runningProgramPath() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.string();
}

ProgramPlace currentProgramPlace(const std::string& workingDirectory) {
    ProgramPlace place;
    place.executable = runningProgramPath();
    place.workingDirectory = workingDirectory;
    place.xdgConfigHome = std::getenv("XDG_CONFIG_HOME");
    place.home = std::getenv("HOME");
    if (!isSet(place.home)) {
        // Without HOME, the home folder the system records for the user.
        place.home = homeOfUser();
    }
    return place;
}

void useDataLocation(const DataLocation& location) {
    editor.appDirectory = widePath(location.dataDirectory);
    editor.config.defaultsFileName = widePath(location.defaultsFile);
    editor.config.fileName = widePath(location.settingsFile);
}

} // namespace sorn
