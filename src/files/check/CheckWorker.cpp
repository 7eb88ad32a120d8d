#include "files/check/CheckWorker.h"

#include <unistd.h>

#include <string>

#include <irrlicht.h>

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

} // namespace

void runCheckWorker(IrrlichtDevice* device, const CheckLimits& limits, int channel) {
    CheckLimits whole = limits;
    whole.cpuSeconds = 0; // given file by file
    limitThisCheck(whole);
    const u32 archivesBefore = device->getFileSystem()->getFileArchiveCount();
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
