#include "app/SettingsXml.h"

#include "app/EditorState.h"
#include "app/SafeXmlFile.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {

bool readSettingsXml(const core::stringw& fileName, const SettingsXmlFormat& format, SettingsMap& settings) {
    if (!editor.device)
        return false;
    io::IXMLReader* reader = createGuardedXmlReader(editor.device->getFileSystem(), narrowPath(fileName).c_str());
    if (!reader)
        return false;

    core::stringw section;
    while (reader->read()) {
        switch (reader->getNodeType()) {
        case io::EXN_ELEMENT:
            // A section opens at any depth while none is open.
            if (section.empty() && core::stringw(reader->getNodeName()) == format.sectionTag) {
                section = format.sectionTag;
                break;
            }
            if (section == format.sectionTag && core::stringw(reader->getNodeName()) == format.entryTag) {
                core::stringw name = guardedXmlText(reader->getAttributeValueSafe(L"name"));
                if (!name.empty())
                    settings[name] = guardedXmlText(reader->getAttributeValueSafe(L"value"));
            }
            break;
        case io::EXN_ELEMENT_END:
            // Any closing tag ends the section, also that of a non-empty entry.
            section = L"";
            break;
        case io::EXN_TEXT:
            if (format.textEntries) {
                core::stringw name = guardedXmlText(reader->getAttributeValueSafe(L"name"));
                if (!name.empty())
                    settings[name] = guardedXmlText(reader->getNodeData());
            }
            break;
        default:
            break;
        }
    }
    reader->drop();
    return true;
}

} // namespace sorn
