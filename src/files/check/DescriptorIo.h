#pragma once
// Whole reads and writes on a file descriptor: the system calls may do part
// of the work or be interrupted, and the callers want all of it or to know.
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace sorn {

// Reads from offset until size bytes or the end of the file; the count read,
// or -1 on a read error.
ssize_t readFullyAt(int fd, unsigned char* data, size_t size, off_t offset);

// Writes all size bytes at the file's position; false when any could not be written.
bool writeFully(int fd, const void* data, size_t size);

// One message on a sequenced-packet socket, with at most one descriptor
// passed along (-1: none). Never raises SIGPIPE; false when the message could
// not be sent whole.
bool sendPacket(int socket, const std::string& message, int descriptor = -1);

// Receives one message into buffer (resized to it, cut at largest bytes) and
// the descriptor that came with it (-1: none; owned by the caller,
// close-on-exec). The message's length, 0 when the other end is gone, -1 when
// nothing is there (with MSG_DONTWAIT) or on an error. Extra descriptors are
// closed.
ssize_t receivePacket(int socket, std::string& buffer, size_t largest, int& descriptor, int flags = 0);

} // namespace sorn
