#include "files/check/CheckBook.h"

#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <tuple>

#include "files/check/ContentHash.h"

namespace sorn {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned kTimeFactor = 3; // instrumented loaders run about three times slower
#else
constexpr unsigned kTimeFactor = 1;
#endif

using Clock = std::chrono::steady_clock;

// How long a check asked to stop may take to be reported before the server
// is taken for lost; and how long past its wall-clock limit the server may
// take to stop a check itself before it is asked to.
constexpr std::chrono::seconds kCancelGrace(5);

// How many checks are sent to the server for each that runs at once: the
// server hands them to its workers as each comes free.
constexpr unsigned kSentPerParallelCheck = 8;

// How long a wait that may be cancelled goes without asking whether to go on.
constexpr long long kWaitSlice = 50;

// Ended checks nobody has asked for yet are kept for when they are; beyond
// these counts the oldest go (their verdicts stay known), and decoded images
// beyond the second count are let go (the engine decodes those files itself).
constexpr size_t kMaxEndedKept = 1024;
constexpr size_t kMaxImagesHeld = 64;

std::string programBesideThisOne() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "sorn-filecheck";
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.find_last_of('/') + 1) + "sorn-filecheck";
}

// The request for one job of a list: the list's working directory and
// archives, the job's own file.
FileCheckRequest requestFor(const CheckJob& job, const FileCheckRequest& shared) {
    FileCheckRequest request = shared;
    request.kind = job.identity.kind;
    request.path = job.path;
    request.size = job.identity.size;
    return request;
}

} // namespace

struct CheckBook::Started {
    enum class Stage { Queued, Running, Ended };
    CheckJob job;
    FileCheckRequest request;
    Stage stage = Stage::Queued;
    std::uint32_t id = 0;
    Clock::time_point deadline;
    bool killedForTime = false;
    FileVerdict verdict = FileVerdict::NotChecked;
    OwnedDescriptor decodedImage;
    std::uint64_t endOrder = 0;
    bool collecting = false; // waited for by run: stays until it is collected
};

bool FileIdentity::operator<(const FileIdentity& other) const {
    return std::tie(where, size, modified, kind) < std::tie(other.where, other.size, other.modified, other.kind);
}

bool FileIdentity::operator==(const FileIdentity& other) const {
    return !(*this < other) && !(other < *this);
}

QuarantineLimits defaultQuarantineLimits() {
    QuarantineLimits limits;
    limits.check.memoryMegabytes = 1024;
    limits.check.cpuSeconds = 15 * kTimeFactor;
    limits.check.wallSeconds = 20 * kTimeFactor;
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    limits.parallelChecks = processors < 1 ? 1 : processors > 4 ? 4 : static_cast<unsigned>(processors);
    return limits;
}

void CheckBatch::add(const CheckJob& job, size_t position) {
    const auto pending = jobOf_.find(job.identity);
    if (pending != jobOf_.end()) {
        jobs_[pending->second].positions.push_back(position);
        return;
    }
    jobOf_[job.identity] = jobs_.size();
    jobs_.push_back(job);
    jobs_.back().positions.assign(1, position);
}

CheckBook::CheckBook() = default;
CheckBook::~CheckBook() = default;

const FileVerdict* CheckBook::knownVerdict(const VerdictKey& key) {
    if (key.size < 0)
        return nullptr; // not hashed: known by nothing
    const auto known = verdicts_.find(key);
    if (known != verdicts_.end())
        return &known->second;
    const FileVerdict* kept = lasting_.find(key);
    if (!kept)
        return nullptr;
    // Used again: it stays among the newest when the store is next written
    // (an open that checked nothing new writes nothing).
    used_.put(key, *kept, static_cast<std::int64_t>(std::time(nullptr)));
    return &(verdicts_[key] = *kept);
}

void CheckBook::forget() {
    stopStarted();
    verdicts_.clear();
    lasting_.clear();
    unsaved_.clear();
    used_.clear();
    lastingLoaded = false;
    identityProgram_.clear();
}

VerdictStore CheckBook::takeUnsaved() {
    VerdictStore taken;
    std::swap(taken, unsaved_);
    taken.merge(used_);
    used_.clear();
    return taken;
}

const std::string& CheckBook::program() {
    if (program_.empty())
        program_ = programBesideThisOne();
    return program_;
}

std::uint64_t CheckBook::checkerIdentity() {
    struct stat status {};
    const std::string& path = program();
    const bool there = ::stat(path.c_str(), &status) == 0;
    const long long modified =
        there ? static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec : -1;
    if (path != identityProgram_ || !there || status.st_size != identityProgramSize_ ||
        modified != identityProgramTime_) {
        long long size = 0;
        if (!there || !hashFile(path, programHash_, size))
            programHash_ = hashBytes(path.data(), path.size()); // it cannot run: nothing is kept anyway
        identityProgram_ = there ? path : std::string();
        identityProgramSize_ = there ? status.st_size : -1;
        identityProgramTime_ = modified;
    }
    const std::uint64_t limits[] = {programHash_, limits_.check.memoryMegabytes, limits_.check.cpuSeconds,
                                    limits_.check.wallSeconds};
    return hashBytes(limits, sizeof limits);
}

CheckServerClient* CheckBook::readyServer() {
    if (server_ && server_->runsWith(program(), limits_.check))
        return server_.get();
    server_ = std::make_unique<CheckServerClient>();
    if (!server_->start(program(), limits_.check))
        server_.reset();
    return server_.get();
}

void CheckBook::start(const CheckJob& job, const FileCheckRequest& request) {
    for (const auto& check : started_)
        if (check->job.identity == job.identity && check->job.key == job.key && check->stage != Started::Stage::Ended)
            return;
    auto check = std::make_unique<Started>();
    check->job = job;
    check->request = requestFor(job, request);
    started_.push_back(std::move(check));
    pump(0);
}

void CheckBook::end(Started& check, FileVerdict verdict, bool lasting) {
    static std::uint64_t endOrder = 0;
    check.stage = Started::Stage::Ended;
    check.endOrder = ++endOrder;
    // A check that could not run or was cancelled says nothing about the
    // file: asked again next time. Nor does one of a file that changed while
    // it ran: what it read is not known.
    if (verdict != FileVerdict::NotChecked && verdict != FileVerdict::Cancelled && contentCheck_ &&
        !contentCheck_(check.job))
        verdict = FileVerdict::NotChecked;
    check.verdict = verdict;
    if (verdict != FileVerdict::Safe)
        check.decodedImage = OwnedDescriptor();
    if (verdict == FileVerdict::NotChecked || verdict == FileVerdict::Cancelled || check.job.key.size < 0)
        return;
    verdicts_[check.job.key] = verdict;
    if (lasting && isLastingVerdict(verdict)) {
        const auto now = static_cast<std::int64_t>(std::time(nullptr));
        lasting_.put(check.job.key, verdict, now);
        unsaved_.put(check.job.key, verdict, now);
    }
}

// The server is gone or does not answer: what it had running says nothing,
// except that a check already out of time took too long.
void CheckBook::loseServer() {
    for (auto& check : started_)
        if (check->stage == Started::Stage::Running)
            end(*check, check->killedForTime ? FileVerdict::TookTooLong : FileVerdict::NotChecked, false);
    server_.reset();
}

// The checks started are sent together (up to a bound), to wait at the
// server for a worker to be free: a worker then goes straight from one file
// to the next, without waiting for the editor to hear of the first. The
// server stops a check at its wall-clock limit, counted from when a worker
// takes it; the deadline here only finds a server that no longer answers,
// and counts the turns the check may wait behind those sent before it.
void CheckBook::sendQueued() {
    const unsigned parallel = limits_.parallelChecks > 0 ? limits_.parallelChecks : 1;
    size_t running = 0;
    for (const auto& check : started_)
        running += check->stage == Started::Stage::Running ? 1 : 0;
    while (running < kSentPerParallelCheck * parallel) {
        // The largest file first: it tends to take longest, and the small
        // ones fill in beside it.
        Started* next = nullptr;
        for (const auto& check : started_)
            if (check->stage == Started::Stage::Queued && (!next || check->job.identity.size > next->job.identity.size))
                next = check.get();
        if (!next)
            return;
        CheckServerClient* server = readyServer();
        next->id = ++lastCheckId_;
        if (server && server->send(next->id, next->request)) {
            next->stage = Started::Stage::Running;
            const auto turns = static_cast<unsigned>(running / parallel) + 1;
            next->deadline = Clock::now() + turns * std::chrono::seconds(limits_.check.wallSeconds) + kCancelGrace;
            ++running;
        } else {
            end(*next, FileVerdict::NotChecked, false);
        }
    }
}

void CheckBook::trimEnded() {
    size_t ended = 0, images = 0;
    for (auto it = started_.rbegin(); it != started_.rend(); ++it) {
        Started& check = **it;
        if (check.stage != Started::Stage::Ended || check.collecting)
            continue;
        if (check.decodedImage.get() >= 0 && ++images > kMaxImagesHeld)
            check.decodedImage = OwnedDescriptor();
        ++ended;
    }
    while (ended > kMaxEndedKept) {
        const auto oldest = std::min_element(started_.begin(), started_.end(), [](const auto& a, const auto& b) {
            const bool aEnded = a->stage == Started::Stage::Ended && !a->collecting;
            const bool bEnded = b->stage == Started::Stage::Ended && !b->collecting;
            return aEnded != bEnded ? aEnded : a->endOrder < b->endOrder;
        });
        started_.erase(oldest);
        --ended;
    }
}

void CheckBook::pump(int milliseconds) {
    sendQueued();
    auto earliest = Clock::time_point::max();
    for (const auto& check : started_)
        if (check->stage == Started::Stage::Running)
            earliest = std::min(earliest, check->deadline);
    if (earliest == Clock::time_point::max())
        return;
    const auto now = Clock::now();
    const long long untilDeadline =
        earliest <= now ? 0 : std::chrono::duration_cast<std::chrono::milliseconds>(earliest - now).count() + 1;
    std::vector<FileCheckEnd> ended;
    if (!server_ || !server_->receive(ended, static_cast<int>(std::min<long long>(untilDeadline, milliseconds)))) {
        loseServer();
        sendQueued();
        return;
    }
    for (FileCheckEnd& report : ended) {
        for (auto& check : started_) {
            if (check->stage != Started::Stage::Running || check->id != report.id)
                continue;
            const bool outOfTime = check->killedForTime || report.outOfTime;
            const FileVerdict verdict = verdictFromWaitStatus(report.waitStatus, outOfTime, report.cpuMicroseconds / 1e6,
                                                              limits_.check.cpuSeconds, report.errorText);
            // What the machine's load or memory decided (the wall clock, the
            // system's out-of-memory killer) is not kept beyond the run.
            const bool killed = WIFSIGNALED(report.waitStatus) && WTERMSIG(report.waitStatus) == SIGKILL;
            const bool lasting = !outOfTime && !(killed && verdict != FileVerdict::TookTooLong);
            if (verdict == FileVerdict::Safe)
                check->decodedImage = std::move(report.decodedImage);
            end(*check, verdict, lasting);
            break;
        }
    }
    // A check out of time is stopped; one that does not end even then means
    // the server no longer answers.
    bool lost = false;
    for (auto& check : started_) {
        if (check->stage != Started::Stage::Running || Clock::now() < check->deadline)
            continue;
        if (check->killedForTime) {
            lost = true;
        } else {
            server_->cancel(check->id);
            check->killedForTime = true;
            check->deadline = Clock::now() + kCancelGrace;
        }
    }
    if (lost)
        loseServer();
    sendQueued();
    trimEnded();
}

void CheckBook::stopStarted() {
    bool running = false;
    for (const auto& check : started_)
        running = running || check->stage == Started::Stage::Running;
    // The server goes with its checks (a check may wait on a file that never
    // answers); the next check starts a fresh one.
    if (running)
        server_.reset();
    started_.clear();
}

void CheckBook::run(CheckBatch& batch, const FileCheckRequest& shared, std::vector<FileVerdict>& verdicts,
                    const SafeCheck& onSafe, const KeepWaiting& keepWaiting) {
    std::vector<CheckJob>& jobs = batch.jobs();
    // The started check of each job: one already started for the same file
    // and content, else one started now.
    std::vector<Started*> wanted(jobs.size(), nullptr);
    for (size_t i = 0; i < jobs.size(); ++i) {
        // An ended check that could not run is tried again.
        for (auto& check : started_)
            if (check->job.identity == jobs[i].identity && check->job.key == jobs[i].key &&
                (check->stage != Started::Stage::Ended ||
                 (check->verdict != FileVerdict::NotChecked && check->verdict != FileVerdict::Cancelled)))
                wanted[i] = check.get();
        if (!wanted[i]) {
            auto check = std::make_unique<Started>();
            check->job = jobs[i];
            check->request = requestFor(jobs[i], shared);
            started_.push_back(std::move(check));
            wanted[i] = started_.back().get();
        }
        wanted[i]->collecting = true;
    }
    const long long slice = keepWaiting ? kWaitSlice : 1000LL;
    // A safe file's decoded image is taken in as its check ends, while the
    // others still run.
    std::vector<bool> taken(jobs.size(), false);
    for (;;) {
        size_t done = 0;
        const Started* checking = nullptr;
        for (size_t i = 0; i < jobs.size(); ++i) {
            Started* check = wanted[i];
            if (check->stage == Started::Stage::Ended) {
                ++done;
                if (!taken[i] && check->verdict == FileVerdict::Safe && onSafe) {
                    onSafe(jobs[i], check->decodedImage);
                    check->decodedImage = OwnedDescriptor();
                }
                taken[i] = true;
            } else if (!checking || check->stage == Started::Stage::Running) {
                checking = check;
            }
        }
        if (!checking)
            break;
        pump(static_cast<int>(slice));
        if (keepWaiting && !keepWaiting(done, checking->job.path)) {
            for (size_t i = 0; i < jobs.size(); ++i)
                if (wanted[i]->stage != Started::Stage::Ended)
                    for (size_t position : jobs[i].positions)
                        verdicts[position] = FileVerdict::Cancelled;
            for (size_t i = 0; i < jobs.size(); ++i)
                if (wanted[i]->stage == Started::Stage::Ended)
                    for (size_t position : jobs[i].positions)
                        verdicts[position] = wanted[i]->verdict;
            stopStarted();
            return;
        }
    }
    for (size_t i = 0; i < jobs.size(); ++i)
        for (size_t position : jobs[i].positions)
            verdicts[position] = wanted[i]->verdict;
    // Collected: their verdicts are known by content from here on.
    started_.remove_if([&](const std::unique_ptr<Started>& check) {
        return std::find(wanted.begin(), wanted.end(), check.get()) != wanted.end();
    });
}

} // namespace sorn
