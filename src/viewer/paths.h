// The program's own directory, found from its path.
#ifndef PATHS_H
#define PATHS_H

// Capacity of the directory buffer, terminator included.
const int pathCapacity = 300;

// Returns the directory part of the program's path, ending with its
// separator ("/usr/local/bin/prog" gives "/usr/local/bin/"), or "." when the
// path names no directory. The text lives in a static buffer of
// pathCapacity characters; a directory too long for it also gives ".", so
// the program stays where it was started rather than in a wrong directory.
const char *findMyPath(const char *argv);

#endif
