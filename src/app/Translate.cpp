#include "app/Translate.h"

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

void loadLanguage(const core::stringw& code) {
    LanguageFile loader;
    loader.fileName = appPath(core::stringw(L"lang/") + code + L".xml");
    loader.load();
    editor.languageTable.swap(loader.settings);
}

core::stringw translate(const core::stringw& key) {
    auto it = editor.languageTable.find(key);
    return it == editor.languageTable.end() ? core::stringw(L"___") : it->second;
}

} // namespace sorn
