#include "regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

// Why an open descriptor is not one to read from: 0 for a regular file.
int refusal(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0) return errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    return S_ISREG(st.st_mode) ? 0 : EINVAL;
}

}  // namespace

FILE *openRegularFile(const char *path) {
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    int error = refusal(fd);
    FILE *file = nullptr;
    // Reads of a regular file never block; the stream gets the usual flags.
    if (error == 0 && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
        file = fdopen(fd, "r");
    if (!file) {
        if (error == 0) error = errno;
        close(fd);
        errno = error;
    }
    return file;
}
