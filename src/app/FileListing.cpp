#include "app/FileListing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>
#include <dirent.h>
#include <sys/stat.h>

#include "app/PathText.h"

namespace sorn {

const FileKind kFileKinds[7] = {FileKind::Openable, FileKind::Scene,   FileKind::Model, FileKind::Image,
                                FileKind::SkyBox,   FileKind::Archive, FileKind::All};

namespace {

struct KindNames {
    FileKind kind;
    const wchar_t* key;
    const char* word;
};

const KindNames kKindNames[] = {
    {FileKind::Openable, L"file_dialog_kind_openable", "scene"},
    {FileKind::Scene, L"file_dialog_kind_scene", "scene"},
    {FileKind::Model, L"file_dialog_kind_model", "model"},
    {FileKind::Image, L"file_dialog_kind_image", "image"},
    {FileKind::SkyBox, L"file_dialog_kind_skybox", "skybox"},
    {FileKind::Archive, L"file_dialog_kind_archive", "archive"},
    {FileKind::All, L"file_dialog_kind_all", "all"},
};

// The archives that opening a file mounts (the same list as the opener's).
bool isArchiveName(const std::string& name) {
    const std::string extension = fileExtension(name);
    return extension == ".pk3" || extension == ".zip" || extension == ".pak" || extension == ".npk";
}

bool isDirectory(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool isHidden(const std::string& name) { return !name.empty() && name[0] == '.'; }

// Ordered by name ignoring ASCII case; names equal that way by their bytes.
bool nameBefore(const FolderEntry& a, const FolderEntry& b) {
    const std::string la = lowerAscii(a.name);
    const std::string lb = lowerAscii(b.name);
    return la != lb ? la < lb : a.name < b.name;
}

} // namespace

const wchar_t* fileKindKey(FileKind kind) {
    for (const KindNames& names : kKindNames)
        if (names.kind == kind)
            return names.key;
    return L"file_dialog_kind_all";
}

const char* fileKindWord(FileKind kind) {
    for (const KindNames& names : kKindNames)
        if (names.kind == kind)
            return names.word;
    return "all";
}

bool nameIsOfKind(const std::string& name, FileKind kind, const KindTests& tests) {
    const std::string extension = fileExtension(name);
    const bool scene = extension == ".irr";
    const bool model = !scene && tests.model && tests.model(name);
    const bool image = tests.image && tests.image(name);
    switch (kind) {
    case FileKind::Openable:
        return scene || model || isArchiveName(name);
    case FileKind::Scene:
        return scene;
    case FileKind::Model:
        return model;
    case FileKind::Image:
        return image;
    case FileKind::SkyBox:
        return extension == ".skybox" || image;
    case FileKind::Archive:
        return isArchiveName(name);
    case FileKind::All:
        return true;
    }
    return true;
}

bool readFolder(const std::string& folder, std::vector<FolderEntry>& entries, std::string& reason) {
    entries.clear();
    DIR* dir = opendir(folder.c_str());
    if (!dir) {
        reason = std::strerror(errno);
        return false;
    }
    while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        bool folderEntry = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
            folderEntry = isDirectory(joinPath(folder, name));
        entries.push_back({name, folderEntry});
    }
    closedir(dir);
    return true;
}

std::vector<FolderEntry> arrangeEntries(std::vector<FolderEntry> entries, const std::string& folder,
                                        bool showHidden,
                                        const std::function<bool(const std::string&)>& keepFile) {
    std::vector<FolderEntry> folders;
    std::vector<FolderEntry> files;
    for (FolderEntry& entry : entries) {
        if (entry.name.empty() || entry.name == "." || entry.name == ".." || (!showHidden && isHidden(entry.name)))
            continue;
        if (entry.folder)
            folders.push_back(std::move(entry));
        else if (!keepFile || keepFile(entry.name))
            files.push_back(std::move(entry));
    }
    std::sort(folders.begin(), folders.end(), nameBefore);
    std::sort(files.begin(), files.end(), nameBefore);
    std::vector<FolderEntry> shown;
    if (folder != "/")
        shown.push_back({"..", true});
    shown.insert(shown.end(), folders.begin(), folders.end());
    shown.insert(shown.end(), files.begin(), files.end());
    return shown;
}

std::string resolveTypedPath(const std::string& typed, const std::string& shownFolder, const std::string& home) {
    std::string path;
    if (typed == "~" || typed.rfind("~/", 0) == 0)
        path = home + typed.substr(1);
    else if (!typed.empty() && typed[0] == '/')
        path = typed;
    else
        path = shownFolder + "/" + typed;
    return collapseDotSegments(path);
}

std::string parentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

const std::wstring& TypeAhead::type(wchar_t letter, unsigned nowMs) {
    if (word_.empty() || nowMs - lastMs_ > kTypeAheadPauseMs)
        word_.clear();
    word_ += letter;
    lastMs_ = nowMs;
    return word_;
}

int firstEntryStartingWith(const std::vector<std::wstring>& names, const std::wstring& word) {
    if (word.empty())
        return -1;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::wstring& name = names[i];
        if (name.size() < word.size())
            continue;
        bool same = true;
        for (size_t c = 0; c < word.size() && same; ++c)
            same = std::towlower(static_cast<wint_t>(name[c])) == std::towlower(static_cast<wint_t>(word[c]));
        if (same)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace sorn
