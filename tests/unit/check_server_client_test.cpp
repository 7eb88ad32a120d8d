// The file check server: its messages, checks stopped on request, and no
// check outliving the server or the editor.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "files/check/FileCheckProtocol.h"
#include "files/check/DescriptorIo.h"
#include "files/check/CheckBook.h"
#include "files/check/CheckServerClient.h"
#include "app/EditorState.h"
#include "app/WorkProgress.h"
#include "files/Quarantine.h"
#include "files/VerdictCacheFile.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"

using sorn::FileCheckEnd;
using sorn::FileCheckRequest;
using sorn::ServerMessage;
using sorn::UntrustedKind;
using sorn::test::writeFile;

namespace {

const std::string kProgram = std::string(SORN_RUNTIME_DIR) + "/sorn-filecheck";
const std::string kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

TEST(FileCheckProtocol, RequestsComeThroughWhole) {
    const FileCheckRequest requests[] = {
        {"/work", {}, UntrustedKind::Model, "room.3ds", 5508},
        {"/a b/c", {"/maps/map.pk3", "/x/y z.zip"}, UntrustedKind::Image, "textures/wall.jpg", 0},
        {"/", {""}, UntrustedKind::HeightMap, "--serve", 5000000000LL}, // past 32 bits
        {"/d\xc3\xa9j\xc3\xa0", {}, UntrustedKind::Model, "line\nbreak \xe2\x82\xac.obj", 1},
    };
    std::uint32_t id = 0xFFFFFFF0u;
    for (const FileCheckRequest& request : requests) {
        std::uint32_t decodedId = 0;
        FileCheckRequest decoded;
        ASSERT_EQ(sorn::decodeServerMessage(sorn::encodeCheckRequest(++id, request), decodedId, decoded),
                  ServerMessage::Check)
            << request.path;
        EXPECT_EQ(decodedId, id);
        EXPECT_EQ(decoded.workingDirectory, request.workingDirectory);
        EXPECT_EQ(decoded.archives, request.archives);
        EXPECT_EQ(decoded.kind, request.kind);
        EXPECT_EQ(decoded.path, request.path);
        EXPECT_EQ(decoded.size, request.size);
    }
    std::uint32_t cancelled = 0;
    FileCheckRequest unused;
    EXPECT_EQ(sorn::decodeServerMessage(sorn::encodeCancel(77), cancelled, unused), ServerMessage::Cancel);
    EXPECT_EQ(cancelled, 77u);
}

TEST(FileCheckProtocol, MalformedMessagesAreNeverTakenForChecks) {
    const std::string valid = sorn::encodeCheckRequest(5, {"/work", {}, UntrustedKind::Model, "a.obj", 9});
    // The kind, the id and the size.
    const std::string head = std::string("C\x01\x00\x00\x00", 5) + std::string(8, '\0');
    const std::string malformed[] = {
        "",
        "C",
        "C\x01\x00",
        head.substr(0, 9),                                            // the size cut short
        valid.substr(0, valid.size() - 1),                            // the last field not ended
        head + std::string("/work\0model\0", 12),                     // no path
        head + std::string("/work\0sound\0a.obj\0", 18),              // no such kind
        head + std::string("\0model\0a.obj\0", 13),                   // no working directory
        head + std::string("/work\0model\0\0", 13),                   // empty path
        sorn::encodeCancel(3) + "x",
        "X" + valid.substr(1),
    };
    for (const std::string& message : malformed) {
        std::uint32_t id = 0;
        FileCheckRequest request;
        EXPECT_EQ(sorn::decodeServerMessage(message, id, request), ServerMessage::Malformed)
            << "message of " << message.size() << " bytes";
    }
    std::uint32_t id = 0;
    FileCheckRequest request;
    EXPECT_EQ(sorn::decodeServerMessage(head + std::string("/work\0model\0a.obj\0", 18), id, request),
              ServerMessage::Check)
        << "the same head with every field";
}

size_t openDescriptors() {
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)entry;
        ++count;
    }
    return count;
}

// A message comes whole, or cut at the largest size asked for, with the one
// descriptor sent along and no other left open.
TEST(FileCheckProtocol, PacketsComeWholeOrCutWithTheirDescriptorOnce) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends), 0);
    constexpr size_t kLargest = 64 * 1024;
    const struct {
        const char* what;
        std::string sent;
        bool withDescriptor;
    } cases[] = {
        {"a request with its image file", "C\x01\x02\x03\x04/work", true},
        {"a check end", std::string(18, 'E'), false},
        {"the largest", std::string(kLargest, 'x'), true},
        {"one byte past the largest, cut", std::string(kLargest + 1, 'y'), false},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        sorn::OwnedDescriptor attached(each.withDescriptor ? memfd_create("packet-test", MFD_CLOEXEC) : -1);
        ASSERT_TRUE(sorn::sendPacket(ends[0], each.sent, attached.get()));
        attached = sorn::OwnedDescriptor();
        const size_t before = openDescriptors();
        std::string received = "left from before";
        int descriptor = -1;
        const size_t expected = std::min(each.sent.size(), kLargest);
        EXPECT_EQ(sorn::receivePacket(ends[1], received, kLargest, descriptor, MSG_DONTWAIT),
                  static_cast<ssize_t>(expected));
        EXPECT_EQ(received, each.sent.substr(0, expected));
        EXPECT_EQ(descriptor >= 0, each.withDescriptor);
        EXPECT_EQ(openDescriptors(), before + (each.withDescriptor ? 1 : 0));
        if (descriptor >= 0)
            close(descriptor);
    }
    std::string received;
    int descriptor = -1;
    EXPECT_EQ(sorn::receivePacket(ends[1], received, kLargest, descriptor, MSG_DONTWAIT), -1) << "nothing waiting";
    close(ends[0]);
    EXPECT_EQ(sorn::receivePacket(ends[1], received, kLargest, descriptor), 0) << "the other end gone";
    EXPECT_EQ(descriptor, -1);
    close(ends[1]);
}

TEST(FileCheckProtocol, ACheckEndComesBackWithTheStartOfItsErrorText) {
    FileCheckEnd end;
    end.id = 9;
    end.waitStatus = SIGSEGV;
    end.cpuMicroseconds = 15000001;
    end.errorText = std::string(sorn::filecheck::kMaxErrorText, 'e') + "tail";
    FileCheckEnd decoded;
    ASSERT_TRUE(sorn::decodeCheckEnd(sorn::encodeCheckEnd(end), decoded));
    EXPECT_EQ(decoded.id, 9u);
    EXPECT_EQ(decoded.waitStatus, SIGSEGV);
    EXPECT_EQ(decoded.cpuMicroseconds, 15000001);
    EXPECT_EQ(decoded.errorText, std::string(sorn::filecheck::kMaxErrorText, 'e'));
    EXPECT_FALSE(decoded.outOfTime);
    end.outOfTime = true;
    std::string message = sorn::encodeCheckEnd(end);
    ASSERT_TRUE(sorn::decodeCheckEnd(message, decoded));
    EXPECT_TRUE(decoded.outOfTime);
    message[1 + 4 + 4 + 8] = '\x02'; // neither out of time nor not
    EXPECT_FALSE(sorn::decodeCheckEnd(message, decoded));
    EXPECT_FALSE(sorn::decodeCheckEnd(message.substr(0, 1 + 4 + 4 + 8), decoded)) << "no flag at all";
    EXPECT_FALSE(sorn::decodeCheckEnd("E\x01", decoded));
    EXPECT_FALSE(sorn::decodeCheckEnd(sorn::encodeCancel(1), decoded));
}

// The processes the server has forked.
std::vector<pid_t> checksOf(pid_t server) {
    std::ifstream list("/proc/" + std::to_string(server) + "/task/" + std::to_string(server) + "/children");
    std::vector<pid_t> pids;
    for (pid_t pid = 0; list >> pid;)
        pids.push_back(pid);
    return pids;
}

template <typename Condition>
bool within(std::chrono::seconds bound, Condition condition) {
    const auto until = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

bool processAsleep(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    return text.find(") S ") != std::string::npos;
}

bool processGone(pid_t pid) {
    // A killed check may stay a zombie until reaped by whoever took it over.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    return text.empty() || text.find(") Z ") != std::string::npos;
}

// A folder with an .obj whose material library is a FIFO nobody writes:
// its check blocks on the read, using no CPU time, until it is killed.
class CheckServerClientTest : public testing::Test {
protected:
    void SetUp() override {
        writeFile(dir.file("blocked.obj"), "mtllib blocked.mtl\n" + kTriangle);
        ASSERT_EQ(mkfifo(dir.file("blocked.mtl").c_str(), 0600), 0);
        writeFile(dir.file("good.obj"), kTriangle);
        ASSERT_NO_FATAL_FAILURE(startServer(1024, 30));
    }

    // A fresh server with these limits (30 s of CPU time).
    void startServer(unsigned memoryMegabytes, unsigned wallSeconds) {
        server = std::make_unique<sorn::CheckServerClient>();
        ASSERT_TRUE(server->start(kProgram, {memoryMegabytes, 30, wallSeconds}));
    }

    FileCheckRequest request(const std::string& name) { return {dir.path(), {}, UntrustedKind::Model, name}; }

    // Waits for the end of check id; false when it does not come in time.
    bool waitForEnd(std::uint32_t id, FileCheckEnd& end) {
        return within(std::chrono::seconds(20), [&] {
            std::vector<FileCheckEnd> ended;
            EXPECT_TRUE(server->receive(ended, 50));
            for (FileCheckEnd& each : ended)
                if (each.id == id) {
                    end = std::move(each);
                    return true;
                }
            return false;
        });
    }

    sorn::test::TempDir dir;
    std::unique_ptr<sorn::CheckServerClient> server = std::make_unique<sorn::CheckServerClient>();
};

TEST_F(CheckServerClientTest, AStoppedCheckEndsKilledAndTheServerGoesOnChecking) {
    ASSERT_TRUE(server->send(1, request("blocked.obj")));
    ASSERT_TRUE(within(std::chrono::seconds(10), [&] { return !checksOf(server->process()).empty(); }));
    std::vector<FileCheckEnd> ended;
    EXPECT_TRUE(server->receive(ended, 200));
    EXPECT_TRUE(ended.empty()) << "the blocked check cannot have ended by itself";

    server->cancel(1);
    FileCheckEnd end;
    ASSERT_TRUE(waitForEnd(1, end));
    EXPECT_TRUE(WIFSIGNALED(end.waitStatus) && WTERMSIG(end.waitStatus) == SIGKILL) << end.waitStatus;

    ASSERT_TRUE(server->send(2, request("good.obj")));
    ASSERT_TRUE(waitForEnd(2, end));
    EXPECT_TRUE(WIFEXITED(end.waitStatus) && WEXITSTATUS(end.waitStatus) == sorn::filecheck::kLoaded)
        << end.waitStatus << " " << end.errorText;
}

// The server stops a check whose time on the clock is up by itself, without
// the editor asking, and says so in its end; then it goes on checking.
TEST_F(CheckServerClientTest, TheServerStopsACheckWhoseClockIsUp) {
    ASSERT_NO_FATAL_FAILURE(startServer(1024, 1));
    ASSERT_TRUE(server->send(1, request("blocked.obj")));
    ASSERT_TRUE(server->send(2, request("good.obj")));
    std::vector<FileCheckEnd> ends;
    ASSERT_TRUE(within(std::chrono::seconds(20), [&] {
        EXPECT_TRUE(server->receive(ends, 50));
        return ends.size() >= 2;
    }));
    std::sort(ends.begin(), ends.end(), [](const FileCheckEnd& a, const FileCheckEnd& b) { return a.id < b.id; });
    EXPECT_TRUE(ends[0].outOfTime);
    EXPECT_EQ(sorn::verdictFromWaitStatus(ends[0].waitStatus, ends[0].outOfTime, 0, 30, ends[0].errorText),
              sorn::FileVerdict::TookTooLong)
        << ends[0].waitStatus;
    EXPECT_FALSE(ends[1].outOfTime);
    EXPECT_TRUE(WIFEXITED(ends[1].waitStatus) && WEXITSTATUS(ends[1].waitStatus) == sorn::filecheck::kLoaded);
}

// A thousand mounted archives' names still make one request; a request
// longer than a message can be is refused rather than cut.
TEST_F(CheckServerClientTest, LongRequestsComeThroughOrAreRefusedWhole) {
    FileCheckRequest many = request("good.obj");
    for (int i = 0; i < 1000; ++i)
        many.archives.push_back(dir.path() + "/archives/no-such-archive-" + std::to_string(i) + ".zip");
    ASSERT_LT(sorn::encodeCheckRequest(1, many).size(), sorn::filecheck::kMaxMessage);
    ASSERT_TRUE(server->send(1, many));
    FileCheckEnd end;
    ASSERT_TRUE(waitForEnd(1, end));
    EXPECT_TRUE(WIFEXITED(end.waitStatus) && WEXITSTATUS(end.waitStatus) == sorn::filecheck::kLoaded)
        << end.waitStatus << " " << end.errorText;

    FileCheckRequest tooMany = many;
    tooMany.archives.push_back(std::string(sorn::filecheck::kMaxMessage, 'a'));
    EXPECT_FALSE(server->send(2, tooMany));
    ASSERT_TRUE(server->send(3, request("good.obj")));
    ASSERT_TRUE(waitForEnd(3, end));
}

// An image check that loads sends its decoded image with its end; a model
// check, or an image check that loads nothing, sends none.
TEST_F(CheckServerClientTest, OnlyAnImageThatLoadedComesBackDecoded) {
    writeFile(dir.file("broken.png"), "not an image");
    FileCheckRequest image = request(std::string(SORN_IRRLICHT_MEDIA) + "/wall.jpg");
    image.kind = UntrustedKind::Image;
    FileCheckRequest broken = request("broken.png");
    broken.kind = UntrustedKind::Image;
    FileCheckEnd end;
    ASSERT_TRUE(server->send(1, image));
    ASSERT_TRUE(waitForEnd(1, end));
    EXPECT_GE(end.decodedImage.get(), 0);
    EXPECT_GT(lseek(end.decodedImage.get(), 0, SEEK_END), 512 * 512 * 3) << "a 512 x 512 image and its header";
    ASSERT_TRUE(server->send(2, broken));
    ASSERT_TRUE(waitForEnd(2, end));
    EXPECT_TRUE(WIFEXITED(end.waitStatus) && WEXITSTATUS(end.waitStatus) == sorn::filecheck::kNothingLoaded);
    EXPECT_LT(end.decodedImage.get(), 0);
    ASSERT_TRUE(server->send(3, request("good.obj")));
    ASSERT_TRUE(waitForEnd(3, end));
    EXPECT_LT(end.decodedImage.get(), 0);
}

// Checks go to workers forked ahead of time, one a processor, which load one
// file after another: more checks, one by one or all sent at once, make no
// new process. A file that crashes its worker after others loaded there
// still ends as a crash.
TEST_F(CheckServerClientTest, WorkersMadeAheadCheckOneFileAfterAnother) {
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    const size_t workers = processors < 1 ? 1 : processors > 4 ? 4 : static_cast<size_t>(processors);
    FileCheckEnd end;
    ASSERT_TRUE(server->send(1, request("good.obj")));
    ASSERT_TRUE(waitForEnd(1, end));
    std::vector<pid_t> before;
    ASSERT_TRUE(within(std::chrono::seconds(10), [&] { return (before = checksOf(server->process())).size() == workers; }));
    for (std::uint32_t id = 2; id <= 4; ++id) {
        ASSERT_TRUE(server->send(id, request("good.obj")));
        ASSERT_TRUE(waitForEnd(id, end));
        EXPECT_TRUE(WIFEXITED(end.waitStatus) && WEXITSTATUS(end.waitStatus) == sorn::filecheck::kLoaded)
            << end.waitStatus << " " << end.errorText;
    }
    for (std::uint32_t id = 5; id <= 5 + 3 * workers; ++id)
        ASSERT_TRUE(server->send(id, request("good.obj")));
    std::vector<FileCheckEnd> ends;
    ASSERT_TRUE(within(std::chrono::seconds(20), [&] {
        EXPECT_TRUE(server->receive(ends, 50));
        return ends.size() >= 3 * workers + 1;
    }));
    for (const FileCheckEnd& each : ends)
        EXPECT_TRUE(WIFEXITED(each.waitStatus) && WEXITSTATUS(each.waitStatus) == sorn::filecheck::kLoaded)
            << each.id << ": " << each.waitStatus << " " << each.errorText;
    std::vector<pid_t> after = checksOf(server->process());
    std::sort(before.begin(), before.end());
    std::sort(after.begin(), after.end());
    EXPECT_EQ(after, before);

    writeFile(dir.file("crash.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf -5 -6 -70000\n");
    ASSERT_TRUE(server->send(9, request("crash.obj")));
    ASSERT_TRUE(waitForEnd(9, end));
    EXPECT_EQ(sorn::verdictFromWaitStatus(end.waitStatus, false, end.cpuMicroseconds / 1e6, 30, end.errorText),
              sorn::FileVerdict::Crashed)
        << end.waitStatus;
    ASSERT_TRUE(server->send(10, request("good.obj")));
    ASSERT_TRUE(waitForEnd(10, end));
    EXPECT_TRUE(WIFEXITED(end.waitStatus) && WEXITSTATUS(end.waitStatus) == sorn::filecheck::kLoaded);
}

// Under a limit no worker can live under, workers are not made ahead of time
// without end; a check still ends, refused by the limit.
TEST_F(CheckServerClientTest, WorkersThatCannotLiveAreNotForkedWithoutEnd) {
    ASSERT_NO_FATAL_FAILURE(startServer(1, 30));
    // Half a second at least without a worker, ending with the server asleep
    // waiting for work (so past its start-up, when it makes its workers).
    int quiet = 0;
    EXPECT_TRUE(within(std::chrono::seconds(20), [&] {
        quiet = checksOf(server->process()).empty() ? quiet + 1 : 0;
        return quiet >= 50 && processAsleep(server->process());
    }));
    FileCheckEnd end;
    ASSERT_TRUE(server->send(1, request("good.obj")));
    ASSERT_TRUE(waitForEnd(1, end));
    // Refused by the memory limit: out of memory, or a stack that could not grow.
    const sorn::FileVerdict verdict = sorn::verdictFromWaitStatus(end.waitStatus, false, 0, 30, end.errorText);
    EXPECT_TRUE(verdict == sorn::FileVerdict::TooLarge || verdict == sorn::FileVerdict::Crashed)
        << end.waitStatus << " " << end.errorText;
}

TEST_F(CheckServerClientTest, NoCheckOutlivesTheServer) {
    ASSERT_TRUE(server->send(1, request("blocked.obj")));
    std::vector<pid_t> checks;
    ASSERT_TRUE(within(std::chrono::seconds(10), [&] { return !(checks = checksOf(server->process())).empty(); }));
    server.reset();
    for (pid_t check : checks)
        EXPECT_TRUE(within(std::chrono::seconds(10), [&] { return processGone(check); })) << check;
}

TEST_F(CheckServerClientTest, AServerThatIsGoneSaysSo) {
    const pid_t pid = server->process();
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    std::vector<FileCheckEnd> ended;
    EXPECT_TRUE(within(std::chrono::seconds(10), [&] { return !server->receive(ended, 50); }));
    EXPECT_FALSE(server->send(3, request("good.obj")));
}

// The quarantine over a server that goes away: the file it was checking
// gets no verdict, and the next check has a new server.
class QuarantineServerTest : public sorn::test::NullDeviceTest {
protected:
    // blocked.obj names a material file that is a FIFO nobody writes, so its
    // check waits; good.obj checks at once. A fresh server, no verdicts kept.
    void startWithABlockedModel(sorn::test::TempDir& dir, pid_t& server) {
        writeFile(dir.file("blocked.obj"), "mtllib blocked.mtl\n" + kTriangle);
        ASSERT_EQ(mkfifo(dir.file("blocked.mtl").c_str(), 0600), 0);
        writeFile(dir.file("good.obj"), kTriangle);
        sorn::forgetFileVerdicts();
        sorn::setVerdictCacheFolder(dir.file("cache")); // nothing known from other tests
        sorn::prepareFileChecks();
        server = sorn::fileCheckServerProcess();
        ASSERT_GT(server, 0);
    }
    void SetUp() override {
        NullDeviceTest::SetUp();
        previousCache_ = sorn::verdictCacheFolder();
    }
    void TearDown() override {
        sorn::forgetFileVerdicts();
        sorn::setVerdictCacheFolder(previousCache_);
        NullDeviceTest::TearDown();
    }

private:
    std::string previousCache_;
};

TEST_F(QuarantineServerTest, AServerLostDuringACheckIsStartedAgain) {
    sorn::test::TempDir dir;
    pid_t first = 0;
    ASSERT_NO_FATAL_FAILURE(startWithABlockedModel(dir, first));
    std::thread killer([first] {
        if (within(std::chrono::seconds(10), [first] { return !checksOf(first).empty(); }))
            kill(first, SIGKILL);
    });
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(sorn::checkUntrustedFile(dir.file("blocked.obj"), UntrustedKind::Model), sorn::FileVerdict::NotChecked);
    killer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15))
        << "the lost server is noticed, not waited out";
    EXPECT_EQ(sorn::checkUntrustedFile(dir.file("good.obj"), UntrustedKind::Model), sorn::FileVerdict::Safe);
    EXPECT_NE(sorn::fileCheckServerProcess(), first);
    EXPECT_GT(sorn::fileCheckServerProcess(), 0);
}

// A check that waits on a file that never answers shows the progress window;
// its Cancel stops the wait at once: the files are not opened, the user is
// told, the server goes with its check, and the next check has a fresh one.
// An image checked beside it is taken in while it waits, and goes again.
TEST_F(QuarantineServerTest, ACheckWaitingOnASlowFileIsCancelledAndTheNextCheckWorks) {
    sorn::test::TempDir dir;
    pid_t first = 0;
    ASSERT_NO_FATAL_FAILURE(startWithABlockedModel(dir, first));
    irr::video::IVideoDriver* driver = sorn::editor.device->getVideoDriver();
    irr::video::IImage* tile = driver->createImage(irr::video::ECF_R8G8B8, irr::core::dimension2du(4, 4));
    ASSERT_TRUE(driver->writeImageToFile(tile, dir.file("tile.png").c_str()));
    tile->drop();
    const irr::io::path tileTexture = dir.file("tile.png").c_str();
    bool tileTakenIn = false;
    std::vector<pid_t> blockedChecks;
    sorn::test::SlowWork slow(1000, [&] {
        irr::gui::IGUIElement* cancel = sorn::findElement(sorn::ids::ProgressCancel);
        tileTakenIn = tileTakenIn || driver->findTexture(tileTexture);
        // Cancel once the check is seen waiting, as a user would.
        if (!cancel || !cancel->isVisible() || !tileTakenIn || (blockedChecks = checksOf(first)).empty())
            return;
        irr::SEvent click{};
        click.EventType = irr::EET_GUI_EVENT;
        click.GUIEvent.EventType = irr::gui::EGET_BUTTON_CLICKED;
        click.GUIEvent.Caller = cancel;
        EXPECT_FALSE(sorn::filterEventWhileBusy(click));
    });
    EXPECT_FALSE(sorn::admitUntrustedFiles(
        {{dir.file("tile.png"), UntrustedKind::Image}, {dir.file("blocked.obj"), UntrustedKind::Model}}));
    ASSERT_FALSE(slow.shown.empty());
    EXPECT_NE(slow.shown.back().first.find(L"blocked.obj"), std::wstring::npos);
    ASSERT_FALSE(blockedChecks.empty()) << "cancelled while the check waited";
    EXPECT_EQ(driver->findTexture(tileTexture), nullptr) << "nothing of a cancelled open stays";
    EXPECT_TRUE(processGone(first));
    for (pid_t check : blockedChecks)
        EXPECT_TRUE(within(std::chrono::seconds(10), [check] { return processGone(check); }));
    EXPECT_EQ(sorn::findElement(sorn::ids::ProgressWindow), nullptr);
    irr::gui::IGUIElement* told =
        *sorn::editor.device->getGUIEnvironment()->getRootGUIElement()->getChildren().getLast();
    ASSERT_FALSE(told->getChildren().empty());
    EXPECT_EQ((*told->getChildren().getLast())->getType(), irr::gui::EGUIET_MESSAGE_BOX) << "the cancel is told";

    EXPECT_EQ(sorn::checkUntrustedFile(dir.file("good.obj"), UntrustedKind::Model), sorn::FileVerdict::Safe);
    EXPECT_GT(sorn::fileCheckServerProcess(), 0);
    EXPECT_NE(sorn::fileCheckServerProcess(), first);
}

// The check book on its own, without the editor: a file named twice is
// checked once and both places get its verdict; verdicts are known by
// content for the run, and kept beyond it, except a check that could not run.
TEST(CheckBook, AFileNamedTwiceIsCheckedOnceAndOnlyRealVerdictsAreKept) {
    sorn::test::TempDir dir;
    writeFile(dir.file("good.obj"), kTriangle);
    writeFile(dir.file("other.obj"), kTriangle + kTriangle);
    const auto job = [&](const std::string& name, long long size, std::uint64_t content) {
        sorn::CheckJob made;
        made.identity = {dir.file(name), size, 1, UntrustedKind::Model};
        made.key = {content, size, UntrustedKind::Model, 7};
        made.path = name;
        return made;
    };
    struct Case {
        const char* what;
        std::string program;
        sorn::FileVerdict expected;
        bool kept;
    };
    const Case cases[] = {
        {"a running check program", kProgram, sorn::FileVerdict::Safe, true},
        {"no check program at all", dir.file("missing-program"), sorn::FileVerdict::NotChecked, false},
    };
    const long long size = static_cast<long long>(kTriangle.size());
    for (const Case& c : cases) {
        sorn::CheckBook book;
        book.setProgram(c.program);
        sorn::CheckBatch batch;
        batch.add(job("good.obj", size, 1), 0);
        batch.add(job("other.obj", 2 * size, 2), 1);
        batch.add(job("good.obj", size, 1), 2);
        ASSERT_EQ(batch.jobs().size(), 2u) << c.what;
        std::vector<sorn::FileVerdict> verdicts(3, sorn::FileVerdict::Crashed);
        int safeChecks = 0;
        book.run(batch, {dir.path(), {}, UntrustedKind::Model, ""}, verdicts,
                 [&](const sorn::CheckJob&, const sorn::OwnedDescriptor&) { ++safeChecks; });
        for (sorn::FileVerdict verdict : verdicts)
            EXPECT_EQ(verdict, c.expected) << c.what;
        EXPECT_EQ(safeChecks, c.expected == sorn::FileVerdict::Safe ? 2 : 0) << c.what;
        EXPECT_EQ(book.knownVerdict(job("good.obj", size, 1).key) != nullptr, c.kept) << c.what;
        EXPECT_EQ(book.knownVerdict(job("good.obj", size, 3).key), nullptr) << "other bytes, same size";
        EXPECT_EQ(book.knownVerdict(job("good.obj", size + 1, 1).key), nullptr) << "a file that changed size";
        EXPECT_EQ(book.takeUnsaved().size(), c.kept ? 2u : 0u) << c.what;
        EXPECT_EQ(book.startedCount(), 0u) << "collected";
        book.forget();
        EXPECT_EQ(book.knownVerdict(job("good.obj", size, 1).key), nullptr) << c.what;
    }
}

// Checks sent together wait at the server for a worker; each has its whole
// time on the clock from when a worker takes it, so a file that waited
// behind three that hang still loads. A time-out is known for the run only.
TEST(CheckBook, ACheckThatWaitedBehindHangingOnesHasItsWholeTime) {
    sorn::test::TempDir dir;
    ASSERT_EQ(mkfifo(dir.file("blocked.mtl").c_str(), 0600), 0);
    sorn::CheckBook book;
    book.setProgram(kProgram);
    sorn::QuarantineLimits limits = sorn::defaultQuarantineLimits();
    limits.parallelChecks = 1;
    limits.check.wallSeconds = 1;
    book.setLimits(limits);
    sorn::CheckBatch batch;
    const std::string names[] = {"hang-1.obj", "hang-2.obj", "hang-3.obj", "good.obj"};
    for (size_t i = 0; i < 4; ++i) {
        // The hanging files first: the largest are sent first.
        const std::string text = i < 3 ? "mtllib blocked.mtl\n" + kTriangle + std::string(3 - i, '\n') : kTriangle;
        writeFile(dir.file(names[i]), text);
        sorn::CheckJob job;
        const auto size = static_cast<long long>(text.size());
        job.identity = {dir.file(names[i]), size, 1, UntrustedKind::Model};
        job.key = {i + 1, size, UntrustedKind::Model, 7};
        job.path = names[i];
        batch.add(job, i);
    }
    std::vector<sorn::FileVerdict> verdicts(4, sorn::FileVerdict::NotChecked);
    book.run(batch, {dir.path(), {}, UntrustedKind::Model, ""}, verdicts, nullptr);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(verdicts[i], sorn::FileVerdict::TookTooLong) << names[i];
    EXPECT_EQ(verdicts[3], sorn::FileVerdict::Safe) << "it waited three seconds for a worker";
    EXPECT_EQ(book.takeUnsaved().size(), 1u) << "only the load that came through is kept";
}

// A check started as a file is named runs while the caller goes on; one
// never collected is stopped with its server, and nothing of it stays.
TEST_F(QuarantineServerTest, StartedChecksAreCollectedOrStoppedAndNothingStays) {
    sorn::test::TempDir dir;
    pid_t server = 0;
    ASSERT_NO_FATAL_FAILURE(startWithABlockedModel(dir, server));
    sorn::beginUntrustedCheck(dir.file("good.obj"), UntrustedKind::Model);
    sorn::beginUntrustedCheck(dir.file("good.obj"), UntrustedKind::Model);
    sorn::beginUntrustedChecks({{dir.file("missing.obj"), UntrustedKind::Model}, {dir.path(), UntrustedKind::Model}});
    EXPECT_EQ(sorn::startedUntrustedChecks(), 1u) << "one check for a file named twice; none for the others";
    const std::vector<sorn::FileVerdict> verdicts = sorn::checkUntrustedFiles(
        {{dir.file("good.obj"), UntrustedKind::Model}, {"missing.obj", UntrustedKind::Model}, {".", UntrustedKind::Model}});
    EXPECT_EQ(verdicts, (std::vector<sorn::FileVerdict>{sorn::FileVerdict::Safe, sorn::FileVerdict::NotLoadable,
                                                        sorn::FileVerdict::Unreadable}));
    EXPECT_EQ(sorn::startedUntrustedChecks(), 0u);

    // A refused scene: its checks are never collected.
    sorn::beginUntrustedCheck(dir.file("blocked.obj"), UntrustedKind::Model);
    server = sorn::fileCheckServerProcess();
    std::vector<pid_t> checks;
    ASSERT_TRUE(within(std::chrono::seconds(10), [&] { return !(checks = checksOf(server)).empty(); }));
    sorn::stopUntrustedChecks();
    EXPECT_EQ(sorn::startedUntrustedChecks(), 0u);
    EXPECT_TRUE(processGone(server)) << "reaped, no zombie";
    for (pid_t check : checks)
        EXPECT_TRUE(within(std::chrono::seconds(10), [check] { return processGone(check); }));
    EXPECT_EQ(sorn::checkUntrustedFile(dir.file("good.obj"), UntrustedKind::Model), sorn::FileVerdict::Safe);
}

} // namespace
