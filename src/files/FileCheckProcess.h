#pragma once
// One run of the file check program: started ahead of time with an argument
// vector (no shell), handed its file, watched against a wall-clock deadline,
// and its end turned into a verdict on the file.
#include <sys/resource.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

#include "files/FileCheck.h"

namespace sorn {

enum class FileVerdict {
    Safe,        // the engine loaded it in the check
    NotLoadable, // missing, or no loader made anything of it: loading it adds nothing, harmlessly
    Unreadable,  // not a regular file (folder, FIFO, device) or cannot be opened
    Crashed,     // the loader crashed
    TooLarge,    // the loader ran out of memory
    TookTooLong, // the loader ran out of CPU time or wall-clock time
    NotChecked,  // the check program could not be started
};

struct FileCheckLimits {
    unsigned memoryMegabytes = 0; // address space (sanitizer build: largest allocation)
    unsigned cpuSeconds = 0;
    unsigned wallSeconds = 0;
};

// The file to load, sent to a prepared check program.
struct FileCheckRequest {
    std::vector<std::string> archives; // mounted archives, in the engine's search order
    UntrustedKind kind = UntrustedKind::Model;
    std::string path;
};

class FileCheckProcess {
public:
    FileCheckProcess() = default;
    FileCheckProcess(const FileCheckProcess&) = delete;
    FileCheckProcess& operator=(const FileCheckProcess&) = delete;
    // A check still running is killed and reaped.
    ~FileCheckProcess();

    // Starts the program ahead of time: it loads its libraries and makes its
    // engine device, then waits for the request. False when it could not be
    // started.
    bool prepare(const std::string& program, const FileCheckLimits& limits);
    // Whether this prepared program was started with these settings and still waits.
    bool waitsWith(const std::string& program, const FileCheckLimits& limits);
    // Hands the prepared program its file; the wall clock starts now. False
    // when the program is gone (verdict NotChecked).
    bool send(const FileCheckRequest& request);
    // Reaps the process without blocking; kills it once its deadline has
    // passed. True once the verdict is known.
    bool finished();
    FileVerdict verdict() const { return verdict_; }

    // Blocks until one of the checks may have ended or reached its deadline.
    static void waitForAny(const std::vector<FileCheckProcess*>& running);

private:
    void collect(int status, const rusage& usage);

    pid_t pid_ = -1;
    int requestOutput_ = -1; // the program's standard input, until the request is sent
    std::string program_;
    FileCheckLimits limits_;
    int exitWatch_ = -1;   // a descriptor that becomes readable when the process ends
    int errorOutput_ = -1; // what the program wrote on stderr (sanitizer reports)
    unsigned cpuLimit_ = 0;
    bool killedForTime_ = false;
    std::chrono::steady_clock::time_point deadline_;
    FileVerdict verdict_ = FileVerdict::NotChecked;
};

// The verdict for a check program that ended with the wait status, after
// cpuSeconds of CPU time against a limit of cpuLimit, killed by the editor
// at its deadline or not, with errorText on its stderr.
FileVerdict verdictFromWaitStatus(int status, bool killedForTime, double cpuSeconds, unsigned cpuLimit,
                                  const std::string& errorText);

} // namespace sorn
