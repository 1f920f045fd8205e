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

// The complete lines of a stream's text; once it has ended, also the last,
// unfinished one.
static std::vector<std::string> splitLines(const std::string &text, bool ended)
{
    std::vector<std::string> lines;
    size_t start = 0, nl;
    for (; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    if (ended && start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

static void reap(ChildProcess &v)
{
    int status = 0;
    if (!v.ended && v.pid > 0 && waitpid(v.pid, &status, 0) == v.pid) {
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
    for (int fd : {v.outFd, v.errFd})
        if (fd >= 0)
            fds[n++] = {fd, POLLIN, 0};
    if (n == 0) {
        reap(v);
        return false;
    }
    if (poll(fds, n, timeoutMs) <= 0)
        return true;
    for (int i = 0; i < n; ++i) {
        if (fds[i].revents == 0)
            continue;
        bool isOut = fds[i].fd == v.outFd;
        int &fd = isOut ? v.outFd : v.errFd;
        std::string &text = isOut ? v.outText : v.errText;
        char buf[65536];
        ssize_t got = read(fd, buf, sizeof buf);
        if (got > 0) {
            text.append(buf, static_cast<size_t>(got));
        } else {
            close(fd);
            fd = -1;
        }
        (isOut ? v.lines.out : v.lines.err) = splitLines(text, fd < 0);
    }
    return true;
}

bool waitUntil(ChildProcess &v, const std::function<bool(const Lines &)> &done,
               double timeoutSeconds)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!done(v.lines)) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        if (!pump(v, static_cast<int>(left.count())))
            return done(v.lines);
    }
    return true;
}

int waitForExit(ChildProcess &v, double timeoutSeconds)
{
    waitUntil(v, [&v](const Lines &) { return v.ended; }, timeoutSeconds);
    return v.ended ? v.exitStatus : -1;
}

void stopProcess(ChildProcess &v)
{
    if (v.pid > 0 && !v.ended) {
        kill(v.pid, SIGTERM);
        if (waitForExit(v, 10) < 0 && !v.ended) {
            kill(v.pid, SIGKILL);
            reap(v);
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

