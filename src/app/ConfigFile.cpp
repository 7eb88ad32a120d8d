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

bool ConfigFile::save(WriteFailure* failure) const {
    if (failure)
        *failure = WriteFailure::Other;
    if (!editor.device)
        return false;
    AtomicFile file(narrowPath(fileName));
    if (file.create()) {
        AtomicWriteFile* out = new AtomicWriteFile(file, narrowPath(fileName).c_str());
        io::IXMLWriter* writer = editor.device->getFileSystem()->createXMLWriter(out);
        out->drop();
        if (writer) {
            writeSettings(writer);
            writer->drop();
            if (file.commit()) {
                if (failure)
                    *failure = WriteFailure::None;
                return true;
            }
        }
    }
    if (failure && file.failed())
        *failure = file.failure();
    return false;
}

void ConfigFile::writeSettings(io::IXMLWriter* writer) const {
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
}

core::stringw ConfigFile::get(const core::stringw& name) const {
    auto it = settings.find(name);
    return it == settings.end() ? core::stringw(L"XXX") : it->second;
}

void ConfigFile::set(const core::stringw& name, const core::stringw& value) {
    settings[name] = value;
}

} // namespace sorn
