#include "files/check/CheckServerProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <list>
#include <vector>

#include <irrlicht.h>

#include "files/check/CheckWorker.h"
#include "files/check/DescriptorIo.h"
#include "files/check/FileCheckProtocol.h"

namespace sorn {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEditor = 0; // the socket to the editor
// A worker's answer is a check end without error text.
constexpr size_t kLargestAnswer = 256;

// A check asked for and not yet reported.
struct Job {
    std::uint32_t id = 0;
    std::string message; // the editor's request, as the worker is handed it
    UntrustedKind kind = UntrustedKind::Model;
    std::int64_t size = 0; // the file's, as the editor found it
    bool cancelled = false;
    bool outOfTime = false;   // killed at its wall-clock limit
    bool handedAgain = false; // its first worker could not be reached
    // Its worker had loaded other files before and did not load this one:
    // the file is checked again by a worker that loads nothing else first,
    // so that what an earlier file left behind is never blamed on it.
    bool needsFreshWorker = false;
};

struct Worker {
    pid_t pid = -1;
    int channel = -1;
    int exitWatch = -1;    // readable once the worker has ended (-1: polled for)
    int errorOutput = -1;  // what the worker writes on stderr
    int decodedImage = -1; // the running image check's decoded image
    unsigned filesDone = 0;
    bool retiring = false; // ends by itself after its last answer
    bool busy = false;
    Clock::time_point deadline; // of the file it was handed, when the clock is limited
    Job job;
};

class CheckServer {
public:
    CheckServer(irr::IrrlichtDevice* device, const CheckLimits& limits) : device_(device), limits_(limits) {
        const long processors = sysconf(_SC_NPROCESSORS_ONLN);
        spares_ = processors < 1 ? 1u : processors > 4 ? 4u : static_cast<unsigned>(processors);
    }
    ~CheckServer();
    void serve();

private:
    Worker* startWorker();
    void keepSpares();
    void dispatch();
    void hand(Worker& worker, Job job);
    void takeAnswer(Worker& worker);
    void reapEnded();
    int millisecondsToNextDeadline() const;
    void stopChecksOutOfTime();
    void takeEditorMessage(const std::string& message);
    bool takeEditorMessages();
    void report(const Job& job, int waitStatus, std::int64_t cpuMicroseconds, const Worker& worker, bool loaded);
    void closeDescriptors(Worker& worker);

    irr::IrrlichtDevice* device_;
    CheckLimits limits_;
    unsigned spares_ = 1;
    // Workers that ended before they answered anything, one after another:
    // past a few, none is made ahead of time (a limit no worker can live
    // under would have them forked without end); a check still gets one.
    unsigned lostUnused_ = 0;
    std::list<Worker> workers_;
    std::deque<Job> waiting_;
};

// A check that could not be run ends at once, as a program that could not
// be run would.
void reportNotRun(std::uint32_t id) {
    FileCheckEnd end;
    end.id = id;
    end.waitStatus = filecheck::kUsage << 8;
    sendPacket(kEditor, encodeCheckEnd(end));
}

// What the worker wrote on stderr since it was last handed a file.
std::string readErrorOutput(int fd) {
    if (fd < 0)
        return std::string();
    std::string text(filecheck::kMaxErrorText, '\0');
    const ssize_t count = pread(fd, &text[0], text.size(), 0);
    text.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return text;
}

// The decoded image of a check that loaded its file, when it wrote one.
int decodedImageToSend(const Worker& worker, bool loaded) {
    struct stat written {};
    if (worker.decodedImage < 0 || !loaded || fstat(worker.decodedImage, &written) != 0 || written.st_size == 0)
        return -1;
    return worker.decodedImage;
}

void CheckServer::closeDescriptors(Worker& worker) {
    for (int* fd : {&worker.channel, &worker.exitWatch, &worker.errorOutput, &worker.decodedImage})
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
}

CheckServer::~CheckServer() {
    for (Worker& worker : workers_) {
        kill(worker.pid, SIGKILL);
        waitpid(worker.pid, nullptr, 0);
        closeDescriptors(worker);
    }
}

// Forks a worker from this process, whose engine device is made already.
Worker* CheckServer::startWorker() {
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return nullptr;
    Worker worker;
    worker.channel = ends[0];
    worker.errorOutput = memfd_create("sorn-filecheck-stderr", MFD_CLOEXEC);
    const pid_t server = getpid();
    worker.pid = fork();
    if (worker.pid == 0) {
        // A worker blocked on a read uses no CPU time: it must not outlive
        // the server that would stop it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != server)
            _exit(filecheck::kUsage);
        close(kEditor);
        close(ends[0]);
        // Another worker's files are none of this one's business.
        for (Worker& other : workers_)
            closeDescriptors(other);
        if (worker.errorOutput >= 0) {
            dup2(worker.errorOutput, 2);
            close(worker.errorOutput);
        }
        runCheckWorker(device_, limits_, ends[1]);
    }
    close(ends[1]);
    if (worker.pid < 0) {
        closeDescriptors(worker);
        return nullptr;
    }
    worker.exitWatch = static_cast<int>(syscall(SYS_pidfd_open, worker.pid, 0));
    workers_.push_back(worker);
    return &workers_.back();
}

// Workers are made while nothing is being checked, one a processor, so
// that the next checks find them ready and no fork slows a check running.
void CheckServer::keepSpares() {
    constexpr unsigned kMostLostUnused = 3;
    if (lostUnused_ >= kMostLostUnused)
        return;
    unsigned staying = 0;
    for (const Worker& worker : workers_) {
        if (worker.busy)
            return;
        staying += worker.retiring ? 0 : 1;
    }
    while (staying < spares_ && waiting_.empty() && startWorker())
        ++staying;
}

void CheckServer::hand(Worker& worker, Job job) {
    if (job.kind == UntrustedKind::Image)
        // Sealable, so that the editor can map it rather than copy it.
        worker.decodedImage = memfd_create("sorn-filecheck-image", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    // The worker's stderr holds what this file's load writes, from its start.
    if (worker.errorOutput >= 0) {
        if (ftruncate(worker.errorOutput, 0) != 0) {
        }
        lseek(worker.errorOutput, 0, SEEK_SET);
    }
    worker.job = std::move(job);
    if (sendPacket(worker.channel, worker.job.message, worker.decodedImage)) {
        worker.busy = true;
        // The check's time runs from here, not from when the editor asked:
        // one that waited for a worker still gets the whole of it.
        worker.deadline = Clock::now() + std::chrono::seconds(limits_.wallSeconds);
        return;
    }
    // A worker that cannot be reached (it ended before it was reaped) is let
    // go, and the file goes to another once; after that it is reported as a
    // check that could not run: nothing is known of it.
    kill(worker.pid, SIGKILL);
    worker.retiring = true;
    if (worker.job.handedAgain) {
        reportNotRun(worker.job.id);
        return;
    }
    worker.job.handedAgain = true;
    waiting_.push_front(std::move(worker.job));
}

// Each waiting check goes to an idle worker (one that has loaded nothing
// when it must), else to a worker made for it while fewer than one a
// processor are at work (the editor runs as many checks at once, and sends
// as many more to wait here); else it waits for the next worker to be free.
void CheckServer::dispatch() {
    while (!waiting_.empty()) {
        // The largest file first (the earliest asked among equals): the long
        // loads start early and the short ones fill in beside them.
        const auto next = std::max_element(waiting_.begin(), waiting_.end(),
                                           [](const Job& a, const Job& b) { return a.size < b.size; });
        Job& job = *next;
        Worker* chosen = nullptr;
        unsigned working = 0;
        for (Worker& worker : workers_) {
            working += worker.retiring ? 0 : 1;
            if (worker.busy || worker.retiring || (job.needsFreshWorker && worker.filesDone > 0))
                continue;
            if (!chosen || worker.filesDone > chosen->filesDone)
                chosen = &worker; // a used worker first: the fresh ones stay for files that need them
        }
        if (!chosen && working >= spares_ && !job.needsFreshWorker)
            return;
        if (!chosen)
            chosen = startWorker();
        if (!chosen) {
            // Nothing can be forked: reported as a check that could not run.
            reportNotRun(job.id);
            waiting_.erase(next);
            continue;
        }
        Job taken = std::move(job);
        waiting_.erase(next);
        hand(*chosen, std::move(taken));
    }
}

void CheckServer::report(const Job& job, int waitStatus, std::int64_t cpuMicroseconds, const Worker& worker,
                         bool loaded) {
    FileCheckEnd end;
    end.id = job.id;
    end.waitStatus = waitStatus;
    end.cpuMicroseconds = cpuMicroseconds;
    end.outOfTime = job.outOfTime;
    end.errorText = readErrorOutput(worker.errorOutput);
    sendPacket(kEditor, encodeCheckEnd(end), decodedImageToSend(worker, loaded));
}

// A worker's answer for the file it was handed.
void CheckServer::takeAnswer(Worker& worker) {
    std::string message;
    int stray = -1;
    const ssize_t count = receivePacket(worker.channel, message, kLargestAnswer, stray, MSG_DONTWAIT);
    if (stray >= 0)
        close(stray);
    FileCheckEnd answer;
    if (count <= 0 || !worker.busy || !decodeCheckEnd(message, answer) || answer.id != worker.job.id)
        return;
    const bool loaded = WIFEXITED(answer.waitStatus) && WEXITSTATUS(answer.waitStatus) == filecheck::kLoaded;
    worker.busy = false;
    lostUnused_ = 0;
    if (!loaded || worker.filesDone + 1 >= kFilesPerWorker)
        worker.retiring = true; // it ends by itself
    if (!loaded && worker.filesDone > 0 && !worker.job.cancelled && !worker.job.outOfTime) {
        worker.job.needsFreshWorker = true;
        waiting_.push_back(std::move(worker.job));
    } else {
        report(worker.job, answer.waitStatus, answer.cpuMicroseconds, worker, loaded);
    }
    ++worker.filesDone;
    if (worker.decodedImage >= 0) {
        close(worker.decodedImage);
        worker.decodedImage = -1;
    }
}

// Reaps the workers that have ended. One that ended while it loaded a file
// reports that file's end, as a one-off check would; unless it had loaded
// other files first, when the file is checked again by a fresh worker.
void CheckServer::reapEnded() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        Worker& worker = *it;
        int status = 0;
        rusage usage{};
        const pid_t ended = wait4(worker.pid, &status, WNOHANG, &usage);
        if (ended == 0 || (ended < 0 && errno == EINTR)) {
            ++it;
            continue;
        }
        takeAnswer(worker); // an answer sent just before the end still counts
        if (!worker.busy && worker.filesDone == 0)
            ++lostUnused_;
        if (worker.busy) {
            if (worker.filesDone > 0 && !worker.job.cancelled && !worker.job.outOfTime) {
                worker.job.needsFreshWorker = true;
                waiting_.push_back(std::move(worker.job));
            } else {
                const std::int64_t cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL +
                                         usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
                report(worker.job, ended > 0 ? status : filecheck::kUsage << 8, cpu, worker,
                       ended > 0 && WIFEXITED(status) && WEXITSTATUS(status) == filecheck::kLoaded);
            }
        }
        closeDescriptors(worker);
        it = workers_.erase(it);
    }
}

void CheckServer::takeEditorMessage(const std::string& message) {
    std::uint32_t id = 0;
    FileCheckRequest request;
    switch (decodeServerMessage(message, id, request)) {
    case ServerMessage::Check: {
        Job job;
        job.id = id;
        job.message = message;
        job.kind = request.kind;
        job.size = request.size;
        waiting_.push_back(std::move(job));
        break;
    }
    case ServerMessage::Cancel:
        for (auto it = waiting_.begin(); it != waiting_.end(); ++it)
            if (it->id == id) {
                FileCheckEnd end;
                end.id = id;
                end.waitStatus = SIGKILL; // as a check killed before it loaded anything
                sendPacket(kEditor, encodeCheckEnd(end));
                waiting_.erase(it);
                return;
            }
        for (Worker& worker : workers_)
            if (worker.busy && worker.job.id == id) {
                worker.job.cancelled = true;
                kill(worker.pid, SIGKILL);
            }
        break;
    case ServerMessage::Malformed:
        reportNotRun(id);
        break;
    }
}

void CheckServer::serve() {
    for (;;) {
        dispatch();
        keepSpares();
        std::vector<pollfd> watches = {{kEditor, POLLIN, 0}};
        bool allWatched = true;
        bool endSeen = false;
        for (const Worker& worker : workers_) {
            watches.push_back({worker.channel, POLLIN, 0});
            if (worker.exitWatch >= 0)
                watches.push_back({worker.exitWatch, POLLIN, 0});
            else
                allWatched = false;
        }
        // Without a process descriptor (an old kernel) an end is polled for.
        int timeout = millisecondsToNextDeadline();
        if (!allWatched)
            timeout = timeout < 0 ? 2 : std::min(timeout, 2);
        if (poll(watches.data(), watches.size(), timeout) < 0 && errno != EINTR)
            break;
        stopChecksOutOfTime();
        size_t at = 1;
        for (Worker& worker : workers_) {
            const pollfd& channel = watches[at++];
            if (channel.revents & POLLIN)
                takeAnswer(worker);
            endSeen = endSeen || (channel.revents & (POLLHUP | POLLERR));
            if (worker.exitWatch >= 0)
                endSeen = endSeen || watches[at++].revents;
        }
        if (endSeen || !allWatched)
            reapEnded();
        if ((watches[0].revents & (POLLIN | POLLHUP | POLLERR)) && !takeEditorMessages())
            break; // the editor went away
    }
}

// How long until the first running check is out of time; -1 when none can be.
int CheckServer::millisecondsToNextDeadline() const {
    if (limits_.wallSeconds == 0)
        return -1;
    int nearest = -1;
    const Clock::time_point now = Clock::now();
    for (const Worker& worker : workers_) {
        if (!worker.busy || worker.job.outOfTime || worker.job.cancelled)
            continue;
        const long long left =
            worker.deadline <= now
                ? 0
                : std::chrono::duration_cast<std::chrono::milliseconds>(worker.deadline - now).count() + 1;
        const int bounded = static_cast<int>(std::min<long long>(left, 60 * 60 * 1000));
        nearest = nearest < 0 ? bounded : std::min(nearest, bounded);
    }
    return nearest;
}

// A check past its wall-clock limit is killed; its end is reported as out of
// time when its worker is reaped, and its file is not checked again.
void CheckServer::stopChecksOutOfTime() {
    if (limits_.wallSeconds == 0)
        return;
    const Clock::time_point now = Clock::now();
    for (Worker& worker : workers_)
        if (worker.busy && !worker.job.outOfTime && !worker.job.cancelled && now >= worker.deadline) {
            worker.job.outOfTime = true;
            worker.retiring = true;
            kill(worker.pid, SIGKILL);
        }
}

// Every message the editor has sent, so that the checks an open starts
// together are handed out together. False once the editor is gone.
bool CheckServer::takeEditorMessages() {
    std::string message;
    for (;;) {
        int stray = -1;
        const ssize_t count = receivePacket(kEditor, message, filecheck::kMaxMessage, stray, MSG_DONTWAIT);
        const int error = errno;
        if (stray >= 0)
            close(stray);
        if (count < 0)
            return error == EINTR || error == EAGAIN || error == EWOULDBLOCK;
        if (count == 0)
            return false;
        takeEditorMessage(message);
    }
}

} // namespace

int serveFileChecks(const CheckLimits& limits) {
    // The server's own life is not limited: each worker sets its limits.
    irr::IrrlichtDevice* device = createCheckDevice();
    if (!device)
        return filecheck::kUsage;
    {
        CheckServer server(device, limits);
        server.serve();
    }
    device->drop();
    return 0;
}

} // namespace sorn
