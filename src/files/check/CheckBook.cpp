#include "files/check/CheckBook.h"

#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <tuple>

namespace sorn {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned kTimeFactor = 3; // instrumented loaders run about three times slower
#else
constexpr unsigned kTimeFactor = 1;
#endif

// How long a check asked to stop may take to be reported before the server
// is taken for lost.
constexpr std::chrono::seconds kCancelGrace(5);

// How long a wait that may be cancelled goes without asking whether to go on.
constexpr long long kWaitSlice = 50;

std::string programBesideThisOne() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "sorn-filecheck";
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.find_last_of('/') + 1) + "sorn-filecheck";
}

struct RunningCheck {
    size_t job = 0;
    std::uint32_t id = 0;
    std::chrono::steady_clock::time_point deadline;
    bool killedForTime = false;
};

} // namespace

bool FileIdentity::operator<(const FileIdentity& other) const {
    return std::tie(where, size, modified, kind) < std::tie(other.where, other.size, other.modified, other.kind);
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

const FileVerdict* CheckBook::knownVerdict(const FileIdentity& identity) const {
    const auto known = verdicts_.find(identity);
    return known == verdicts_.end() ? nullptr : &known->second;
}

void CheckBatch::add(const FileIdentity& identity, const std::string& path, bool inArchive, size_t position) {
    const auto pending = jobOf_.find(identity);
    if (pending != jobOf_.end()) {
        jobs_[pending->second].positions.push_back(position);
        return;
    }
    jobOf_[identity] = jobs_.size();
    jobs_.push_back({identity, path, inArchive, {position}});
}

const std::string& CheckBook::program() {
    if (program_.empty())
        program_ = programBesideThisOne();
    return program_;
}

CheckServerClient* CheckBook::readyServer() {
    if (server_ && server_->runsWith(program(), limits_.check))
        return server_.get();
    server_ = std::make_unique<CheckServerClient>();
    if (!server_->start(program(), limits_.check))
        server_.reset();
    return server_.get();
}

void CheckBook::run(CheckBatch& batch, FileCheckRequest request, std::vector<FileVerdict>& verdicts,
                    const SafeCheck& onSafe, const KeepWaiting& keepWaiting) {
    using Clock = std::chrono::steady_clock;
    std::vector<CheckJob>& jobs = batch.jobs();
    std::stable_sort(jobs.begin(), jobs.end(),
                     [](const CheckJob& a, const CheckJob& b) { return a.identity.size > b.identity.size; });
    const unsigned parallel = limits_.parallelChecks > 0 ? limits_.parallelChecks : 1;
    std::vector<RunningCheck> running;
    auto record = [&](size_t job, FileVerdict verdict) {
        // A check that could not run or was cancelled says nothing about the
        // file: asked again next time.
        if (verdict != FileVerdict::NotChecked && verdict != FileVerdict::Cancelled)
            verdicts_[jobs[job].identity] = verdict;
        for (size_t position : jobs[job].positions)
            verdicts[position] = verdict;
    };
    // The server is gone or does not answer: what it had running says
    // nothing, except that a check already out of time took too long.
    auto loseServer = [&] {
        for (const RunningCheck& check : running)
            record(check.job, check.killedForTime ? FileVerdict::TookTooLong : FileVerdict::NotChecked);
        running.clear();
        server_.reset();
    };
    CheckServerClient* server = readyServer();
    size_t next = 0;
    while (next < jobs.size() || !running.empty()) {
        while (running.size() < parallel && next < jobs.size()) {
            request.kind = jobs[next].identity.kind;
            request.path = jobs[next].path;
            const std::uint32_t id = ++lastCheckId_;
            if (server && server->send(id, request))
                running.push_back({next, id, Clock::now() + std::chrono::seconds(limits_.check.wallSeconds)});
            else
                record(next, FileVerdict::NotChecked);
            ++next;
        }
        if (running.empty())
            continue;
        auto earliest = Clock::time_point::max();
        for (const RunningCheck& check : running)
            earliest = std::min(earliest, check.deadline);
        const auto now = Clock::now();
        const long long wait =
            earliest <= now ? 0 : std::chrono::duration_cast<std::chrono::milliseconds>(earliest - now).count() + 1;
        std::vector<FileCheckEnd> ended;
        const long long longestWait = keepWaiting ? kWaitSlice : 1000LL;
        if (!server->receive(ended, static_cast<int>(std::min(wait, longestWait)))) {
            loseServer();
            server = readyServer();
            continue;
        }
        for (const FileCheckEnd& end : ended) {
            for (size_t i = 0; i < running.size(); ++i) {
                if (running[i].id != end.id)
                    continue;
                const FileVerdict verdict =
                    verdictFromWaitStatus(end.waitStatus, running[i].killedForTime, end.cpuMicroseconds / 1e6,
                                          limits_.check.cpuSeconds, end.errorText);
                if (verdict == FileVerdict::Safe && onSafe)
                    onSafe(jobs[running[i].job], end.decodedImage);
                record(running[i].job, verdict);
                running.erase(running.begin() + static_cast<long>(i));
                break;
            }
        }
        // A check out of time is stopped; one that does not end even then
        // means the server no longer answers.
        bool lost = false;
        for (RunningCheck& check : running) {
            if (Clock::now() < check.deadline)
                continue;
            if (check.killedForTime) {
                lost = true;
            } else {
                server->cancel(check.id);
                check.killedForTime = true;
                check.deadline = Clock::now() + kCancelGrace;
            }
        }
        if (lost) {
            loseServer();
            server = readyServer();
        }
        if (keepWaiting && !running.empty() &&
            !keepWaiting(next - running.size(), jobs[running.front().job].path)) {
            // The server goes with its checks (a check may wait on a file
            // that never answers); the next check starts a fresh one.
            for (const RunningCheck& check : running)
                record(check.job, FileVerdict::Cancelled);
            for (; next < jobs.size(); ++next)
                record(next, FileVerdict::Cancelled);
            running.clear();
            server_.reset();
            return;
        }
    }
}

} // namespace sorn
