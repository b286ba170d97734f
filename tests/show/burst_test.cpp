// The figure burst: camera changes, overlays at their marks, the burst of the flat figure and
// the flare spiral.
#include <cmath>

#include "director.h"
#include "echocredits.h"
#include "globals.h"
#include "showfixture.h"

namespace {

class FigureBurst : public FilledShowTest {
protected:
    std::vector<std::string> EtestTextures() const {
        std::vector<std::string> textures;
        for (const RecordedDraw& draw : recorder.Draws())
            if (SceneName(draw) == "etest") textures.push_back(draw.texture);
        return textures;
    }
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(FigureBurst, PassOrderWhileStretching) {
    FrameAt(7800000);
    std::vector<std::string> scenes;
    for (const std::string& name : DrawnScenes())
        if (name != "flare") scenes.push_back(name);
    const std::vector<std::string> expected = {"compe", "compe", "flat",  "lait",  "lait",  "lait",  "etest",
                                               "etest", "etest", "etest", "etest", "etest", "binary"};
    EXPECT_EQ(scenes, expected);
    EXPECT_EQ(EtestTextures(), Names(6, "vision.jpg"));
    EXPECT_EQ(cameraVariant, 2);
    FrameAt(8200000);
    EXPECT_TRUE(EtestTextures().empty());
}

TEST_F(FigureBurst, CameraVariantsAndOverlaysAtTheirMarks) {
    FrameAt(8780000);
    EXPECT_EQ(cameraVariant, 2);
    FrameAt(8780001);
    EXPECT_EQ(cameraVariant, 1);
    FrameAt(9760000);
    EXPECT_EQ(cameraVariant, 1);
    EXPECT_TRUE(EtestTextures().empty());
    FrameAt(9760001);
    EXPECT_EQ(cameraVariant, 4);
    EXPECT_EQ(EtestTextures(), Names{"susp.jpg"});
    FrameAt(10720001);
    EXPECT_EQ(cameraVariant, 5);

    segment3Fade = 0.25f;
    Prime(11500000 - 173800, 0.0f);
    FrameAt(11500000);
    EXPECT_EQ(segment3Fade, 0.25f);
    EXPECT_EQ(EtestTextures(), Names{"susp.jpg"});
    Prime(11500001 - 173800, 0.0f);
    FrameAt(11500001);
    EXPECT_NEAR(segment3Fade, 1.05, 1e-5);
    EXPECT_EQ(EtestTextures(), (Names{"susp.jpg", "freedom.jpg"}));
    // (1 - 1.05) x 10 + 1 is below 1: the panel stays at scale 1.
    EXPECT_EQ(etestScene.world[0](0, 0), 1.0f);

    FrameAt(11750000);
    EXPECT_FALSE(DrawnScenes().empty());
    FrameAt(11750001);
    EXPECT_EQ(cameraVariant, 5);  // kept for later segments
}

TEST_F(FigureBurst, FreedomPanelShrinksFromElevenTimes) {
    Prime(11600000, 0.0f);
    FrameAt(11600000);  // fade 0: scale 11
    EXPECT_EQ(etestScene.world[0](0, 0), 11.0f);
    segment3Fade = 0.5f;
    Prime(11600000, 0.0f);
    FrameAt(11600000);
    EXPECT_EQ(etestScene.world[0](0, 0), 6.0f);
}

TEST_F(FigureBurst, FacesMoveAlongTheirMeanNormalFromTheCopy) {
    // Two objects of one face each; the second object's face is face 1 of the figure.
    static DrawVertex secondObject[3];
    static DrawVertex copy[6];
    humanusFlatScene.objectCount = 2;
    humanusFlatScene.faceCount = 2;
    humanusFlatScene.objects[1] = humanusFlatScene.objects[0];
    humanusFlatScene.objects[1].firstFace = 1;
    humanusFlatScene.objects[1].endFace = 2;
    humanusFlatScene.flatVertices[1] = secondObject;
    for (int k = 0; k < 3; ++k) copy[k] = DrawVertex{0, 0, 0, 0, 1, 0, 0, 0};
    copy[3] = DrawVertex{0, 0, 0, 0, 0, 2, 0.25f, 0.5f};
    copy[4] = DrawVertex{1, 0, 0, 0, 0, 4, 0, 0};
    copy[5] = DrawVertex{0, 1, 0, 0, 3, 0, 0, 0};
    figureCopy = copy;

    burstTicks = 45;  // sin(90 degrees) = 1: twice the burst distance
    burstAmount = 0.5f;
    Prime(8000000, 0.0f);
    for (int frame = 0; frame < 2; ++frame) {  // rebuilt from the copy: nothing accumulates
        FrameAt(8000000);
        const Vector n(0.0f, 1.0f / 3.0f, 2.0f / 3.0f);  // mean of (0,0,1), (0,0,1), (0,1,0)
        const Vector expected[3] = {n, Vector(1, 0, 0) + n, Vector(0, 1, 0) + n};
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(secondObject[k].x, expected[k].x, 1e-6) << "vertex " << k;
            EXPECT_NEAR(secondObject[k].y, expected[k].y, 1e-6) << "vertex " << k;
            EXPECT_NEAR(secondObject[k].z, expected[k].z, 1e-6) << "vertex " << k;
        }
        EXPECT_EQ(secondObject[1].nz, 1.0f);  // normalised again
        EXPECT_EQ(secondObject[0].tu, 0.25f);
        EXPECT_EQ(secondObject[0].tv, 0.5f);
        // The first object's face moved by its own normal, (0, 1, 0).
        EXPECT_NEAR(humanusFlatScene.flatVertices[0][0].y, 1.0f, 1e-6);
    }
}

TEST_F(FigureBurst, MalformedFigureStaysInsideItsArrays) {
    // An object claiming more faces than the figure and its copy have, and one without vertices.
    static DrawVertex fortyFaces[120];
    humanusFlatScene.objectCount = 2;
    humanusFlatScene.objects[0].endFace = 40;
    humanusFlatScene.flatVertices[0] = fortyFaces;
    humanusFlatScene.flatVertices[1] = nullptr;
    FrameAt(8000000);
    figureCopy = nullptr;
    FrameAt(8000000);
    SUCCEED();
}

TEST_F(FigureBurst, SpiralDrawsOnlyFlaresOnScreenOrBehindTheViewer) {
    // The compe camera sits at z = -10 looking at the origin; identity projection, c at the origin.
    Prime(8000000, 0.0f);
    FrameAt(8000000);
    std::vector<Vector> drawn;
    std::vector<float> scales;
    for (const RecordedDraw& draw : recorder.Draws())
        if (SceneName(draw) == "flare") {
            drawn.push_back(Vector(draw.world(3, 0), draw.world(3, 1), draw.world(3, 2)));
            scales.push_back(draw.world(0, 0));
        }
    // Flare 0: straight ahead at (0, 0, 10), full size.
    ASSERT_FALSE(drawn.empty());
    EXPECT_NEAR(drawn[0].z, 10.0f, 1e-5);
    EXPECT_NEAR(scales[0], 1.0f, 1e-6);
    auto has = [&](const Vector& q) {
        for (const Vector& v : drawn)
            if (Length(v - q) < 1e-3f) return true;
        return false;
    };
    EXPECT_TRUE(has(Vector(0, 2, -12)));   // flare 36, behind the camera
    EXPECT_FALSE(has(Vector(11, 1, 0)));   // flare 18, far right
    EXPECT_FALSE(has(Vector(0, 4, 14)));   // flare 72, ahead but above the screen

    // Faded past one half, every size is negative and still drawn as given.
    segment3Fade = 1.0f;
    Prime(8000000, 0.0f);
    FrameAt(8000000);
    for (const RecordedDraw& draw : recorder.Draws())
        if (SceneName(draw) == "flare") {
            EXPECT_LT(draw.world(0, 0), 0.0f);
        }
}

TEST_F(FigureBurst, LaitCopiesTurnAroundTheFigure) {
    humanusFlatScene.bounds[0].centre = Vector(3.0f, 7.0f, -2.0f);
    burstTicks = 0;
    Prime(8000000 - 173800 * 2, 0.0f);
    FrameAt(8000000);  // frameDelta 2: burstTicks 250 before drawing
    ASSERT_EQ(burstTicks, 250u);
    std::vector<Matrix> worlds;
    for (const RecordedDraw& draw : recorder.Draws())
        if (SceneName(draw) == "lait") worlds.push_back(draw.world);
    ASSERT_EQ(worlds.size(), 3u);
    const float angles[3] = {2.5f, -250.0f / 110.0f, 250.0f / 70.0f};
    for (int i = 0; i < 3; ++i) {
        // Turned about its own origin, then set at the figure's x and z at height 0.
        const Vector origin = TransformPoint(Vector(0, 0, 0), worlds[i]);
        EXPECT_NEAR(origin.x, 3.0f, 1e-5);
        EXPECT_NEAR(origin.y, 0.0f, 1e-5);
        EXPECT_NEAR(origin.z, -2.0f, 1e-5);
        const Vector x = TransformPoint(Vector(1, 0, 0), worlds[i]) - origin;
        EXPECT_NEAR(x.x, std::cos(angles[i]), 1e-5) << "copy " << i;
        EXPECT_NEAR(x.z, std::sin(angles[i]), 1e-5) << "copy " << i;
    }
}
