#pragma once
// Files served to the engine from the bytes their verdict was found for.
// When the file check hashes a file, it keeps what it read; mounted in the
// engine's file system while the engine loads what a scene names, this
// archive hands the engine those very bytes in place of the file on disk.
// So a file is read once per open, and one rewritten or replaced on disk
// between its verdict and the engine's load cannot reach the engine's
// loaders unchecked: the name still gives the bytes that were checked.
//
// Names are matched as the engine asks for them: a relative name from the
// working directory of the time (an open may move into the scene's folder
// after its files were admitted), an absolute one as it stands, both without
// "." and ".." steps. Another name of a served file through a folder link
// (the engine asks for a texture by its real path first) is known by the
// file it names now being the one that was read. Any other name opens
// nothing here, and the engine goes on to the disk as before; so do a link
// to a file under another file name, and a name through a link whose file
// was replaced by another since it was read.
#include <map>
#include <set>
#include <memory>
#include <string>

#include <irrlicht.h>

#include "files/check/ContentHash.h"

namespace sorn {

// A file as the system knows it, whatever its name.
struct FileOnDisk {
    unsigned long long device = 0;
    unsigned long long inode = 0;
    bool operator<(const FileOnDisk& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

class CheckedBytesArchive : public irr::io::IFileArchive {
public:
    explicit CheckedBytesArchive(irr::io::IFileSystem* fileSystem);
    ~CheckedBytesArchive() override;

    // Serves bytes as the file of this name from now on; file is the
    // system's identity of the file they were read from.
    void add(const std::string& name, const FileOnDisk& file, std::shared_ptr<const FileBytes> bytes);
    bool empty() const { return files_.empty(); }

    irr::io::IReadFile* createAndOpenFile(const irr::io::path& filename) override;
    irr::io::IReadFile* createAndOpenFile(irr::u32 index) override;
    // Made when first asked for: the engine's load never asks.
    const irr::io::IFileList* getFileList() const override;

private:
    const std::pair<const std::string, std::shared_ptr<const FileBytes>>* find(const std::string& name) const;

    irr::io::IFileSystem* fileSystem_;
    mutable irr::io::IFileList* list_ = nullptr;
    std::map<std::string, std::shared_ptr<const FileBytes>> files_; // by absolute name
    std::map<FileOnDisk, std::string> byFile_;                      // the absolute name each file was read by
    // The last step of every served name: a name ending otherwise (most names
    // an engine's load asks for that are not served) is answered at once.
    std::set<std::string> lastSteps_;
};

// Whether the archive is one of these (not a user's archive: it has no file
// of its own and is never handed to the check program).
bool isCheckedBytesArchive(const irr::io::IFileArchive* archive);

// A file that reads from bytes held in memory, which it shares.
irr::io::IReadFile* createHeldBytesReadFile(std::shared_ptr<const FileBytes> bytes, const std::string& name);

} // namespace sorn
