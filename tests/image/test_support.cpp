#include "test_support.h"

#include "process.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

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
