// The look at a game archive's structure before the engine mounts it. The
// first byte chooses the extension the user's file has (".zip", ".pk3",
// ".pak", ".npk"); the rest is the file. An archive the check passes is then
// mounted by the engine as the editor mounts it, and every small file in it
// is read: a crash or a runaway there is a bound the check misses.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/EditorState.h"
#include "files/ArchiveCheck.h"

using namespace irr;
using sorn::fuzz::require;

namespace {

const char* const kExtensions[] = {".zip", ".pk3", ".pak", ".npk"};

// Files in an archive are read only up to this size here: the check bounds
// them at what a model may be, far more than a fuzz run should unpack.
constexpr u32 kLargestEntryRead = 1 << 20;

void readEntries(io::IFileArchive* archive) {
    const io::IFileList* list = archive->getFileList();
    if (!list)
        return;
    std::vector<char> buffer;
    for (u32 i = 0; i < list->getFileCount(); ++i) {
        if (list->isDirectory(i) || list->getFileSize(i) > kLargestEntryRead)
            continue;
        io::IReadFile* entry = archive->createAndOpenFile(i);
        if (!entry)
            continue;
        const long size = entry->getSize();
        require(size >= 0 && size <= static_cast<long>(kLargestEntryRead), "an entry is as large as listed");
        buffer.resize(static_cast<size_t>(size) + 1);
        entry->read(buffer.data(), static_cast<u32>(size));
        entry->drop();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sorn::fuzz::startNullDevice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    io::IFileSystem* fileSystem = sorn::editor.device->getFileSystem();
    const std::string path = sorn::fuzz::scratchFile(std::string("archive") + kExtensions[data[0] % 4]);
    if (!sorn::fuzz::writeBytes(path, data + 1, size - 1))
        return 0;
    if (!sorn::isSoundArchive(fileSystem, path))
        return 0;
    io::IFileArchive* archive = nullptr;
    if (fileSystem->addFileArchive(path.c_str(), true, true, io::EFAT_UNKNOWN, "", &archive) && archive) {
        readEntries(archive);
        fileSystem->removeFileArchive(archive);
    }
    return 0;
}
