#include "test_support.h"

#include "process.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// The directory lives as long as the test program.
struct TempDir {
    std::string path;
    TempDir() {
        char pattern[] = "/tmp/image_tests.XXXXXX";
        if (!mkdtemp(pattern)) abort();
        path = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(path); }
};

void appendLe16(Bytes *b, unsigned value) {
    b->push_back(value & 0xFF);
    b->push_back((value >> 8) & 0xFF);
}

void appendLe32(Bytes *b, uint32_t value) {
    appendLe16(b, value & 0xFFFF);
    appendLe16(b, value >> 16);
}

}  // namespace

Bytes operator+(Bytes head, const Bytes &tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

ProcessResult runProcess(const std::vector<std::string> &argv) {
    ChildProcess child;
    LaunchOptions options;
    options.program = argv.at(0);
    options.args.assign(argv.begin() + 1, argv.end());
    if (!launchProcess(child, options)) return {-1, "", ""};
    int status = waitForExit(child);
    stopProcess(child);
    return {status, child.outText, child.errText};
}

std::string tempPath(const std::string &name) {
    static TempDir dir;
    return dir.path + "/" + name;
}

std::string writeTempFile(const std::string &name, const Bytes &bytes) {
    std::string path = tempPath(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()),
                                                std::streamsize(bytes.size()));
    return path;
}

Bytes tgaFile(const TgaHeader &h) {
    Bytes b = {static_cast<unsigned char>(h.idLength), static_cast<unsigned char>(h.colourMapType),
               static_cast<unsigned char>(h.type)};
    appendLe16(&b, 0);
    appendLe16(&b, h.colourMapLength);
    b.push_back(h.colourMapDepth);
    for (int field : {0, 0, h.width & 0xFFFF, h.height & 0xFFFF}) appendLe16(&b, field);
    b.push_back(h.bits);
    b.push_back(h.descriptor);
    size_t entryBytes = h.colourMapType == 1 ? (h.colourMapDepth + 7) / 8 : 0;
    b.insert(b.end(), h.idLength + h.colourMapLength * entryBytes, 0xEE);
    return b;
}

Bytes bmpHeader(uint32_t width, uint32_t height, unsigned planes, unsigned bits) {
    Bytes b = {'B', 'M'};
    for (uint32_t field : {54 + width * height * 3, 0u, 54u, 40u, width, height}) appendLe32(&b, field);
    appendLe16(&b, planes);
    appendLe16(&b, bits);
    b.insert(b.end(), 24, 0);
    return b;
}
