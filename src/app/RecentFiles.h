#pragma once
// The scenes opened or saved last, newest first, kept in config.xml as the
// settings recent_0 .. recent_7 and shown in File > Recent.
#include <string>
#include <vector>

namespace sorn {

constexpr int kRecentFileLimit = 8;

// The file's canonical absolute path (links and "..", "." resolved) when it
// exists; otherwise the path made absolute against the process's working
// directory. Two names of one file give the same text.
std::string canonicalFilePath(const std::string& path);

// The list as the settings hold it, newest first (empty and missing entries
// left out).
std::vector<std::string> recentSceneFiles();

// Puts the file first (its canonical path), drops any other entry naming the
// same file and keeps at most kRecentFileLimit entries. When the list
// changed, writes config.xml and shows the new list in the menu.
void rememberRecentSceneFile(const std::string& path);
// Takes the file off the list (written and shown as above).
void forgetRecentSceneFile(const std::string& path);

// Fills File > Recent from the list: one entry per file, numbered, or one
// disabled entry saying that there is none.
void showRecentSceneFiles();

} // namespace sorn
