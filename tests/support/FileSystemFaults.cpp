#include "support/FileSystemFaults.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "app/AtomicFile.h"
#include "support/EditorFixture.h"

extern char** environ;
namespace fs = std::filesystem;

namespace sorn {
namespace test {

bool runProgram(const std::vector<std::string>& args) {
    std::vector<std::string> storage = args;
    std::vector<char*> argv;
    for (std::string& arg : storage)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool setImmutable(const std::string& path, bool immutable) {
    return runProgram({"chattr", immutable ? "+i" : "-i", path});
}

std::vector<std::string> folderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {
std::string makeFolder() {
    std::string pattern = (fs::temp_directory_path() / "sorn-tiny-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
}
} // namespace

TinyFileSystem::TinyFileSystem(const char* size) : path_(makeFolder()) {
    mounted_ = !path_.empty() &&
               runProgram({"mount", "-t", "tmpfs", "-o", std::string("size=") + size, "tmpfs", path_});
}

TinyFileSystem::~TinyFileSystem() {
    if (mounted_)
        runProgram({"umount", path_});
    if (!path_.empty())
        ::rmdir(path_.c_str());
}

namespace {
long writeCalls = 0;
long failFrom = -1;

// The disk fills up in the middle of the failing call: half of it is
// written (a short write), the rest and every later call fail.
ssize_t faultyWrite(int fd, const void* data, size_t size, off_t offset) {
    const long call = writeCalls++;
    if (failFrom >= 0 && call > failFrom) {
        errno = ENOSPC;
        return -1;
    }
    if (failFrom >= 0 && call == failFrom) {
        size /= 2;
        if (size == 0) {
            errno = ENOSPC;
            return -1;
        }
    }
    return offset < 0 ? ::write(fd, data, size) : ::pwrite(fd, data, size, offset);
}
} // namespace

WriteFaults::WriteFaults(long failAt) {
    writeCalls = 0;
    failFrom = failAt;
    setWriteCallForTesting(faultyWrite);
}

WriteFaults::~WriteFaults() {
    setWriteCallForTesting(nullptr);
    failFrom = -1;
}

long WriteFaults::calls() {
    return writeCalls;
}

} // namespace test
} // namespace sorn
