#include "files/FileRefusal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/PathText.h"

namespace sorn {

using namespace irr;

std::string systemReason(int error) {
    char buffer[256] = {};
    // The GNU strerror_r returns its text, which may or may not be buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return text ? text : std::string();
}

FileRefusal readableFileRefusal(io::IFileSystem* fileSystem, const std::string& path) {
    FileRefusal result;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        const int error = errno;
        if (error != ENOENT && error != ENOTDIR)
            return {SceneRefusal::NoAccess, systemReason(error)};
        // Mounted archives serve files by name.
        if (!fileSystem || !fileSystem->existFile(path.c_str()))
            return {SceneRefusal::Missing, ""};
        return result;
    }
    if (!S_ISREG(status.st_mode))
        return {SceneRefusal::NotAFile, ""};
    // Opened without blocking: a file that changed into a pipe since the
    // stat must not hold the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {SceneRefusal::NoAccess, systemReason(errno)};
    ::close(fd);
    return result;
}

bool meshLoaderTakes(scene::ISceneManager* sceneManager, const std::string& path) {
    if (!sceneManager)
        return false;
    for (u32 i = 0; i < sceneManager->getMeshLoaderCount(); ++i)
        if (sceneManager->getMeshLoader(i)->isALoadableFileExtension(path.c_str()))
            return true;
    return false;
}

bool imageLoaderTakes(video::IVideoDriver* driver, const std::string& path) {
    if (!driver)
        return false;
    for (u32 i = 0; i < driver->getImageLoaderCount(); ++i)
        if (driver->getImageLoader(i)->isALoadableFileExtension(path.c_str()))
            return true;
    return false;
}

FileRefusal noLoaderFor(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string extension = fileExtension(name);
    return {SceneRefusal::NoLoader, extension.empty() ? name : extension};
}

} // namespace sorn
