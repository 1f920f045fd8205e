// Opening input files so that an odd path can neither block nor mislead.
#ifndef REGULAR_FILE_H
#define REGULAR_FILE_H

#include <cstdio>

// Opens `path` for reading as a stream, or returns null with errno set. The
// open never waits (a FIFO without a writer would block it for good), and
// anything that is not a regular file is refused before a byte is read:
// a directory with EISDIR, anything else (a FIFO, a socket, a device) with
// EINVAL.
FILE *openRegularFile(const char *path);

#endif
