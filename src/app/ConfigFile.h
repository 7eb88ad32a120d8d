#pragma once
#include <irrlicht.h>
#include <map>

#include "app/AtomicFile.h"

namespace sorn {

// Wide text in the order of its characters, each taken as an unsigned code
// unit. The engine string's own less-than subtracts signed characters: for the
// values a UTF-32 file can hold that overflows and the order stops being
// transitive, so a map keyed by it loses entries.
struct WideTextBefore {
    bool operator()(const irr::core::stringw& a, const irr::core::stringw& b) const;
};

// Settings as name/value pairs, in ascending key order.
using SettingsMap = std::map<irr::core::stringw, irr::core::stringw, WideTextBefore>;

// The editor's settings file: a flat list of <setting name=".." value=".."/>
// elements inside a <prog> section.
class ConfigFile {
public:
    SettingsMap settings;
    irr::core::stringw fileName = L"config.xml";
    // Settings shipped with the program, read before fileName and never
    // written (empty: none).
    irr::core::stringw defaultsFileName;

    // Reads defaultsFileName, then fileName into settings (adding or
    // replacing), so the user's values win. False without an engine device
    // or when neither file can be opened.
    bool load();
    // Writes every entry in ascending key order to fileName, replacing the
    // file as a whole: a failed save leaves the old file exactly as it was.
    // Settings read over defaults are the user's own: their missing folders
    // are made first. False without an engine device or when the file
    // cannot be written; why is then given in failure when asked for.
    bool save(WriteFailure* failure = nullptr) const;
    // The value for a name, or "XXX" when there is none.
    irr::core::stringw get(const irr::core::stringw& name) const;
    void set(const irr::core::stringw& name, const irr::core::stringw& value);

private:
    void writeSettings(irr::io::IXMLWriter* writer) const;
};

} // namespace sorn
