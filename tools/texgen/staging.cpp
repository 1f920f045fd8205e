#include "staging.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Staging folders are named ".<tree>.staging-<pid>", scratch folders
// ".<tree>.scratch-<pid>"; a tree moved aside by the fallback swap
// ".<tree>.old-<pid>".
std::string markPrefix(const fs::path &target, const char *kind) {
    return "." + target.filename().string() + "." + kind + "-";
}
std::string markedName(const fs::path &target, const char *kind, long pid) {
    return markPrefix(target, kind) + std::to_string(pid);
}

// The pid in a marked name of this kind, or 0 if the name is not one.
long markedPid(const fs::path &target, const char *kind, const std::string &name) {
    const std::string prefix = markPrefix(target, kind);
    if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size())
        return 0;
    char *end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    return *end == '\0' && pid > 0 ? pid : 0;
}

bool processAlive(long pid) { return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// Cleans up after runs that were killed: their staging folders go, and a
// tree moved aside just before a swap that never came is put back.
void removeStale(const fs::path &target, Staging *staging) {
    std::error_code error;
    for (const fs::directory_entry &entry : fs::directory_iterator(target.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        const long old = markedPid(target, "old", name);
        const long pid = old ? old : std::max(markedPid(target, "staging", name), markedPid(target, "scratch", name));
        if (pid == 0 || processAlive(pid))
            continue;
        if (old && !fs::exists(target, error)) {
            fs::rename(entry.path(), target, error);
            staging->mended.emplace_back(target, "put back from " + entry.path().string() +
                                                     ", left by an import that was stopped");
        } else {
            fs::remove_all(entry.path(), error);
            staging->mended.emplace_back(entry.path(), "removed, left by an import that was stopped");
        }
    }
}

bool writable(const fs::path &dir) { return access(dir.c_str(), W_OK | X_OK) == 0; }

void holdIfAsked(const Staging &staging) {
    if (!std::getenv("TEXGEN_HOLD_BEFORE_SWAP"))
        return;
    std::fprintf(stderr, "holding before the swap: %s is staged\n", staging.dir.c_str());
    std::fflush(stderr);
    for (;;)
        pause();
}

// Swaps the two folders at once; where the filesystem cannot, moves the old
// one aside first (a run stopped in between is mended by removeStale).
bool swapIn(const Staging &staging, const fs::path &old, std::string *why) {
    // After the exchange the old tree lies under the staging name.
    if (renameat2(AT_FDCWD, staging.dir.c_str(), AT_FDCWD, staging.target.c_str(), RENAME_EXCHANGE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        *why = std::strerror(errno);
        return false;
    }
    if (std::rename(staging.target.c_str(), old.c_str()) != 0 ||
        std::rename(staging.dir.c_str(), staging.target.c_str()) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    return true;
}

} // namespace

bool beginStaging(const fs::path &target, Staging *staging, std::string *why) {
    staging->target = fs::absolute(target).lexically_normal();
    if (!staging->target.has_filename())
        staging->target = staging->target.parent_path();
    const fs::path parent = staging->target.parent_path();
    std::error_code error;
    if (!fs::is_directory(parent, error)) {
        *why = parent.string() + ": no such folder";
        return false;
    }
    if (fs::exists(staging->target, error) && !fs::is_directory(staging->target, error)) {
        *why = staging->target.string() + ": not a folder";
        return false;
    }
    for (const fs::path &dir : {parent, staging->target})
        if (fs::exists(dir, error) && !writable(dir)) {
            *why = dir.string() + ": cannot be written";
            return false;
        }
    removeStale(staging->target, staging);
    staging->dir = parent / markedName(staging->target, "staging", getpid());
    staging->scratch = parent / markedName(staging->target, "scratch", getpid());
    for (const fs::path &dir : {staging->dir, staging->scratch}) {
        fs::remove_all(dir, error);
        if (!fs::create_directory(dir, error)) {
            *why = dir.string() + ": " + error.message();
            return false;
        }
    }
    return true;
}

bool commitStaging(const Staging &staging, std::string *why) {
    holdIfAsked(staging);
    const fs::path old = staging.target.parent_path() / markedName(staging.target, "old", getpid());
    std::error_code error;
    if (!fs::exists(staging.target, error)) {
        if (std::rename(staging.dir.c_str(), staging.target.c_str()) != 0) {
            *why = staging.target.string() + ": " + std::strerror(errno);
            return false;
        }
        abandonStaging(staging);
        return true;
    }
    if (!swapIn(staging, old, why)) {
        *why = staging.target.string() + ": " + *why;
        return false;
    }
    fs::remove_all(old, error);
    abandonStaging(staging);
    return true;
}

void abandonStaging(const Staging &staging) {
    std::error_code error;
    fs::remove_all(staging.dir, error);
    fs::remove_all(staging.scratch, error);
}
