#pragma once
// The editor's side of the file check program: the server it keeps running,
// and the verdict on a file from the way its check ended.
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "files/check/FileCheckProtocol.h"

namespace sorn {

enum class FileVerdict {
    Safe,        // the engine loaded it in the check
    NotLoadable, // missing, or no loader made anything of it: loading it adds nothing, harmlessly
    Unreadable,  // not a regular file (folder, FIFO, device) or cannot be opened
    Crashed,     // the loader crashed
    TooLarge,    // the loader ran out of memory
    TookTooLong, // the loader ran out of CPU time or wall-clock time
    NotChecked,  // the check could not be run
    Cancelled,   // the user stopped waiting for the check
};

struct FileCheckLimits {
    unsigned memoryMegabytes = 0; // address space (sanitizer build: largest allocation)
    unsigned cpuSeconds = 0;
    unsigned wallSeconds = 0;
};

// The editor's side of the file check server: it starts the server process
// (see CheckServerProcess.h) with an argument vector (no shell) and keeps it
// running: each file to check is one request, and each check's end comes back
// with its wait status.
class CheckServerClient {
public:
    CheckServerClient() = default;
    CheckServerClient(const CheckServerClient&) = delete;
    CheckServerClient& operator=(const CheckServerClient&) = delete;
    // The server is told to go (its checks are killed) and is reaped.
    ~CheckServerClient();

    // Starts the server; false when it could not be started.
    bool start(const std::string& program, const FileCheckLimits& limits);
    // Whether it was started with these settings and is still there.
    bool runsWith(const std::string& program, const FileCheckLimits& limits);
    // Asks for a check; false when the server is gone or the request too long.
    bool send(std::uint32_t id, const FileCheckRequest& request);
    // Asks the server to kill a check; its end still comes back.
    void cancel(std::uint32_t id);
    // Waits at most the given time for checks to end and adds them to ended.
    // False once the server is gone.
    bool receive(std::vector<FileCheckEnd>& ended, int milliseconds);
    pid_t process() const { return pid_; }

private:
    pid_t pid_ = -1;
    int socket_ = -1;
    std::string program_;
    FileCheckLimits limits_;
};

// The verdict for a check program that ended with the wait status, after
// cpuSeconds of CPU time against a limit of cpuLimit, killed by the editor
// at its deadline or not, with errorText on its stderr.
FileVerdict verdictFromWaitStatus(int status, bool killedForTime, double cpuSeconds, unsigned cpuLimit,
                                  const std::string& errorText);

} // namespace sorn
