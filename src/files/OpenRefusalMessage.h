#pragma once
// The message box that tells the user a file was not opened, and why.
#include <string>

#include "files/FileRefusal.h"
#include "files/SceneScan.h"

namespace sorn {

// The translation key of the reason, or null for SceneRefusal::None.
const wchar_t* openRefusalKey(SceneRefusal refusal);

// A modal message box: the reason, the file, and what was refused when known.
// The detail (the system's reason, the limit passed, what was refused) is
// UTF-8 text.
void showOpenRefusal(const std::string& path, SceneRefusal refusal, const std::string& detail = "");
void showOpenRefusal(const std::string& path, const FileRefusal& refusal);

} // namespace sorn
