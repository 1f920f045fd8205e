#include "test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

// Reads both pipes until both close, so neither child stream can block.
void drain(int outFd, int errFd, std::string *out, std::string *err) {
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    std::string *sinks[2] = {out, err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char chunk[4096];
            ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
            if (got > 0) {
                sinks[i]->append(chunk, size_t(got));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string> &argv) {
    ProcessResult result{-1, "", ""};
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return result;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        close(outPipe[1]);
        close(errPipe[1]);
        std::vector<char *> args;
        for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    drain(outPipe[0], errPipe[0], &result.out, &result.err);
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    if (WIFEXITED(wstatus)) result.status = WEXITSTATUS(wstatus);
    return result;
}

std::string tempDir() {
    static std::string dir;
    if (dir.empty()) {
        char pattern[] = "/tmp/image_tests.XXXXXX";
        dir = mkdtemp(pattern) ? pattern : "/tmp";
    }
    return dir;
}

std::string writeTempFile(const std::string &name, const Bytes &bytes) {
    std::string path = tempDir() + "/" + name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

Bytes readFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void appendLe16(Bytes *b, unsigned value) {
    b->push_back(value & 0xFF);
    b->push_back((value >> 8) & 0xFF);
}

void appendLe32(Bytes *b, uint32_t value) {
    appendLe16(b, value & 0xFFFF);
    appendLe16(b, value >> 16);
}

Bytes tgaFile(const TgaHeader &h) {
    Bytes b = {static_cast<unsigned char>(h.idLength), static_cast<unsigned char>(h.colourMapType),
               static_cast<unsigned char>(h.type)};
    appendLe16(&b, 0);
    appendLe16(&b, h.colourMapLength);
    b.push_back(h.colourMapDepth);
    appendLe16(&b, 0);
    appendLe16(&b, 0);
    appendLe16(&b, h.width & 0xFFFF);
    appendLe16(&b, h.height & 0xFFFF);
    b.push_back(h.bits);
    b.push_back(h.descriptor);
    // ID and colour-map bytes are a recognisable filler the decoder must skip.
    size_t entryBytes = h.colourMapType == 1 ? (h.colourMapDepth + 7) / 8 : 0;
    b.insert(b.end(), h.idLength + h.colourMapLength * entryBytes, 0xEE);
    return b;
}

Bytes bmpHeader(uint32_t width, uint32_t height, unsigned planes, unsigned bits) {
    Bytes b = {'B', 'M'};
    appendLe32(&b, 54 + width * height * 3);
    appendLe32(&b, 0);
    appendLe32(&b, 54);
    appendLe32(&b, 40);
    appendLe32(&b, width);
    appendLe32(&b, height);
    appendLe16(&b, planes);
    appendLe16(&b, bits);
    b.insert(b.end(), 24, 0);
    return b;
}

TgaStatus decodeBytes(const Bytes &bytes, TgaImage *image, size_t maxPixels, size_t chunkBytes) {
    static unsigned char empty[1];
    void *data = bytes.empty() ? empty : const_cast<unsigned char *>(bytes.data());
    FILE *file = fmemopen(data, bytes.size(), "rb");
    TgaStatus status = decodeTga(file, image, maxPixels, chunkBytes);
    fclose(file);
    return status;
}

Bytes rgbaOf(const TgaImage &image) {
    size_t count = size_t(image.width) * size_t(image.height);
    const unsigned char *p = reinterpret_cast<const unsigned char *>(image.pixels);
    return Bytes(p, p + count * sizeof(PIXEL));
}
