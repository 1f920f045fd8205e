// Replacing a texture tree whole or not at all. The new tree is built in a
// staging folder beside the old one, on the same filesystem, and swapped in
// with one rename, so that a process killed at any moment leaves the tree
// wholly old or wholly new. Staging folders left by a killed run are
// recognised by name and removed by the next.
#ifndef STAGING_H
#define STAGING_H

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

struct Staging {
    std::filesystem::path target;   // the tree to replace (it need not exist)
    std::filesystem::path dir;      // where the new tree is built
    std::filesystem::path scratch;  // for temporary files of the work
    // What was tidied away after runs that were stopped: each path and what
    // became of it, for the caller to report.
    std::vector<std::pair<std::filesystem::path, std::string>> mended;
};

// Checks that target can be replaced, removes stale staging folders beside
// it, and creates a fresh staging folder and scratch folder; false with the
// reason in `why`.
bool beginStaging(const std::filesystem::path &target, Staging *staging, std::string *why);

// Swaps the staged tree in and removes the old one; false with the reason.
// With TEXGEN_HOLD_BEFORE_SWAP set in the environment, first says so on
// standard error and waits for a signal (for tests that kill it there).
bool commitStaging(const Staging &staging, std::string *why);

// Removes the staging and scratch folders and everything in them.
void abandonStaging(const Staging &staging);

#endif
