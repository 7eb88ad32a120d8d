#pragma once
// Whole reads and writes on a file descriptor: the system calls may do part
// of the work or be interrupted, and the callers want all of it or to know.
#include <sys/types.h>

#include <cstddef>

namespace sorn {

// Reads from offset until size bytes or the end of the file; the count read,
// or -1 on a read error.
ssize_t readFullyAt(int fd, unsigned char* data, size_t size, off_t offset);

// Writes all size bytes at the file's position; false when any could not be written.
bool writeFully(int fd, const void* data, size_t size);

} // namespace sorn
