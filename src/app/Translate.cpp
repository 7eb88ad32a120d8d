#include "app/Translate.h"

#include "app/EditorState.h"
#include "app/SafeXmlFile.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {

namespace {
const wchar_t* const SectionTag = L"lang";
const wchar_t* const EntryTag = L"string";
} // namespace

bool LanguageFile::load() {
    if (!editor.device)
        return false;
    io::IXMLReader* reader =
        createGuardedXmlReader(editor.device->getFileSystem(), toNarrowPath(fileName).c_str());
    if (!reader)
        return false;

    core::stringw section;
    while (reader->read()) {
        switch (reader->getNodeType()) {
        case io::EXN_ELEMENT_END:
            section = L"";
            break;
        case io::EXN_TEXT: {
            // The reader answers with the attributes of the element the text stands in,
            // so <string name="key">text</string> works wherever it appears.
            core::stringw name = reader->getAttributeValueSafe(L"name");
            if (!name.empty())
                settings[name] = reader->getNodeData();
            break;
        }
        case io::EXN_ELEMENT:
            if (section.empty() && core::stringw(reader->getNodeName()) == SectionTag) {
                section = SectionTag;
                break;
            }
            if (section == SectionTag && core::stringw(reader->getNodeName()) == EntryTag) {
                core::stringw name = reader->getAttributeValueSafe(L"name");
                if (!name.empty())
                    settings[name] = reader->getAttributeValueSafe(L"value");
            }
            break;
        default:
            break;
        }
    }
    reader->drop();
    return true;
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
