// Pixel checks of the interior-mapping pair against a CPU model of the same
// geometry, on calibration textures: every cube-map face a solid colour of
// its own, facades grey with an L-shaped opening. For chosen views the model
// predicts, pixel by pixel, whether the sky, a facade or which wall of which
// room shows; the window read back must agree wherever the prediction is
// not within a couple of pixels of an edge.
#include "camera.h"
#include "viewer_test.h"
#include "shader_model.h"
#include "test_shaders.h"
#include "tga_write.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace sm = shader_model;

namespace {

const int sampleStep = 7;         // pixels between samples
const double edgeMargin = 2.0;    // pixels around an edge left unchecked

// The camera the viewer holds after the keys, computed by the viewer's own
// camera code.
sm::Camera cameraAfter(const std::string &keys)
{
    resetCamera();
    cameraKey(0);
    for (char key : keys)
        cameraKey(static_cast<unsigned char>(key));
    sm::Camera c;
    c.eye = {eye.x, eye.y, eye.z};
    c.lookAt = {la.x, la.y, la.z};
    return c;
}

std::string describe(const sm::Classification &c)
{
    static const char *const kinds[] = {"room slot", "world slot", "facade", "unknown"};
    std::ostringstream s;
    s << kinds[static_cast<int>(c.kind)];
    if (c.kind == sm::ColorClass::RoomSlot || c.kind == sm::ColorClass::WorldSlot)
        s << " " << c.slot;
    return s.str();
}

bool sameClass(const sm::Classification &a, const sm::Classification &b)
{
    bool slotMatters = a.kind == sm::ColorClass::RoomSlot || a.kind == sm::ColorClass::WorldSlot;
    return a.kind == b.kind && (!slotMatters || a.slot == b.slot);
}

struct Tally {
    int checked = 0, rooms = 0, sky = 0;
    std::vector<std::string> mismatches;
};

Tally compare(const Screenshot &shot, const sm::Camera &camera)
{
    Tally t;
    for (int y = sampleStep / 2; y < shot.height; y += sampleStep)
        for (int x = sampleStep / 2; x < shot.width; x += sampleStep) {
            sm::Prediction p =
                sm::predictPixel(camera, x, y, sm::calibrationFacadeAlpha, edgeMargin);
            if (p.nearEdge)
                continue;
            sm::Classification want = sm::expectedCalibrationClass(p);
            Rgb got = shot.at(x, y);
            sm::Classification seen = sm::classifyCalibrationColor({got.r, got.g, got.b});
            bool room = p.kind == sm::PixelKind::Room;
            ++t.checked;
            t.rooms += room;
            t.sky += p.kind == sm::PixelKind::Sky;
            // A room's light, on or off, comes from the hash of its cell.
            bool lightAgrees =
                !room || sm::calibrationRoomLooksLit({got.r, got.g, got.b}) == p.room.variety.lit;
            if (!sameClass(want, seen) || !lightAgrees) {
                std::ostringstream s;
                s << "(" << x << ", " << y << ") expected " << describe(want);
                if (room)
                    s << (p.room.variety.lit ? " lit" : " dark");
                s << ", saw " << describe(seen) << " rgb " << got.r << " " << got.g << " "
                  << got.b;
                t.mismatches.push_back(s.str());
            }
        }
    return t;
}

// Calibration textures in place of the generated ones.
class CalibratedViewer : public ViewerTest {
protected:
    void SetUp() override
    {
        ViewerTest::SetUp();
        removeTree(dir + "/textures");
        ASSERT_TRUE(sm::writeCalibrationTextures(dir + "/textures"));
    }
};

class InteriorPixels : public CalibratedViewer {
protected:
    void SetUp() override
    {
        CalibratedViewer::SetUp();
        start();
        ASSERT_TRUE(waitForFrames(v, 1));
    }

    // Presses keys (from the current state), then checks the whole window
    // against the model of the camera after all keys pressed so far.
    void checkView(const std::string &keysSoFar, const std::string &newKeys,
                   int minRoomSamples)
    {
        ASSERT_TRUE(pressAndSettle(v, newKeys));
        Screenshot shot = grabWindow(v);
        Tally t = compare(shot, cameraAfter(keysSoFar));
        SCOPED_TRACE("view after keys \"" + keysSoFar + "\"");
        EXPECT_GE(t.rooms, minRoomSamples) << "the view shows too few rooms to judge";
        EXPECT_GT(t.sky, 0);
        if (!t.mismatches.empty()) {
            savePpm(shot, "/tmp/interior-pixels-failure.ppm");
            ADD_FAILURE() << t.mismatches.size() << " of " << t.checked
                          << " samples disagree with the model, e.g. " << t.mismatches[0]
                          << " (window saved as /tmp/interior-pixels-failure.ppm)";
        }
    }
};

TEST_F(InteriorPixels, StartViewAndSidewaysSteps)
{
    checkView("", "", 300);
    checkView("a", "a", 300);
    checkView("ad", "d", 300);
}

TEST_F(InteriorPixels, CloseUpObliqueViewsShowParallax)
{
    // Closer, then stepping sideways: rooms shift against their windows.
    const std::string closer = "wwwwwwwwwwww";
    checkView(closer, closer, 1000);
    checkView(closer + "aaaa", "aaaa", 800);
    checkView(closer + "aaaaq", "q", 250);
    checkView(closer + "aaaaqr", "r", 250);
}

TEST_F(InteriorPixels, TurningAroundTheCorner)
{
    // Off to the side, turned to look at two faces at once.
    const std::string aside = "aaaaaaaaaaaaaaaaee";
    checkView(aside, aside, 200);
    checkView(aside + "wwwwwwwwwwww", "wwwwwwwwwwww", 1000);
}

TEST_F(InteriorPixels, FromAboveThroughTheRoof)
{
    // Up at 45 degrees, then looking down at 45 degrees onto the top face.
    const std::string climb = "rrrrrrrrrwwwwwwwwwwwwwwwww";
    const std::string lookDown = "ffffffffffffffffff";
    checkView(climb + lookDown, climb + lookDown, 500);
}

TEST_F(CalibratedViewer, EachFaceShowsItsOwnSet)
{
    // Each set's facade a solid colour of its own (the room colours serve).
    useShaders(facadeVertexShader, facadeOnFacesFragmentShader);
    for (int set = 0; set < sm::kFaceCount; ++set) {
        sm::Rgb c = sm::roomSlotColor(set);
        RgbaImage solid = makeSolidImage(8, c.r, c.g, c.b, 255);
        std::string path = dir + "/textures/" + texlayout::kSetNames[set] + "/exterior.tga";
        ASSERT_TRUE(writeTga(path, solid, TgaRowOrder::BottomFirst));
    }

    start();
    ASSERT_TRUE(waitForFrames(v, 1));

    struct View {
        std::string keys;
        int expectedSet;
    };
    // From the start the left face (x = 0) is seen; from above, the top.
    const std::string fromAbove = "rrrrrrrrrwwwwwwwwwwwwwwwwwffffffffffffffffff";
    std::string pressed;
    for (const View &view : {View{"", 1}, View{fromAbove, 2}}) {
        ASSERT_TRUE(pressAndSettle(v, view.keys));
        pressed += view.keys;
        sm::Camera camera = cameraAfter(pressed);
        sm::Prediction p = sm::predictRay(camera, 512, 512, sm::calibrationFacadeAlpha);
        ASSERT_EQ(p.face, view.expectedSet) << "the model sees another face at the centre";
        Rgb got = readPixel(v, 512, 512);
        sm::Classification seen = sm::classifyCalibrationColor({got.r, got.g, got.b});
        EXPECT_EQ(seen.kind, sm::ColorClass::RoomSlot) << view.keys;
        EXPECT_EQ(seen.slot, view.expectedSet) << view.keys;
    }
}

}  // namespace
