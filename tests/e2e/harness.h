// End-to-end harness: runs the viewer as a real process on the X display
// named by DISPLAY, reads its two output streams line by line, sends key
// presses through the XTest extension and reads the window's pixels back.
#ifndef E2E_HARNESS_H
#define E2E_HARNESS_H

#include "process.h"
#include "texture_tree.h"
#include "tga_write.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// A fresh temporary directory, removed by removeTree().
std::string makeTempDir();
void removeTree(const std::string &dir);
void writeFile(const std::string &path, const std::string &text);
// The whole of a file ("" if it cannot be read).
std::string readAll(const std::string &path);

// Writes a texture tree under dir: image(set, file) for every file (see
// texture_tree.h), the exterior stored bottom row first, cube faces top first.
void writeTextureTree(const std::string &dir, const std::function<RgbaImage(int set, int file)> &image);

// The sheet's cell (texture_layout.h) that texel (i, j) of the face towards
// the facade of building set `set` lies in, and where in the cell's read
// square.
texlayout::SheetPoint sheetPointOfTexel(int set, int i, int j, int faceSize);

// Copies the built program, its shader pair and its textures into dir.
void installViewer(const std::string &dir);

// Starts dir/interior_mapping by its full path, from the root directory.
bool launchInstalledViewer(ChildProcess &v, const std::string &dir,
                           const std::map<std::string, std::string> &env = {});

// The oldest OpenGL the viewer's gate admits, for Mesa (the tests draw with
// the newest otherwise): a pair drawn under it compiles as GLSL 1.10.
extern const std::map<std::string, std::string> openGL20;

// Runs tools/shader_join with these arguments to its end; its exit status.
int runShaderJoin(ChildProcess &join, const std::vector<std::string> &args);

// Number of frames begun so far: "using a shader" lines.
int frameCount(const Lines &lines);
// Waits until at least n frames have begun.
bool waitForFrames(ChildProcess &v, int n, double timeoutSeconds = 30);

// Presses and releases a key (a lower-case letter or digit).
void pressKey(ChildProcess &v, char key);

// Presses a key and waits until the frame it causes has begun; then
// presses a key that changes nothing and waits for that frame too, so that
// the first frame is on the screen when this returns.
bool pressAndSettle(ChildProcess &v, const std::string &keys);
// Presses a key and waits for a frame that began after the key was handled.
bool pressAndWaitForFrame(ChildProcess &v, char key);

struct Rgb {
    int r, g, b;
};

struct Screenshot {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;   // rows from the top
    Rgb at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Where world point p falls in a window of width x height pixels (rows from
// the top) in the last frame the viewer began, from the camera lines it
// printed: 60 degrees of vertical field of view, looking from the eye along
// theta and phi with +y up. `ahead` is false for a point behind the eye.
struct Pixel { double x, y; bool ahead; };
Pixel worldToPixel(const Lines &lines, texlayout::Dir3 p, int width, int height);

// Reads the viewer window's pixels back from the X server.
Screenshot grabWindow(ChildProcess &v);
// Asks the X server to resize the viewer window.
void resizeWindow(ChildProcess &v, int width, int height);
// Writes a screenshot as the binary PPM <temporary directory>/<name>.ppm
// (for looking at failures) and returns its path.
std::string savePpm(const Screenshot &shot, const std::string &name);

// A test fixture that installs the built viewer into a temporary directory
// of its own, and ends the viewer and removes the directory afterwards.
class ViewerTest : public ::testing::Test {
protected:
    std::string dir = makeTempDir();   // the installed viewer
    ChildProcess v;

    void SetUp() override { installViewer(dir); }
    void TearDown() override { stopProcess(v); removeTree(dir); }
    void start(const std::map<std::string, std::string> &env = {})
    {
        ASSERT_TRUE(launchInstalledViewer(v, dir, env));
    }
    void useShaders(const char *vertex, const char *fragment)
    {
        writeFile(dir + "/VLight.glsl", vertex);
        writeFile(dir + "/FLight.glsl", fragment);
    }
};

#endif
