#pragma once
// Reading of the editor's flat name/value XML files (settings and languages):
// entries <entry name=".." value=".."/> inside a <section> element.
#include <irrlicht.h>

#include "app/ConfigFile.h"

namespace sorn {

struct SettingsXmlFormat {
    const wchar_t* sectionTag;
    const wchar_t* entryTag;
    // Whether character data is an entry too: <entry name="..">text</entry>,
    // taken wherever it stands (the reader gives a text node the attributes
    // of the element it stands in).
    bool textEntries;
};

// Adds or replaces the entries of the file in settings. False without an
// engine device or when the file cannot be opened.
bool readSettingsXml(const irr::core::stringw& fileName, const SettingsXmlFormat& format, SettingsMap& settings);

} // namespace sorn
