#pragma once
// Ways to make writes fail for real, as root: an immutable file or folder,
// a tiny file system that fills up, and a write call that fails on demand.
#include <sys/types.h>

#include <string>
#include <vector>

namespace sorn {
namespace test {

// Runs a program with arguments (no shell); true when it exits with 0.
bool runProgram(const std::vector<std::string>& args);

// chattr +i / -i: not even root may then change, replace or remove the file
// (or add to or remove from the folder). False where the file system or the
// session does not allow it.
bool setImmutable(const std::string& path, bool immutable);

// The names in a folder, sorted.
std::vector<std::string> folderEntries(const std::string& folder);

// A tmpfs of the given size mounted on a fresh folder, unmounted again at the end.
class TinyFileSystem {
public:
    explicit TinyFileSystem(const char* size);
    ~TinyFileSystem();
    bool mounted() const { return mounted_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    bool mounted_ = false;
};

// Makes the writes of the editor's atomic file writer fail as a disk that
// fills up at the given call (counted from 0): that call writes half of its
// bytes, every later one fails with "no space left". failAt < 0 only counts
// the calls. The real write call is restored when destroyed.
class WriteFaults {
public:
    explicit WriteFaults(long failAt);
    ~WriteFaults();
    static long calls();
};

} // namespace test
} // namespace sorn
