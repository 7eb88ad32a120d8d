#include "app/Translate.h"

#include <utility>

#include "app/EditorState.h"
#include "app/SettingsXml.h"

using namespace irr;

namespace sorn {

namespace {
const wchar_t* const SectionTag = L"lang";
const wchar_t* const EntryTag = L"string";
} // namespace

bool LanguageFile::load() {
    return readSettingsXml(fileName, {SectionTag, EntryTag, true}, settings);
}

namespace {

// The entries of "lang/<code>.xml"; empty when it is missing or holds none.
SettingsMap readLanguageFile(const core::stringw& code) {
    LanguageFile loader;
    loader.fileName = appPath(core::stringw(L"lang/") + code + L".xml");
    if (!loader.load())
        loader.settings.clear();
    return std::move(loader.settings);
}

} // namespace

// A language file that is missing or yields no entry (no "language" setting,
// a deleted or damaged file) would leave every caption "___": English is
// used instead. "___" then only marks a key missing from a table that loaded.
void loadLanguage(const core::stringw& code) {
    SettingsMap table = readLanguageFile(code);
    if (table.empty() && code != FallbackLanguage)
        table = readLanguageFile(FallbackLanguage);
    editor.languageTable = std::move(table);
}

core::stringw translate(const core::stringw& key) {
    auto it = editor.languageTable.find(key);
    return it == editor.languageTable.end() ? core::stringw(L"___") : it->second;
}

} // namespace sorn
