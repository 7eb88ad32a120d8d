#include "files/VerdictCacheFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "app/AtomicFile.h"
#include "app/DataLocation.h"

namespace sorn {

namespace {

std::string& chosenFolder() {
    static std::string folder;
    return folder;
}

std::string cacheFile(const std::string& folder) {
    return folder + "/verdicts";
}

// Makes the folder and any missing parent, each readable by the user only.
bool makeFolder(const std::string& folder) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat status {};
    return ::stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Holds the lock beside the cache file; another editor holding it is waited
// for a short while (it holds it for one read and write), then given up.
class CacheLock {
public:
    explicit CacheLock(const std::string& folder) {
        fd_ = ::open((folder + "/verdicts.lock").c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        for (int attempt = 0; fd_ >= 0 && attempt < 200; ++attempt) {
            if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
                held_ = true;
                return;
            }
            if (errno != EWOULDBLOCK && errno != EINTR)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~CacheLock() {
        if (fd_ >= 0)
            ::close(fd_); // releases the lock
    }
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = false;
};

} // namespace

std::string verdictCacheFolder() {
    return chosenFolder().empty() ? userCacheFolder() : chosenFolder();
}

void setVerdictCacheFolder(const std::string& folder) {
    chosenFolder() = folder;
}

bool readVerdictCache(const std::string& folder, VerdictStore& store) {
    store.clear();
    if (folder.empty())
        return false;
    // Not blocking on a FIFO, no more than a store can hold.
    const int fd = ::open(cacheFile(folder).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status {};
    std::string bytes;
    bool whole = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                 static_cast<unsigned long long>(status.st_size) <= VerdictStore::kMaxFileBytes;
    if (whole) {
        bytes.resize(static_cast<size_t>(status.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t count = ::read(fd, &bytes[got], bytes.size() - got);
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                break;
            got += static_cast<size_t>(count);
        }
        whole = got == bytes.size();
    }
    ::close(fd);
    return whole && store.decode(bytes);
}

bool writeVerdictCache(const std::string& folder, const VerdictStore& verdicts) {
    if (folder.empty() || !makeFolder(folder))
        return false;
    CacheLock lock(folder);
    if (!lock.held())
        return false;
    VerdictStore merged;
    readVerdictCache(folder, merged);
    merged.merge(verdicts);
    const std::string bytes = merged.encode();
    // The open waits for this write: it is not flushed to disk. A cache torn
    // by a crash reads back as damaged, and its files are checked again.
    AtomicFile file(cacheFile(folder));
    file.skipFlushToDisk();
    return file.create() && file.write(bytes.data(), bytes.size()) && file.commit();
}

} // namespace sorn
