// Runs a program as a child process with its standard output and standard
// error captured separately, as text and line by line, and waits on what it
// writes rather than on the clock.
#ifndef TEST_PROCESS_H
#define TEST_PROCESS_H

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

struct Lines {
    std::vector<std::string> out;   // standard output, one entry per line
    std::vector<std::string> err;   // standard error
};

// A running (or ended) child process.
struct ChildProcess {
    pid_t pid = -1;
    int outFd = -1, errFd = -1;
    std::string outText, errText;         // everything written so far
    Lines lines;                          // the same, as complete lines
    bool ended = false;
    int exitStatus = -1;                  // WEXITSTATUS once ended normally
    unsigned long window = 0;             // its X window, when the harness looks for one
};

struct LaunchOptions {
    std::string program;                  // path or bare name to execute
    std::vector<std::string> args;
    std::string workingDir;               // where the process starts
    std::map<std::string, std::string> env;
    std::vector<int> closedFds;           // descriptors the program starts without
};

bool launchProcess(ChildProcess &v, const LaunchOptions &options);

// Reads what has arrived until the condition holds, the process ends with
// nothing more to read, or the timeout passes. Returns the condition.
bool waitUntil(ChildProcess &v, const std::function<bool(const Lines &)> &done,
               double timeoutSeconds = 30);

// Waits for the process to end and returns its exit status (-1 on timeout
// or when it died from a signal).
int waitForExit(ChildProcess &v, double timeoutSeconds = 30);

// Ends the process (if still running) and collects it.
void stopProcess(ChildProcess &v);

// How many lines equal `exact`; whether `s` begins with `prefix`.
int countLines(const std::vector<std::string> &lines, const std::string &exact);
bool startsWith(const std::string &s, const std::string &prefix);

#endif
