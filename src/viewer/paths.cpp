#include "paths.h"

#include <cstring>

static bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

const char *findMyPath(const char *argv)
{
    static char path[pathCapacity];

    // Find the rightmost separator of the whole path first, so that a long
    // program name cannot hide the directory part.
    size_t dirLength = 0;
    for (size_t i = strlen(argv); i > 0; --i) {
        if (isSeparator(argv[i - 1])) {
            dirLength = i;
            break;
        }
    }

    if (dirLength == 0 || dirLength >= sizeof path) {
        strcpy(path, ".");
        return path;
    }
    memcpy(path, argv, dirLength);
    path[dirLength] = '\0';
    return path;
}
