#include "files/CheckedBytesArchive.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace sorn {

namespace {

using namespace irr;
namespace fs = std::filesystem;

// Reads from the shared bytes; they stay while any file made from them does,
// even once the archive has gone.
class HeldBytesReadFile : public io::IReadFile {
public:
    HeldBytesReadFile(std::shared_ptr<const FileBytes> bytes, const std::string& name)
        : bytes_(std::move(bytes)), name_(name.c_str()) {}

    s32 read(void* buffer, u32 sizeToRead) override {
        const size_t left = bytes_->size() - position_;
        const size_t count = std::min<size_t>(sizeToRead, left);
        if (count > 0)
            std::memcpy(buffer, bytes_->data() + position_, count);
        position_ += count;
        return static_cast<s32>(count);
    }
    bool seek(long finalPos, bool relativeMovement) override {
        const long long target = relativeMovement ? static_cast<long long>(position_) + finalPos : finalPos;
        if (target < 0 || target > static_cast<long long>(bytes_->size()))
            return false;
        position_ = static_cast<size_t>(target);
        return true;
    }
    long getSize() const override { return static_cast<long>(bytes_->size()); }
    long getPos() const override { return static_cast<long>(position_); }
    const io::path& getFileName() const override { return name_; }

private:
    std::shared_ptr<const FileBytes> bytes_;
    io::path name_;
    size_t position_ = 0;
};

// The name from the working directory of now, without "." and ".." steps,
// or "" when there is none.
std::string absolute(const std::string& name) {
    if (name.empty())
        return name;
    fs::path path(name);
    if (path.is_relative()) {
        char directory[PATH_MAX];
        if (!getcwd(directory, sizeof directory))
            return std::string();
        path = fs::path(directory) / path;
    }
    return path.lexically_normal().string();
}

// What follows the name's last "/": the file's own name, whatever folders
// lead to it.
std::string lastStep(const std::string& name) {
    const size_t slash = name.find_last_of('/');
    return slash == std::string::npos ? name : name.substr(slash + 1);
}

// Marks the archive's list for whoever walks the mounted archives.
const char* const kListPath = "<checked bytes>";

} // namespace

CheckedBytesArchive::CheckedBytesArchive(io::IFileSystem* fileSystem) : fileSystem_(fileSystem) {}

CheckedBytesArchive::~CheckedBytesArchive() {
    if (list_)
        list_->drop();
}

void CheckedBytesArchive::add(const std::string& name, const FileOnDisk& file, std::shared_ptr<const FileBytes> bytes) {
    const std::string key = absolute(name);
    if (key.empty() || !bytes)
        return;
    files_[key] = std::move(bytes);
    byFile_[file] = key;
    lastSteps_.insert(lastStep(key));
    if (list_) {
        list_->drop();
        list_ = nullptr;
    }
}

const io::IFileList* CheckedBytesArchive::getFileList() const {
    if (!list_) {
        list_ = fileSystem_->createEmptyFileList(kListPath, false, false);
        for (const auto& file : files_)
            list_->addItem(file.first.c_str(), 0, static_cast<u32>(std::min<size_t>(file.second->size(), 0xFFFFFFFFu)),
                           false);
        list_->sort();
    }
    return list_;
}

const std::pair<const std::string, std::shared_ptr<const FileBytes>>*
CheckedBytesArchive::find(const std::string& name) const {
    if (lastSteps_.count(lastStep(name)) == 0)
        return nullptr;
    const std::string key = absolute(name);
    if (key.empty())
        return nullptr;
    auto found = files_.find(key);
    if (found == files_.end()) {
        // Asked once for a file not served, then read from the disk anyway.
        struct stat status {};
        if (::stat(key.c_str(), &status) != 0)
            return nullptr;
        const auto read = byFile_.find({static_cast<unsigned long long>(status.st_dev),
                                        static_cast<unsigned long long>(status.st_ino)});
        if (read == byFile_.end())
            return nullptr;
        found = files_.find(read->second);
    }
    return found == files_.end() ? nullptr : &*found;
}

io::IReadFile* CheckedBytesArchive::createAndOpenFile(const io::path& filename) {
    const std::string name = filename.c_str();
    const auto* served = find(name);
    if (!served)
        return nullptr;
    // Named as the engine asked for it when that is absolute (a texture is
    // known by the name of the file it came from), else by its absolute name.
    return createHeldBytesReadFile(served->second, !name.empty() && name[0] == '/' ? name : served->first);
}

io::IReadFile* CheckedBytesArchive::createAndOpenFile(u32 index) {
    const io::IFileList* list = getFileList();
    if (!list || index >= list->getFileCount())
        return nullptr;
    return createAndOpenFile(list->getFullFileName(index));
}

bool isCheckedBytesArchive(const io::IFileArchive* archive) {
    return dynamic_cast<const CheckedBytesArchive*>(archive) != nullptr;
}

io::IReadFile* createHeldBytesReadFile(std::shared_ptr<const FileBytes> bytes, const std::string& name) {
    return bytes ? new HeldBytesReadFile(std::move(bytes), name) : nullptr;
}

} // namespace sorn
