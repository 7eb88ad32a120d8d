// The editor's settings file (config.xml) and its language files, read
// through the guarded copy by the engine's XML reader. The first byte chooses
// settings or language; the rest is the file. Settings that were read must
// survive a save and a second read unchanged: a setting lost or altered on the
// way is lost work for the user.
#include <string>
#include <sys/stat.h>

#include "FuzzSupport.h"
#include "app/ConfigFile.h"
#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"

using namespace irr;
using sorn::fuzz::require;

namespace {

void settingsFile(const uint8_t* data, size_t size) {
    const std::string path = sorn::fuzz::scratchFile("config.xml");
    if (!sorn::fuzz::writeBytes(path, data, size))
        return;
    sorn::ConfigFile config;
    config.fileName = sorn::widePath(path);
    require(config.load(), "a regular file up to the size bound is read");

    sorn::ConfigFile saved;
    saved.settings = config.settings;
    saved.fileName = sorn::widePath(sorn::fuzz::scratchFile("saved.xml"));
    require(saved.save(), "the settings that were read can be saved");
    sorn::ConfigFile again;
    again.fileName = saved.fileName;
    require(again.load(), "a saved settings file reads");
    require(again.settings == config.settings, "settings read, saved and read again are the same");
}

// A language file read on its own and as the editor's language: the table in
// force is the file's entries, or the fallback's when the file has none.
void languageFile(const uint8_t* data, size_t size) {
    const std::string folder = sorn::fuzz::scratchFolder();
    sorn::editor.appDirectory = sorn::widePath(folder + "/");
    const std::string path = folder + "/lang/zz.xml";
    if (!sorn::fuzz::writeBytes(path, data, size))
        return;
    sorn::LanguageFile file;
    file.fileName = sorn::widePath(path);
    require(file.load(), "a regular file up to the size bound is read");

    sorn::loadLanguage(L"zz");
    // There is no English file in the scratch folder: no entries mean an empty table.
    require(sorn::editor.languageTable == file.settings, "the language in force is the file's");
    for (const auto& entry : file.settings)
        require(sorn::translate(entry.first) == entry.second, "every key translates to its text");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sorn::fuzz::startNullDevice();
    ::mkdir((sorn::fuzz::scratchFolder() + "/lang").c_str(), 0700);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    if (data[0] & 1)
        languageFile(data + 1, size - 1);
    else
        settingsFile(data + 1, size - 1);
    return 0;
}
