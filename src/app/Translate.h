#pragma once
#include <irrlicht.h>

#include "app/ConfigFile.h"

namespace sorn {

// Loader of one language file "lang/<code>.xml": <string name=".." value=".."/>
// entries inside a <lang> section, or <string name="..">text</string> anywhere.
class LanguageFile {
public:
    SettingsMap settings;
    irr::core::stringw fileName;

    bool load();
};

// The language used when the chosen one cannot be read.
constexpr const wchar_t* FallbackLanguage = L"en";

// Replaces the editor's language table with the entries of "lang/<code>.xml",
// or of the English file when that one is missing, unreadable or empty.
void loadLanguage(const irr::core::stringw& code);

// The text for a key in the current language, or "___" when it is missing.
irr::core::stringw translate(const irr::core::stringw& key);

} // namespace sorn
