#include "harness.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

static const char *const windowTitle = "Interior Mapping";
static const char *const frameLine = "using a shader";
// A key outside the camera's table: it only re-aims and redraws.
static const char settleKey = 'x';

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

void writeTextureTree(const std::string &dir, const std::function<RgbaImage(int set, int file)> &image)
{
    for (int set = 0; set < 7; ++set) {
        const std::string base = dir + "/" + kSetNames[set] + "/";
        fs::create_directories(base);
        for (int file = 0; file < 7; ++file)
            ASSERT_TRUE(writeTga(base + kSetFiles[file] + ".tga", image(set, file),
                                 file == 0 ? TgaRowOrder::BottomFirst : TgaRowOrder::TopFirst));
    }
}

texlayout::SheetPoint sheetPointOfTexel(int set, int i, int j, int faceSize)
{
    const texlayout::Dir3 c = texlayout::toFacadeFrame(
        set, texlayout::cubeFaceDirection(set, (i + 0.5) / faceSize, (j + 0.5) / faceSize));
    return texlayout::sheetPointAt(c.x / c.z, c.y / c.z);
}

std::string readAll(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void installViewer(const std::string &dir)
{
    const std::string built = IM_BUILD_DIR;
    for (const char *name : {"interior_mapping", "VLight.glsl", "FLight.glsl"})
        fs::copy_file(built + "/" + name, dir + "/" + name,
                      fs::copy_options::overwrite_existing);
    fs::copy(built + "/textures", dir + "/textures", fs::copy_options::recursive);
}

bool launchInstalledViewer(ChildProcess &v, const std::string &dir,
                           const std::map<std::string, std::string> &env)
{
    LaunchOptions o;
    o.program = dir + "/interior_mapping";
    o.workingDir = "/";
    o.env = env;
    return launchProcess(v, o);
}

const std::map<std::string, std::string> openGL20 = {{"MESA_GL_VERSION_OVERRIDE", "2.0"},
                                                     {"MESA_GLSL_VERSION_OVERRIDE", "110"}};

int runShaderJoin(ChildProcess &join, const std::vector<std::string> &args)
{
    LaunchOptions o;
    o.program = SHADER_JOIN;
    o.args = args;
    o.workingDir = "/";
    const int status = launchProcess(join, o) ? waitForExit(join) : -1;
    stopProcess(join);
    return status;
}

int frameCount(const Lines &lines)
{
    return countLines(lines.out, frameLine);
}

bool waitForFrames(ChildProcess &v, int n, double timeoutSeconds)
{
    return waitUntil(v, [n](const Lines &l) { return frameCount(l) >= n; },
                     timeoutSeconds);
}

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

// The window titled "Interior Mapping" that process `pid` made (or that
// names no process). Without a window manager, GLUT's windows are children
// of the root window.
static Window findWindow(Display *dpy, pid_t pid)
{
    Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
    Window root, parent, *children = NULL, found = 0;
    unsigned int n = 0;
    XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &n);
    for (unsigned int i = 0; i < n && !found; ++i) {
        char *name = NULL;
        unsigned char *owner = NULL;
        Atom type;
        int format;
        unsigned long count, after;
        XGetWindowProperty(dpy, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &owner);
        bool ours = owner == NULL || *reinterpret_cast<long *>(owner) == pid;
        if (XFetchName(dpy, children[i], &name) && strcmp(name, windowTitle) == 0 && ours)
            found = children[i];
        XFree(name);
        XFree(owner);
    }
    XFree(children);
    return found;
}

static Window viewerWindow(ChildProcess &v)
{
    if (v.window == 0)
        v.window = findWindow(display(), v.pid);
    if (v.window == 0)
        throw std::runtime_error("the viewer's window is not on the display");
    return v.window;
}

void pressKey(ChildProcess &v, char key)
{
    Display *dpy = display();
    XSetInputFocus(dpy, viewerWindow(v), RevertToPointerRoot, CurrentTime);
    KeyCode code = XKeysymToKeycode(dpy, static_cast<KeySym>(key));
    XTestFakeKeyEvent(dpy, code, True, CurrentTime);
    XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    XSync(dpy, False);
}

// A frame that began after the keyboard callback ran shows as that
// callback's two empty lines on standard error followed by camera lines.
bool pressAndWaitForFrame(ChildProcess &v, char key)
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

bool pressAndSettle(ChildProcess &v, const std::string &keys)
{
    for (char key : keys)
        if (!pressAndWaitForFrame(v, key))
            return false;
    // A frame that begins after a second no-op key proves that the frame of
    // the first one, already showing the final state, has been swapped.
    return pressAndWaitForFrame(v, settleKey) && pressAndWaitForFrame(v, settleKey);
}

// Reads the window back (24-bit TrueColor, as Xvfb runs).
Screenshot grabWindow(ChildProcess &v)
{
    XWindowAttributes attr;
    XGetWindowAttributes(display(), viewerWindow(v), &attr);
    XImage *image = XGetImage(display(), viewerWindow(v), 0, 0, attr.width, attr.height,
                              AllPlanes, ZPixmap);
    if (image == NULL)
        throw std::runtime_error("XGetImage failed");
    Screenshot shot;
    shot.width = attr.width;
    shot.height = attr.height;
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            unsigned long p = XGetPixel(image, x, y);
            shot.pixels.push_back({static_cast<int>((p >> 16) & 0xFF),
                                   static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)});
        }
    XDestroyImage(image);
    return shot;
}

// The last line of `lines` that begins with `prefix` ("" if none).
static std::string lastLine(const std::vector<std::string> &lines, const std::string &prefix)
{
    const auto it = std::find_if(lines.rbegin(), lines.rend(), [&](const std::string &s) { return startsWith(s, prefix); });
    return it == lines.rend() ? "" : *it;
}

Pixel worldToPixel(const Lines &lines, texlayout::Dir3 p, int width, int height)
{
    using texlayout::cross, texlayout::dot, texlayout::Dir3;
    const double pi = std::acos(-1.0), halfView = pi / 6;
    Dir3 eye{};
    double theta = 0, phi = 0;
    if (std::sscanf(lastLine(lines.err, "eye <").c_str(), "eye <%lf %lf %lf>", &eye.x, &eye.y, &eye.z) != 3 ||
        std::sscanf(lastLine(lines.err, "theta = ").c_str(), "theta = %lf phi = %lf", &theta, &phi) != 2)
        throw std::runtime_error("the viewer printed no camera lines");
    // The printed phi may round to +-90, where the view would have no side.
    phi = std::max(-89.999, std::min(89.999, phi));
    const double t = (90 - theta) * pi / 180, q = (90 - phi) * pi / 180;
    const Dir3 f{std::cos(t) * std::sin(q), std::cos(q), std::sin(t) * std::sin(q)};
    const auto unit = [](Dir3 d) { const double n = std::sqrt(dot(d, d)); return Dir3{d.x / n, d.y / n, d.z / n}; };
    const Dir3 side = unit(cross(f, {0, 1, 0})), up = cross(side, f);
    const Dir3 d{p.x - eye.x, p.y - eye.y, p.z - eye.z};
    const double depth = dot(d, f), focal = 0.5 * height / std::tan(halfView);
    return {0.5 * width + focal * dot(d, side) / depth, 0.5 * height - focal * dot(d, up) / depth, depth > 0};
}

void resizeWindow(ChildProcess &v, int width, int height)
{
    XResizeWindow(display(), viewerWindow(v), width, height);
    XSync(display(), False);
}

std::string savePpm(const Screenshot &shot, const std::string &name)
{
    const std::string path = fs::temp_directory_path() / (name + ".ppm");
    std::ofstream f(path, std::ios::binary);
    f << "P6\n" << shot.width << " " << shot.height << "\n255\n";
    for (const Rgb &p : shot.pixels) {
        const char rgb[3] = {static_cast<char>(p.r), static_cast<char>(p.g),
                             static_cast<char>(p.b)};
        f.write(rgb, 3);
    }
    return path;
}
