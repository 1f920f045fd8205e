// Importing one's own pictures as the viewer's textures.
#ifndef IMPORT_H
#define IMPORT_H

#include <string>

// Reads the pictures under source (a folder per texture set) into the
// texture tree at textures, whole or not at all: every picture is checked
// and decoded, the complete new tree is built beside the old one and then
// swapped in. A tree that does not exist yet is made complete from the
// generated textures. Returns the process's exit status (0 on success);
// every failure is reported on standard error with the file it concerns.
int importPictures(const std::string &source, const std::string &textures);

#endif
