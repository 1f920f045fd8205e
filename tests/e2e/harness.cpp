#include "harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

static const char *const windowTitle = "Interior Mapping";
static const char *const frameLine = "using a shader";
// A key outside the camera's table: it only re-aims and redraws.
static const char settleKey = 'x';

std::string builtProgramDir()
{
    return IM_BUILD_DIR;
}

std::string makeTempDir()
{
    char pattern[] = "/tmp/im-e2e-XXXXXX";
    if (mkdtemp(pattern) == NULL)
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

void removeTree(const std::string &dir)
{
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

void writeFile(const std::string &path, const std::string &text)
{
    std::ofstream(path, std::ios::binary) << text;
}

void copyTree(const std::string &from, const std::string &to)
{
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

void installViewer(const std::string &dir)
{
    std::string built = builtProgramDir();
    for (const char *name : {"interior_mapping", "VLight.glsl", "FLight.glsl"})
        fs::copy_file(built + "/" + name, dir + "/" + name,
                      fs::copy_options::overwrite_existing);
    copyTree(built + "/textures", dir + "/textures");
}

// ---------------------------------------------------------------- process

bool launchViewer(ViewerProcess &v, const LaunchOptions &options)
{
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return false;
    pid_t parent = getpid();
    v.pid = fork();
    if (v.pid < 0)
        return false;
    if (v.pid == 0) {
        // The viewer must not outlive a test that crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(127);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        if (!options.workingDir.empty() && chdir(options.workingDir.c_str()) != 0)
            _exit(126);
        for (const auto &kv : options.env)
            setenv(kv.first.c_str(), kv.second.c_str(), 1);
        if (!options.pathDir.empty()) {
            std::string path = options.pathDir + ":" + getenv("PATH");
            setenv("PATH", path.c_str(), 1);
        }
        char *argv[] = {const_cast<char *>(options.program.c_str()), NULL};
        execvp(argv[0], argv);
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    v.outFd = out[0];
    v.errFd = err[0];
    return true;
}

bool launchInstalledViewer(ViewerProcess &v, const std::string &dir,
                           const std::map<std::string, std::string> &env)
{
    LaunchOptions o;
    o.program = dir + "/interior_mapping";
    o.workingDir = "/";
    o.env = env;
    return launchViewer(v, o);
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
static void drain(int &fd, std::string &partial, std::vector<std::string> &lines)
{
    char buf[65536];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
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

static void reap(ViewerProcess &v, bool block)
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
static bool pump(ViewerProcess &v, int timeoutMs)
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
            drain(v.outFd, v.outPartial, v.lines.out);
        else
            drain(v.errFd, v.errPartial, v.lines.err);
    }
    return true;
}

static double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool waitUntil(ViewerProcess &v, const std::function<bool(const Lines &)> &done,
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

int waitForExit(ViewerProcess &v, double timeoutSeconds)
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

void stopViewer(ViewerProcess &v)
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

// ---------------------------------------------------------------- frames

int frameCount(const Lines &lines)
{
    return countLines(lines.out, frameLine);
}

bool waitForFrames(ViewerProcess &v, int n, double timeoutSeconds)
{
    return waitUntil(v, [n](const Lines &l) { return frameCount(l) >= n; },
                     timeoutSeconds);
}

std::vector<std::string> cameraLines(const Lines &lines, int frame)
{
    int seen = -1;
    for (size_t i = 0; i < lines.err.size(); ++i) {
        if (startsWith(lines.err[i], "eye <") && ++seen == frame)
            return std::vector<std::string>(
                lines.err.begin() + i,
                lines.err.begin() + std::min(i + 4, lines.err.size()));
    }
    return {};
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

// ---------------------------------------------------------------- X

static Display *display()
{
    static Display *dpy = NULL;
    if (dpy == NULL) {
        dpy = XOpenDisplay(NULL);
        if (dpy == NULL)
            throw std::runtime_error("cannot open the X display (is DISPLAY set?)");
    }
    return dpy;
}

static bool windowHasTitle(Display *dpy, Window w)
{
    char *name = NULL;
    bool match = XFetchName(dpy, w, &name) && name && strcmp(name, windowTitle) == 0;
    if (name)
        XFree(name);
    return match;
}

// The _NET_WM_PID of a window, or 0 if it has none.
static long windowPid(Display *dpy, Window w)
{
    Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", True);
    if (pidAtom == None)
        return 0;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = NULL;
    long pid = 0;
    if (XGetWindowProperty(dpy, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success && data && count == 1)
        pid = *reinterpret_cast<long *>(data);
    if (data)
        XFree(data);
    return pid;
}

static Window findWindow(Display *dpy, Window w, pid_t pid)
{
    if (windowHasTitle(dpy, w)) {
        long owner = windowPid(dpy, w);
        if (owner == 0 || owner == pid)
            return w;
    }
    Window root, parent, *children = NULL;
    unsigned int n = 0;
    Window found = 0;
    if (XQueryTree(dpy, w, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n && !found; ++i)
            found = findWindow(dpy, children[i], pid);
        if (children)
            XFree(children);
    }
    return found;
}

static Window viewerWindow(ViewerProcess &v)
{
    if (v.window == 0) {
        Display *dpy = display();
        v.window = findWindow(dpy, DefaultRootWindow(dpy), v.pid);
        if (v.window == 0)
            throw std::runtime_error("the viewer's window is not on the display");
    }
    return v.window;
}

static void tapKeysym(ViewerProcess &v, KeySym sym, bool shift)
{
    Display *dpy = display();
    XSetInputFocus(dpy, viewerWindow(v), RevertToPointerRoot, CurrentTime);
    KeyCode code = XKeysymToKeycode(dpy, sym);
    KeyCode shiftCode = XKeysymToKeycode(dpy, XK_Shift_L);
    if (shift)
        XTestFakeKeyEvent(dpy, shiftCode, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(dpy, shiftCode, False, CurrentTime);
    XSync(dpy, False);
}

void pressKey(ViewerProcess &v, char key)
{
    bool upper = std::isupper(static_cast<unsigned char>(key));
    KeySym sym = static_cast<KeySym>(std::tolower(static_cast<unsigned char>(key)));
    tapKeysym(v, sym, upper);
}

void pressNamedKey(ViewerProcess &v, const char *keysymName)
{
    tapKeysym(v, XStringToKeysym(keysymName), false);
}

// A frame that began after the keyboard callback ran shows as that
// callback's two empty lines on standard error followed by camera lines.
bool pressAndWaitForFrame(ViewerProcess &v, char key)
{
    size_t mark = v.lines.err.size();
    pressKey(v, key);
    return waitUntil(v, [mark](const Lines &l) {
        bool keySeen = false;
        for (size_t i = mark; i + 1 < l.err.size(); ++i) {
            if (l.err[i].empty() && l.err[i + 1].empty())
                keySeen = true;
            else if (keySeen && startsWith(l.err[i], "eye <"))
                return true;
        }
        return false;
    });
}

bool pressAndSettle(ViewerProcess &v, const std::string &keys)
{
    for (char key : keys)
        if (!pressAndWaitForFrame(v, key))
            return false;
    // A frame that begins after a second no-op key proves that the frame of
    // the first one, already showing the final state, has been swapped.
    return pressAndWaitForFrame(v, settleKey) && pressAndWaitForFrame(v, settleKey);
}

// Reads a rectangle of the viewer window (24-bit TrueColor, as Xvfb runs).
static Screenshot grabRectangle(ViewerProcess &v, int x0, int y0, int width, int height)
{
    XImage *image = XGetImage(display(), viewerWindow(v), x0, y0, width, height,
                              AllPlanes, ZPixmap);
    if (image == NULL)
        throw std::runtime_error("XGetImage failed");

    Screenshot shot;
    shot.width = width;
    shot.height = height;
    shot.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            shot.pixels[static_cast<size_t>(y) * width + x] = {
                static_cast<int>((p & image->red_mask) >> 16),
                static_cast<int>((p & image->green_mask) >> 8),
                static_cast<int>(p & image->blue_mask)};
        }
    XDestroyImage(image);
    return shot;
}

Screenshot grabWindow(ViewerProcess &v)
{
    XWindowAttributes attr;
    XGetWindowAttributes(display(), viewerWindow(v), &attr);
    return grabRectangle(v, 0, 0, attr.width, attr.height);
}

void resizeWindow(ViewerProcess &v, int width, int height)
{
    XResizeWindow(display(), viewerWindow(v), width, height);
    XSync(display(), False);
}

Rgb readPixel(ViewerProcess &v, int x, int y)
{
    return grabRectangle(v, x, y, 1, 1).pixels[0];
}

void savePpm(const Screenshot &shot, const std::string &path)
{
    std::ofstream f(path, std::ios::binary);
    f << "P6\n" << shot.width << " " << shot.height << "\n255\n";
    for (const Rgb &p : shot.pixels) {
        const char rgb[3] = {static_cast<char>(p.r), static_cast<char>(p.g),
                             static_cast<char>(p.b)};
        f.write(rgb, 3);
    }
}
