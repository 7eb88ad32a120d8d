#include "files/check/CheckWorker.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include <string>
#include <vector>

#include <irrlicht.h>

#include "files/check/CheckedImage.h"
#include "files/check/DescriptorIo.h"
#include "files/check/FileCheckProtocol.h"

namespace sorn {

namespace {

using namespace irr;

// Loads the requested file in the request's working directory.
int checkOneFile(IrrlichtDevice* device, const CheckLimits& limits, const FileCheckRequest& request,
                 int decodedImage) {
    if (chdir(request.workingDirectory.c_str()) != 0)
        return filecheck::kUsage;
    device->getFileSystem()->changeWorkingDirectoryTo(request.workingDirectory.c_str());
    limitCpuFromNow(limits.cpuSeconds);
    return loadUntrustedFile(device, request.kind, request.path, request.archives, decodedImage);
}

// What the last load left in the engine goes, so that the next file is
// loaded as on a fresh device: a cached mesh or texture of the same name
// would otherwise be taken instead of reading the file.
void forgetLoadedFiles(IrrlichtDevice* device, u32 archivesBefore) {
    scene::ISceneManager* sceneManager = device->getSceneManager();
    sceneManager->clear();
    sceneManager->getMeshCache()->clear();
    device->getVideoDriver()->removeAllTextures();
    io::IFileSystem* fileSystem = device->getFileSystem();
    while (fileSystem->getFileArchiveCount() > archivesBefore)
        fileSystem->removeFileArchive(fileSystem->getFileArchiveCount() - 1);
}

// A fresh worker's first load costs several times a later one: each page of
// the loaders' code, of the heap that holds a decoded image and of the file
// it is handed back in is faulted in anew after the fork. The worker pays
// that while it waits for its first file, on data of its own making: an
// image of a common texture's size written and read back in the formats
// scenes use most and handed to a scratch file, and a small mesh. Its heap
// then keeps those pages for the files to come.
void warmUp(IrrlichtDevice* device) {
#if !defined(__SANITIZE_ADDRESS__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
    video::IVideoDriver* driver = device->getVideoDriver();
    io::IFileSystem* fileSystem = device->getFileSystem();
    video::IImage* image = driver->createImage(video::ECF_R8G8B8, core::dimension2d<u32>(512, 512));
    std::memset(image->lock(), 0x80, image->getImageDataSizeInBytes());
    image->unlock();
    std::vector<char> buffer(2 << 20);
    for (const char* name : {"warm-up.jpg", "warm-up.png", "warm-up.bmp", "warm-up.tga"}) {
        io::IWriteFile* out =
            fileSystem->createMemoryWriteFile(buffer.data(), static_cast<s32>(buffer.size()), name, false);
        const bool written = out && driver->writeImageToFile(image, out);
        const long size = out ? out->getPos() : 0;
        if (out)
            out->drop();
        if (!written || size <= 0)
            continue;
        io::IReadFile* in = fileSystem->createMemoryReadFile(buffer.data(), static_cast<s32>(size), name, false);
        video::IImage* decoded = in ? driver->createImageFromFile(in) : nullptr;
        if (decoded) {
            const int scratch = memfd_create("sorn-filecheck-warm-up", MFD_CLOEXEC);
            writeCheckedImage(scratch, decoded);
            if (scratch >= 0)
                close(scratch);
            decoded->drop();
        }
        if (in)
            in->drop();
    }
    image->drop();
    static const char kMesh[] = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    if (io::IReadFile* mesh = fileSystem->createMemoryReadFile(const_cast<char*>(kMesh), sizeof kMesh - 1,
                                                               "warm-up.obj", false)) {
        device->getSceneManager()->getMesh(mesh);
        mesh->drop();
    }
}

} // namespace

void runCheckWorker(IrrlichtDevice* device, const CheckLimits& limits, int channel) {
    CheckLimits whole = limits;
    whole.cpuSeconds = 0; // given file by file
    limitThisCheck(whole);
    const u32 archivesBefore = device->getFileSystem()->getFileArchiveCount();
    warmUp(device);
    forgetLoadedFiles(device, archivesBefore);
    std::string message;
    for (unsigned done = 0;; ++done) {
        int decodedImage = -1;
        if (receivePacket(channel, message, filecheck::kMaxMessage, decodedImage) <= 0)
            _exit(0); // the server is gone or lets this worker go
        FileCheckEnd end;
        FileCheckRequest request;
        const long long cpuBefore = cpuMicrosecondsUsed();
        int status = filecheck::kUsage;
        if (decodeServerMessage(message, end.id, request) == ServerMessage::Check)
            status = checkOneFile(device, limits, request, decodedImage);
        if (decodedImage >= 0)
            close(decodedImage);
        end.waitStatus = status << 8; // as the status of a process that exited with it
        end.cpuMicroseconds = cpuMicrosecondsUsed() - cpuBefore;
        if (!sendPacket(channel, encodeCheckEnd(end)) || status != filecheck::kLoaded || done + 1 >= kFilesPerWorker)
            _exit(0);
        forgetLoadedFiles(device, archivesBefore);
    }
}

} // namespace sorn
