#pragma once
// Where the editor finds its data (media/, lang/, doc/, the shipped settings)
// and where it keeps the user's settings.
//
// Run from a build's runtime folder, everything stays in the folder the
// program starts in, as it always has. Installed (bin/sorn-editor with
// share/sorn-editor/ beside bin/ and no media/ beside the program), the data
// is read from share/sorn-editor/ and the settings live in the user's
// configuration folder, read over the defaults shipped with the program.
#include <string>

namespace sorn {

struct DataLocation {
    std::string dataDirectory;  // holds media/, lang/ and doc/
    std::string defaultsFile;   // settings read before the user's (empty: none)
    std::string settingsFile;   // the user's settings: read last, the only one written
    bool installed = false;
};

// What the choice depends on. Null or empty variables count as unset.
struct ProgramPlace {
    std::string executable;       // the running program's path (empty: unknown)
    std::string workingDirectory; // at start
    const char* xdgConfigHome = nullptr;
    const char* home = nullptr;
};

DataLocation chooseDataLocation(const ProgramPlace& place);

// The running program's path (/proc/self/exe), or empty.
std::string runningProgramPath();

// The place of this process: its program, the given working directory and
// its environment.
ProgramPlace currentProgramPlace(const std::string& workingDirectory);

// The folder where the editor keeps what it may lose and make again (the
// verdicts of file checks): $XDG_CACHE_HOME/sorn-editor when that is an
// absolute path, else ~/.cache/sorn-editor; empty when neither is known.
// Made (0700) only when first written to.
std::string chooseCacheFolder(const char* xdgCacheHome, const char* home);
// The same for this process's environment (HOME unset: the user's home folder).
std::string userCacheFolder();

// Sets editor.appDirectory and the settings files of editor.config from the
// location chosen for this process.
void useDataLocation(const DataLocation& location);

} // namespace sorn
