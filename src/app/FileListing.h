#pragma once
// What the editor's file dialog shows and where a typed path leads, as plain
// functions over names and paths: listing a folder, filtering by the kind of
// file a use wants, ordering, resolving "~", relative paths and "..", and
// choosing an entry by the first letters of its name.
#include <functional>
#include <string>
#include <vector>

namespace sorn {

// The kinds of file the dialogs ask for; Openable is what File > Open takes
// (scenes, models and archives).
enum class FileKind { Openable, Scene, Model, Image, SkyBox, Archive, All };

// Every kind, in the order of the dialog's filter choices.
extern const FileKind kFileKinds[7];

// The language key naming a kind ("file_dialog_kind_" + its word).
const wchar_t* fileKindKey(FileKind kind);
// The word naming the kind in settings ("dialog_folder_" + it).
const char* fileKindWord(FileKind kind);

// Whether a file name is of the kind; `model` and `image` answer for the
// engine's loaders (the dialog asks the engine, tests give their own).
struct KindTests {
    std::function<bool(const std::string&)> model;
    std::function<bool(const std::string&)> image;
};
bool nameIsOfKind(const std::string& name, FileKind kind, const KindTests& tests);

struct FolderEntry {
    std::string name; // as the file system spells it
    bool folder = false;
};

// The entries of a folder ("." and ".." left out); links count as what they
// point to. False with the system's reason when the folder cannot be read.
bool readFolder(const std::string& folder, std::vector<FolderEntry>& entries, std::string& reason);

// What the list shows: ".." first (not at "/"), then folders, then the files
// that pass `keepFile`, each group ordered by name ignoring ASCII case, then
// by bytes. Names starting with "." only when showHidden.
std::vector<FolderEntry> arrangeEntries(std::vector<FolderEntry> entries, const std::string& folder,
                                        bool showHidden,
                                        const std::function<bool(const std::string&)>& keepFile);

// A typed path made absolute and tidied ("." and ".." taken out, no trailing
// "/"): "~" and "~/x" from home, relative paths from the folder shown.
std::string resolveTypedPath(const std::string& typed, const std::string& shownFolder, const std::string& home);

// The folder a path is in ("/a/b" gives "/a", "/a" gives "/").
std::string parentFolder(const std::string& path);
// folder + "/" + name, without doubling the "/" at the root.
std::string joinPath(const std::string& folder, const std::string& name);

// Letters typed one after another choose the first entry whose name starts
// with them; a pause longer than kTypeAheadPauseMs starts a new word.
constexpr unsigned kTypeAheadPauseMs = 1000;
class TypeAhead {
public:
    // Adds a typed character at the time given; returns the word so far.
    const std::wstring& type(wchar_t letter, unsigned nowMs);

private:
    std::wstring word_;
    unsigned lastMs_ = 0;
};
// The first entry whose name starts with the word (ignoring case), or -1.
int firstEntryStartingWith(const std::vector<std::wstring>& names, const std::wstring& word);

} // namespace sorn
