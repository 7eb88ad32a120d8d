#pragma once
// The messages between the editor and the file check server, one per
// datagram of a sequenced-packet socket, so that no message needs framing.
//
// Editor to server:
//   'C' id size  working directory \0 kind \0 path \0 archive \0 ...   check a file
//   'K' id                                                          stop that check
// Server to editor:
//   'E' id  wait status  CPU microseconds  out of time  error text  a check ended
// An image check that loaded its file sends, with its end, the file holding
// the decoded image (see CheckedImage.h) as the message's one descriptor.
#include <cstdint>
#include <string>
#include <vector>

#include "files/check/FileCheck.h"

namespace sorn {

struct FileCheckRequest {
    std::string workingDirectory;
    std::vector<std::string> archives; // mounted archives, in the engine's search order
    UntrustedKind kind = UntrustedKind::Model;
    std::string path;
    // The file's size as the editor found it: the server hands the largest
    // waiting file out first, so that the long loads start early and the
    // short ones fill in beside them.
    std::int64_t size = 0;
};

// A file descriptor closed with its owner.
class OwnedDescriptor {
public:
    OwnedDescriptor() = default;
    explicit OwnedDescriptor(int fd) : fd_(fd) {}
    OwnedDescriptor(OwnedDescriptor&& other) noexcept : fd_(other.release()) {}
    OwnedDescriptor& operator=(OwnedDescriptor&& other) noexcept;
    OwnedDescriptor(const OwnedDescriptor&) = delete;
    OwnedDescriptor& operator=(const OwnedDescriptor&) = delete;
    ~OwnedDescriptor();

    int get() const { return fd_; }
    int release();

private:
    int fd_ = -1;
};

struct FileCheckEnd {
    std::uint32_t id = 0;
    int waitStatus = 0;
    std::int64_t cpuMicroseconds = 0;
    bool outOfTime = false;       // the server killed it at its wall-clock limit
    std::string errorText;        // the start of what the check wrote on stderr
    OwnedDescriptor decodedImage; // an image check's decoded image, when it sent one
};

namespace filecheck {
// The largest message either side sends; a request for longer paths is not sent.
constexpr size_t kMaxMessage = 128 * 1024;
// How much of a check's stderr comes back with its end.
constexpr size_t kMaxErrorText = 16 * 1024;
} // namespace filecheck

std::string encodeCheckRequest(std::uint32_t id, const FileCheckRequest& request);
std::string encodeCancel(std::uint32_t id);
std::string encodeCheckEnd(const FileCheckEnd& end);

// What the server reads: a check request, a cancel, or neither (malformed).
enum class ServerMessage { Check, Cancel, Malformed };
ServerMessage decodeServerMessage(const std::string& message, std::uint32_t& id, FileCheckRequest& request);
bool decodeCheckEnd(const std::string& message, FileCheckEnd& end);

} // namespace sorn
