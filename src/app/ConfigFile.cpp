#include "app/ConfigFile.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <type_traits>

#include "app/EditorState.h"
#include "app/SettingsXml.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {

namespace {
const wchar_t* const SectionTag = L"prog";
const wchar_t* const EntryTag = L"setting";

// Makes every missing folder on the way to the file, private to the user as
// configuration folders are. 0 when they all exist, else the system's error.
int makeFoldersFor(const std::string& file) {
    for (size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
        const std::string folder = file.substr(0, slash);
        struct stat info;
        if (stat(folder.c_str(), &info) == 0)
            continue;
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}
} // namespace

bool WideTextBefore::operator()(const core::stringw& a, const core::stringw& b) const {
    using Unit = std::make_unsigned<wchar_t>::type;
    const auto unitBefore = [](wchar_t x, wchar_t y) { return static_cast<Unit>(x) < static_cast<Unit>(y); };
    return std::lexicographical_compare(a.c_str(), a.c_str() + a.size(), b.c_str(), b.c_str() + b.size(),
                                        unitBefore);
}

bool ConfigFile::load() {
    const SettingsXmlFormat format{SectionTag, EntryTag, false};
    const bool defaults = !defaultsFileName.empty() && readSettingsXml(defaultsFileName, format, settings);
    const bool own = readSettingsXml(fileName, format, settings);
    return defaults || own;
}

bool ConfigFile::save(WriteFailure* failure) const {
    if (failure)
        *failure = WriteFailure::Other;
    if (!editor.device)
        return false;
    // Settings read over shipped defaults are the user's own, in a
    // configuration folder made on the first save.
    if (const int error = defaultsFileName.empty() ? 0 : makeFoldersFor(narrowPath(fileName))) {
        if (failure)
            *failure = writeFailureFor(error);
        return false;
    }
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
