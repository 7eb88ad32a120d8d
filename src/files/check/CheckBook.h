#pragma once
// The quarantine's bookkeeping: the verdicts of the run by file identity (so
// a file is checked once while it stays the same), the check server kept
// running with the current limits and program, and a batch of checks run on
// it at most so many at a time, each under a deadline. It knows files only by
// identity and path; what the engine holds already, where a file is mounted
// and what a decoded image becomes are the editor's side (files/Quarantine).
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "files/check/CheckServerClient.h"

namespace sorn {

// A file as the engine will read it: on disk by its real path, or inside a
// mounted archive by the archive and the name there.
struct FileIdentity {
    std::string where;
    long long size = 0;
    long long modified = 0; // nanoseconds
    UntrustedKind kind = UntrustedKind::Model;

    bool operator<(const FileIdentity& other) const;
};

// Limits of each check and how many run at once.
struct QuarantineLimits {
    FileCheckLimits check;
    unsigned parallelChecks = 1;
};
// 1 GiB of address space, 15 s of CPU, 20 s on the clock (three times the
// time in the sanitizer build), as many checks at once as there are
// processors, at most four.
QuarantineLimits defaultQuarantineLimits();

// One file to check and where its verdict goes in the caller's list (several
// places when the list names the same file more than once).
struct CheckJob {
    FileIdentity identity;
    std::string path; // as the check program is given it
    bool inArchive = false;
    std::vector<size_t> positions;
};

// The checks to run for one list of files, one job a distinct file.
class CheckBatch {
public:
    // Adds the file, or its position to the job that checks the same file.
    void add(const FileIdentity& identity, const std::string& path, bool inArchive, size_t position);
    std::vector<CheckJob>& jobs() { return jobs_; }

private:
    std::vector<CheckJob> jobs_;
    std::map<FileIdentity, size_t> jobOf_;
};

class CheckBook {
public:
    // The verdict of an unchanged file checked before in this run, or null.
    const FileVerdict* knownVerdict(const FileIdentity& identity) const;
    // Forgets every verdict (a fresh run).
    void forget() { verdicts_.clear(); }

    // Runs the batch, largest files first (they tend to take longest, and the
    // small ones fill in beside them), and writes each verdict to its
    // positions in verdicts. A check that could not run says nothing about
    // the file and is not kept. onSafe sees every check that passed, with the
    // image it decoded (-1 when none).
    // keepWaiting, when given, is asked at least every 50 ms while checks
    // run, with the number of files done and the path of one still checked;
    // once it says no, every check not ended is Cancelled (not kept) and the
    // server is stopped, to be started afresh for the next check.
    using SafeCheck = std::function<void(const CheckJob&, const OwnedDescriptor& decodedImage)>;
    using KeepWaiting = std::function<bool(size_t done, const std::string& checking)>;
    void run(CheckBatch& batch, FileCheckRequest shared, std::vector<FileVerdict>& verdicts,
             const SafeCheck& onSafe, const KeepWaiting& keepWaiting = nullptr);

    void setLimits(const QuarantineLimits& limits) { limits_ = limits; }
    const QuarantineLimits& limits() const { return limits_; }
    // The check program; by default "sorn-filecheck" beside the running program.
    void setProgram(const std::string& path) { program_ = path; }
    const std::string& program();

    // The check server with the current settings, started if it is not
    // running; null when it cannot be started.
    CheckServerClient* readyServer();
    // The running check server's process, or -1.
    int serverProcess() const { return server_ ? server_->process() : -1; }

private:
    std::map<FileIdentity, FileVerdict> verdicts_;
    QuarantineLimits limits_ = defaultQuarantineLimits();
    std::string program_;
    std::unique_ptr<CheckServerClient> server_;
    std::uint32_t lastCheckId_ = 0;
};

} // namespace sorn
