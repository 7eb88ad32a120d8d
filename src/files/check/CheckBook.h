#pragma once
// The quarantine's bookkeeping: the verdicts by file content (so a file is
// checked once while it holds the same bytes, in this run and, for verdicts
// that would come out the same again, in later runs), the check server kept
// running with the current limits and program, and the checks started on it,
// at most so many at a time, each under a deadline.
//
// A check starts as soon as the file is named (start) and never waits; the
// ends are taken whenever the book is pumped, and run waits for the checks of
// one list of files, starting those not started yet. It knows files only by
// identity, content and path; what the engine holds already, where a file is
// mounted and what a decoded image becomes are the editor's side
// (files/Quarantine).
#include <chrono>
#include <cstdint>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "files/check/CheckServerClient.h"
#include "files/check/VerdictStore.h"

namespace sorn {

// A file as the engine will read it: on disk by its real path, or inside a
// mounted archive by the archive and the name there.
struct FileIdentity {
    std::string where;
    long long size = 0;
    long long modified = 0; // nanoseconds
    UntrustedKind kind = UntrustedKind::Model;

    bool operator<(const FileIdentity& other) const;
    bool operator==(const FileIdentity& other) const;
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

// One file to check, what its verdict is kept under, and where its verdict
// goes in the caller's list (several places when the list names the same
// file more than once).
struct CheckJob {
    FileIdentity identity;
    VerdictKey key;
    std::string path; // as the check program is given it
    bool inArchive = false;
    std::vector<size_t> positions;
};

// The checks to wait for for one list of files, one job a distinct file.
class CheckBatch {
public:
    // Adds the file, or its position to the job that checks the same file.
    void add(const CheckJob& job, size_t position);
    std::vector<CheckJob>& jobs() { return jobs_; }

private:
    std::vector<CheckJob> jobs_;
    std::map<FileIdentity, size_t> jobOf_;
};

class CheckBook {
public:
    CheckBook();
    ~CheckBook();

    // The verdict of a file with this content checked before, in this run or
    // (kept) in an earlier one, or null.
    const FileVerdict* knownVerdict(const VerdictKey& key);
    // Forgets every verdict and stops the started checks (a fresh run): the
    // kept verdicts are read again when next needed.
    void forget();

    // The verdicts kept across runs: loaded by the caller once a run
    // (lastingLoaded), and the new ones since last taken, with the kept
    // ones used since (their time stamps renewed).
    VerdictStore& lasting() { return lasting_; }
    bool lastingLoaded = false;
    VerdictStore takeUnsaved();
    bool hasUnsaved() const { return !unsaved_.empty(); }

    // Whether the file still holds the content the job was keyed by; asked
    // as a check ends, before its verdict is kept. Without it, it is taken
    // to be unchanged.
    using ContentCheck = std::function<bool(const CheckJob&)>;
    void setContentCheck(ContentCheck check) { contentCheck_ = std::move(check); }

    // Starts the check of the file, unless one is started for it already:
    // sent to the server when fewer than eight times parallelChecks are out
    // there (the server runs parallelChecks at once), queued otherwise.
    // Never waits.
    void start(const CheckJob& job, const FileCheckRequest& request);
    // Takes the ends of the checks that ended, stops the ones out of time
    // and sends queued ones; waits at most the given time for an end.
    void pump(int milliseconds = 0);
    // Stops every started check (the server goes with them, to be started
    // afresh); none of their verdicts is kept.
    void stopStarted();
    // Stops the started checks and the server.
    void stopServer() {
        stopStarted();
        server_.reset();
    }
    size_t startedCount() const { return started_.size(); }

    // Waits for the checks of the batch (starting any not started), largest
    // files first among the queued, and writes each verdict to its positions
    // in verdicts. A check that could not run says nothing about the file
    // and is not kept. onSafe sees every check of the batch that passed,
    // with the image it decoded (-1 when none), as soon as it ends: also
    // when the wait is cancelled later.
    // keepWaiting, when given, is asked at least every 50 ms while checks
    // run, with the number of files done and the path of one still checked;
    // once it says no, every check not ended is Cancelled (not kept) and the
    // server is stopped, to be started afresh for the next check.
    using SafeCheck = std::function<void(const CheckJob&, const OwnedDescriptor& decodedImage)>;
    using KeepWaiting = std::function<bool(size_t done, const std::string& checking)>;
    void run(CheckBatch& batch, const FileCheckRequest& shared, std::vector<FileVerdict>& verdicts,
             const SafeCheck& onSafe, const KeepWaiting& keepWaiting = nullptr);

    void setLimits(const QuarantineLimits& limits) { limits_ = limits; }
    const QuarantineLimits& limits() const { return limits_; }
    // The check program; by default "sorn-filecheck" beside the running program.
    void setProgram(const std::string& path) { program_ = path; }
    const std::string& program();
    // The check program's content and the limits, as verdicts are kept
    // under: a rebuilt program or other limits check again.
    std::uint64_t checkerIdentity();

    // The check server with the current settings, started if it is not
    // running; null when it cannot be started.
    CheckServerClient* readyServer();
    // The running check server's process, or -1.
    int serverProcess() const { return server_ ? server_->process() : -1; }

private:
    struct Started;
    void sendQueued();
    void end(Started& check, FileVerdict verdict, bool lasting);
    void loseServer();
    void trimEnded();

    std::map<VerdictKey, FileVerdict> verdicts_;
    VerdictStore lasting_;
    VerdictStore unsaved_;
    VerdictStore used_; // kept verdicts used in this run
    ContentCheck contentCheck_;
    std::list<std::unique_ptr<Started>> started_;
    QuarantineLimits limits_ = defaultQuarantineLimits();
    std::string program_;
    std::unique_ptr<CheckServerClient> server_;
    std::uint32_t lastCheckId_ = 0;
    // The check program's identity, for the program as it was when hashed.
    std::string identityProgram_;
    long long identityProgramSize_ = -1;
    long long identityProgramTime_ = -1;
    std::uint64_t programHash_ = 0;
};

} // namespace sorn
