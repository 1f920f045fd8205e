#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

bool launchProcess(ChildProcess &v, const LaunchOptions &options)
{
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return false;
    pid_t parent = getpid();
    v.pid = fork();
    if (v.pid < 0)
        return false;
    if (v.pid == 0) {
        // The child must not outlive a test that crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (int fd : options.closedFds)
            close(fd);
        if (!options.workingDir.empty() && chdir(options.workingDir.c_str()) != 0)
            _exit(126);
        for (const auto &kv : options.env)
            setenv(kv.first.c_str(), kv.second.c_str(), 1);
        if (!options.pathDir.empty()) {
            std::string path = options.pathDir + ":" + getenv("PATH");
            setenv("PATH", path.c_str(), 1);
        }
        std::vector<char *> argv = {const_cast<char *>(options.program.c_str())};
        for (const std::string &arg : options.args)
            argv.push_back(const_cast<char *>(arg.c_str()));
        argv.push_back(NULL);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    v.outFd = out[0];
    v.errFd = err[0];
    return true;
}

// Moves complete lines from the partial buffer into the line list.
static void splitLines(std::string &partial, std::vector<std::string> &lines)
{
    size_t start = 0, nl;
    while ((nl = partial.find('\n', start)) != std::string::npos) {
        lines.push_back(partial.substr(start, nl - start));
        start = nl + 1;
    }
    partial.erase(0, start);
}

// Reads whatever one stream has; closes it at end of file.
static void drain(int &fd, std::string &text, std::string &partial,
                  std::vector<std::string> &lines)
{
    char buf[65536];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
        text.append(buf, static_cast<size_t>(n));
        partial.append(buf, static_cast<size_t>(n));
        splitLines(partial, lines);
    } else if (n == 0) {
        if (!partial.empty())
            lines.push_back(partial);
        partial.clear();
        close(fd);
        fd = -1;
    }
}

static void reap(ChildProcess &v, bool block)
{
    if (v.ended || v.pid <= 0)
        return;
    int status = 0;
    pid_t r = waitpid(v.pid, &status, block ? 0 : WNOHANG);
    if (r == v.pid) {
        v.ended = true;
        v.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
}

// Waits up to timeoutMs for output and reads it. False once both streams
// have ended.
static bool pump(ChildProcess &v, int timeoutMs)
{
    struct pollfd fds[2];
    int n = 0;
    if (v.outFd >= 0)
        fds[n++] = {v.outFd, POLLIN, 0};
    if (v.errFd >= 0)
        fds[n++] = {v.errFd, POLLIN, 0};
    if (n == 0) {
        reap(v, true);
        return false;
    }
    if (poll(fds, n, timeoutMs) <= 0)
        return true;
    for (int i = 0; i < n; ++i) {
        if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        if (fds[i].fd == v.outFd)
            drain(v.outFd, v.outText, v.outPartial, v.lines.out);
        else
            drain(v.errFd, v.errText, v.errPartial, v.lines.err);
    }
    return true;
}

static double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool waitUntil(ChildProcess &v, const std::function<bool(const Lines &)> &done,
               double timeoutSeconds)
{
    auto start = std::chrono::steady_clock::now();
    while (!done(v.lines)) {
        double left = timeoutSeconds - secondsSince(start);
        if (left <= 0)
            return false;
        if (!pump(v, static_cast<int>(left * 1000) + 1))
            return done(v.lines);
    }
    return true;
}

int waitForExit(ChildProcess &v, double timeoutSeconds)
{
    auto start = std::chrono::steady_clock::now();
    while (!v.ended) {
        double left = timeoutSeconds - secondsSince(start);
        if (left <= 0)
            return -1;
        if (!pump(v, static_cast<int>(left * 1000) + 1))
            break;
    }
    reap(v, true);
    return v.exitStatus;
}

void stopProcess(ChildProcess &v)
{
    if (v.pid > 0 && !v.ended) {
        kill(v.pid, SIGTERM);
        if (waitForExit(v, 10) < 0 && !v.ended) {
            kill(v.pid, SIGKILL);
            reap(v, true);
        }
    }
    for (int *fd : {&v.outFd, &v.errFd}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
}

int countLines(const std::vector<std::string> &lines, const std::string &exact)
{
    int n = 0;
    for (const auto &line : lines)
        n += line == exact;
    return n;
}

bool startsWith(const std::string &s, const std::string &prefix)
{
    return s.compare(0, prefix.size(), prefix) == 0;
}

