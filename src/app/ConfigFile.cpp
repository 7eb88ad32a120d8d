#include "app/ConfigFile.h"

#include "app/EditorState.h"
#include "app/SettingsXml.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {

namespace {
const wchar_t* const SectionTag = L"prog";
const wchar_t* const EntryTag = L"setting";
} // namespace

bool ConfigFile::load() {
    return readSettingsXml(fileName, {SectionTag, EntryTag, false}, settings);
}

bool ConfigFile::save() const {
    if (!editor.device)
        return false;
    io::IXMLWriter* writer =
        editor.device->getFileSystem()->createXMLWriter(narrowPath(fileName).c_str());
    if (!writer)
        return false;

    writer->writeXMLHeader();
    writer->writeElement(L"config", false);
    writer->writeLineBreak();
    writer->writeElement(SectionTag, false);
    writer->writeLineBreak();
    for (const auto& entry : settings) {
        writer->writeElement(EntryTag, true, L"name", entry.first.c_str(), L"value",
                             entry.second.c_str());
        writer->writeLineBreak();
    }
    writer->writeLineBreak();
    writer->writeClosingTag(SectionTag);
    writer->writeLineBreak();
    writer->writeClosingTag(L"config");
    writer->drop();
    return true;
}

core::stringw ConfigFile::get(const core::stringw& name) const {
    auto it = settings.find(name);
    return it == settings.end() ? core::stringw(L"XXX") : it->second;
}

void ConfigFile::set(const core::stringw& name, const core::stringw& value) {
    settings[name] = value;
}

} // namespace sorn
