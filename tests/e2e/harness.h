// End-to-end harness: runs the viewer as a real process on the X display
// named by DISPLAY, reads its two output streams line by line, sends key
// presses through the XTest extension and reads the window's pixels back.
#ifndef E2E_HARNESS_H
#define E2E_HARNESS_H

#include <sys/types.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

// Where the build put the program and its data files.
std::string builtProgramDir();

// A fresh temporary directory, removed by removeTree().
std::string makeTempDir();
void removeTree(const std::string &dir);
void writeFile(const std::string &path, const std::string &text);
void copyTree(const std::string &from, const std::string &to);

// Copies the built program, its shader pair and its textures into dir.
void installViewer(const std::string &dir);

struct Lines {
    std::vector<std::string> out;   // standard output, one entry per line
    std::vector<std::string> err;   // standard error
};

// A running (or ended) viewer process.
struct ViewerProcess {
    pid_t pid = -1;
    int outFd = -1, errFd = -1;
    std::string outPartial, errPartial;   // text after the last newline
    Lines lines;
    bool ended = false;
    int exitStatus = -1;                  // WEXITSTATUS once ended normally
    unsigned long window = 0;             // X window, found on demand
};

struct LaunchOptions {
    std::string program;                  // path or bare name to execute
    std::string workingDir;               // where the process starts
    std::string pathDir;                  // added to PATH for bare names
    std::map<std::string, std::string> env;
};

bool launchViewer(ViewerProcess &v, const LaunchOptions &options);
// Starts dir/interior_mapping by its full path, from the root directory.
bool launchInstalledViewer(ViewerProcess &v, const std::string &dir,
                           const std::map<std::string, std::string> &env = {});

// Reads what has arrived until the condition holds, the process ends with
// nothing more to read, or the timeout passes. Returns the condition.
bool waitUntil(ViewerProcess &v, const std::function<bool(const Lines &)> &done,
               double timeoutSeconds = 30);

// Waits for the process to end and returns its exit status (-1 on timeout
// or when it died from a signal).
int waitForExit(ViewerProcess &v, double timeoutSeconds = 30);

// Ends the process (if still running) and collects it.
void stopViewer(ViewerProcess &v);

// Number of frames begun so far: "using a shader" lines.
int frameCount(const Lines &lines);
// Waits until at least n frames have begun.
bool waitForFrames(ViewerProcess &v, int n, double timeoutSeconds = 30);

// The four camera lines of frame i (0-based), in order.
std::vector<std::string> cameraLines(const Lines &lines, int frame);

// Presses and releases a key: a character (upper case through Shift) or
// one of the X key names such as "Escape".
void pressKey(ViewerProcess &v, char key);
void pressNamedKey(ViewerProcess &v, const char *keysymName);

// Presses a key and waits until the frame it causes has begun; then
// presses a key that changes nothing and waits for that frame too, so that
// the first frame is on the screen when this returns.
bool pressAndSettle(ViewerProcess &v, const std::string &keys);
// Presses a key and waits for a frame that began after the key was handled.
bool pressAndWaitForFrame(ViewerProcess &v, char key);

struct Rgb {
    int r, g, b;
};

struct Screenshot {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;   // rows from the top
    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Reads the viewer window's pixels back from the X server.
Screenshot grabWindow(ViewerProcess &v);
// Asks the X server to resize the viewer window.
void resizeWindow(ViewerProcess &v, int width, int height);
// Reads one pixel of the viewer window.
Rgb readPixel(ViewerProcess &v, int x, int y);
// Writes a screenshot as a binary PPM (for looking at failures).
void savePpm(const Screenshot &shot, const std::string &path);

// Lines of standard error between two markers or matching a prefix.
int countLines(const std::vector<std::string> &lines, const std::string &exact);
bool startsWith(const std::string &s, const std::string &prefix);

#endif
