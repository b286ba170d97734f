#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "scenefile.h"
#include "scenewriter.h"

using namespace testscene;

namespace {

SceneFile Parse(const std::vector<unsigned char>& bytes, float frameScale = 1.0f, int flatMesh = 0) {
    SceneFile file;
    ParseSceneFile(bytes.data(), bytes.size(), frameScale, flatMesh, file);
    return file;
}

SceneFile Parse(const TestScene& scene, float frameScale = 1.0f, int flatMesh = 0) {
    return Parse(scene.Bytes(), frameScale, flatMesh);
}

// The fatal problem's offset, or -1 when the file is loadable.
long FatalOffset(const SceneFile& file) {
    const SceneFileProblem* problem = file.FirstFatalProblem();
    return problem ? static_cast<long>(problem->offset) : -1;
}

// Two boxes, one camera, a textured and a plain material, two lights and one track per kind.
TestScene SmallScene() {
    TestScene scene;
    scene.cameras.push_back({"cam", Vector(0, 0, -10), Vector(0, 0, 0)});
    scene.textures = {"wood.jpg"};
    scene.materials.push_back({"wood", Vector(0.1f, 0.1f, 0.1f), Vector(0.8f, 0.6f, 0.4f), Vector(0, 0, 0), 0});
    scene.materials.push_back({"plain", Vector(0, 0, 0), Vector(1, 1, 1), Vector(0, 0, 0), -1});
    scene.lights.push_back({"Lamp", Vector(0, 5, 0), Vector(1, 1, 1)});
    scene.lights.push_back({"F glow", Vector(1, 2, 3), Vector(1, 0.5f, 0)});
    scene.AddBox("left", Vector(-2, 0, 0), Vector(1, 1, 1), 0);
    scene.AddBox("right", Vector(2, 0, 0), Vector(1, 2, 3), 1);
    scene.tracks.push_back(CameraEyeTrack(0, {{0, Vector(0, 0, -10)}, {50, Vector(0, 0, -0.2f)}}));
    scene.tracks.push_back(CameraTargetTrack(0, {{0, Vector(0, 0, 0)}, {20, Vector(1, 0, 0)}}));
    scene.tracks.push_back(ObjectPositionTrack(1, {{0, Vector(0, 0, 0)}, {10, Vector(0, 1, 0)}, {30, Vector(0, 0, 0)}}));
    scene.tracks.push_back(ObjectScaleTrack(0, {{0, Vector(1, 1, 1)}, {40, Vector(0, 0, 0)}}));
    scene.tracks.push_back(LightPositionTrack(1, {{0, Vector(1, 2, 3)}, {25, Vector(0, 0, 0)}}));
    return scene;
}

TEST(SceneFileLayout, FieldsAreLittleEndianAndReadBackAsWritten) {
    ByteWriter w;
    w.U16(0x1234), w.I16(-2), w.Float(1.0f), w.Name("ab");
    const std::vector<unsigned char> expected = {0x34, 0x12, 0xFE, 0xFF, 0x00, 0x00, 0x80, 0x3F, 2, 'a', 'b'};
    ASSERT_EQ(w.bytes.size(), expected.size() + 18);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), w.bytes.begin()));
    EXPECT_EQ(std::count(w.bytes.begin() + 11, w.bytes.end(), 0), 18);

    ByteReader r{w.bytes.data(), w.bytes.size(), 0};
    uint16_t u = 0;
    int16_t i = 0;
    float f = 0;
    ASSERT_TRUE(r.U16(u) && r.I16(i) && r.Float(f));
    EXPECT_EQ(u, 0x1234);
    EXPECT_EQ(i, -2);
    EXPECT_EQ(f, 1.0f);
    char name[NameFieldSize];
    EXPECT_EQ(r.Bytes(name, sizeof name), 1);
    uint8_t past = 0;
    EXPECT_EQ(r.U8(past), 0);  // fails and moves nothing
    EXPECT_EQ(r.offset, w.bytes.size());
}

TEST(SceneFileLayout, SectionsFollowTheRecordSizes) {
    // 1 camera, 4 vertices, 2 faces, 1 object, 1 texture, 1 material, 3 lights.
    const SceneSections at(SceneCounts{1, 4, 2, 1, 1, 1, 3});
    EXPECT_EQ(at.objects, 9u + 45);
    EXPECT_EQ(at.textures, at.objects + 30);
    EXPECT_EQ(at.materials, at.textures + 21);
    EXPECT_EQ(at.lights, at.materials + 58);
    EXPECT_EQ(at.positions, at.lights + 3 * 45);
    EXPECT_EQ(at.textureCoordinates, at.positions + 4 * 12);
    EXPECT_EQ(at.faces, at.textureCoordinates + 4 * 8);
    EXPECT_EQ(at.tracks, at.faces + 2 * 6);
    EXPECT_EQ(SceneSections(SceneCounts{1, 4, 2, 1, 1, 1, -56}).positions, at.lights);  // no light records
}

TEST(SceneFileLayout, ReadsEveryRecordOfAValidFile) {
    const TestScene scene = SmallScene();
    const SceneFile file = Parse(scene);
    ASSERT_EQ(FatalOffset(file), -1);
    EXPECT_TRUE(file.problems.empty());
    EXPECT_EQ(file.cameraCount, 1);
    EXPECT_EQ(file.vertexCount, 16);
    EXPECT_EQ(file.faceCount, 24);
    EXPECT_EQ(file.objectCount, 2);
    EXPECT_EQ(file.textureCount, 1);
    EXPECT_EQ(file.materialCount, 2);
    EXPECT_EQ(file.lightCount, 2);
    EXPECT_EQ(file.cameras[0].eye.z, -10.0f);
    EXPECT_EQ(file.cameras[0].name[0], 3);
    EXPECT_EQ(file.objects[1].firstVertex, 8);
    EXPECT_EQ(file.objects[1].endFace, 24);
    EXPECT_EQ(file.objects[1].material, 1);
    EXPECT_EQ(file.textureNames[0], "wood.jpg");
    EXPECT_EQ(file.materials[0].diffuse.y, 0.6f);
    EXPECT_EQ(file.materials[1].texture, -1);
    EXPECT_EQ(file.lights[1].name, "F glow");
    EXPECT_EQ(file.lights[1].colour.y, 0.5f);
    EXPECT_EQ(file.positions[9].x, 2.5f);
    EXPECT_EQ(file.faces[12].index[0], 8u);
    ASSERT_EQ(file.tracks.size(), 5u);
    EXPECT_EQ(file.tracks[2].kind, PositionTrack);
    EXPECT_EQ(file.tracks[2].index, 1);
    EXPECT_EQ(file.tracks[3].kind, ScaleTrack);
    EXPECT_EQ(file.tracks[4].kind, LightTrack);
    EXPECT_EQ(file.tracks[4].values[0].z, 3.0f);
    EXPECT_EQ(file.frameCount, 50);
}

TEST(SceneFileLayout, ZeroCountsSkipTheirSections) {
    TestScene scene;
    scene.AddObject("tri", {Vector(0, 0, 0), Vector(1, 0, 0), Vector(0, 1, 0)}, {{0, 1, 2}}, 0);
    scene.materials.push_back({"m", Vector(0, 0, 0), Vector(1, 1, 1), Vector(0, 0, 0), -1});
    const SceneFile file = Parse(scene);
    EXPECT_EQ(FatalOffset(file), -1);
    EXPECT_EQ(file.frameCount, 0);
    EXPECT_TRUE(file.tracks.empty());
    EXPECT_TRUE(Parse(TestScene()).problems.empty());
}

TEST(SceneFileLayout, LightByteOf128OrMoreLoadsNoLight) {
    TestScene scene;
    scene.lightCountByte = 200;
    scene.AddObject("tri", {Vector(7, 8, 9), Vector(1, 0, 0), Vector(0, 1, 0)}, {{0, 1, 2}}, 0);
    scene.materials.push_back({"m", Vector(0, 0, 0), Vector(1, 1, 1), Vector(0, 0, 0), -1});
    const SceneFile file = Parse(scene);
    EXPECT_EQ(FatalOffset(file), -1);
    EXPECT_EQ(file.lightCount, -56);
    EXPECT_TRUE(file.lights.empty());
    // The bytes after the materials are the vertex positions.
    EXPECT_EQ(file.positions[0].x, 7.0f);
}

TEST(SceneFileTracks, OtherObjectSubtypesAndUnknownTagsCarryNothing) {
    ByteWriter w;
    for (int i = 0; i < 9; ++i) w.U8(0);  // an empty header
    w.U8(1), w.I16(2), w.I16(5), w.I16(3);  // subtype 2: seven bytes, its key count ignored
    w.U8(9);                                // any other tag is one byte
    w.U8(3), w.I16(4), w.I16(2);
    w.I16(0), w.Vec(Vector(1, 2, 3));
    w.I16(8), w.Vec(Vector(4, 5, 6));
    w.U8(0);
    const SceneFile file = Parse(w.bytes);
    EXPECT_EQ(FatalOffset(file), -1);
    ASSERT_EQ(file.tracks.size(), 1u);
    EXPECT_EQ(file.tracks[0].kind, EyeTrack);
    EXPECT_EQ(file.tracks[0].index, 4);
    EXPECT_EQ(file.tracks[0].values[1].y, 5.0f);
    EXPECT_EQ(file.frameCount, 8);
}

TEST(SceneFileTracks, FramesAreScaledAndTruncatedTowardZero) {
    TestScene scene;
    scene.tracks.push_back(CameraEyeTrack(0, {{0, Vector(0, 0, 0)}, {7, Vector(0, 0, 0)}, {100, Vector(0, 0, 0)}}));
    const SceneFile file = Parse(scene, 3.2f);
    ASSERT_EQ(file.tracks.size(), 1u);
    EXPECT_EQ(file.tracks[0].frames[1], 22);
    EXPECT_EQ(file.tracks[0].frames[2], 320);
    EXPECT_EQ(file.frameCount, 320);
}

TEST(SceneFileTracks, FrameCountIsTheLargestLastFrameWhereverItStands) {
    TestScene scene;
    scene.tracks.push_back(LightPositionTrack(0, {{0, Vector(0, 0, 0)}, {30, Vector(0, 0, 0)}}));
    scene.tracks.push_back(ObjectPositionTrack(2, {{0, Vector(0, 0, 0)}, {90, Vector(0, 0, 0)}}));
    scene.tracks.push_back(ObjectScaleTrack(2, {{0, Vector(0, 0, 0)}, {10, Vector(0, 0, 0)}}));
    EXPECT_EQ(Parse(scene, 3.0f).frameCount, 270);
}

TEST(SceneFileTracks, TracksThatCannotBeSampledAreLeftOutNotFatal) {
    TestScene scene;
    scene.tracks.push_back(CameraEyeTrack(0, {}));
    scene.tracks.push_back(CameraEyeTrack(1, {{5, Vector(0, 0, 0)}, {10, Vector(0, 0, 0)}}));
    scene.tracks.push_back(CameraEyeTrack(2, {{0, Vector(0, 0, 0)}, {10, Vector(0, 0, 0)}, {10, Vector(0, 0, 0)}}));
    scene.tracks.push_back(CameraEyeTrack(3, {{0, Vector(0, 0, 0)}, {1, Vector(0, 0, 0)}}));  // 0 and 0 at scale 0.5
    scene.tracks.push_back(CameraTargetTrack(4, {{0, Vector(1, 2, 3)}}));
    scene.tracks.push_back(CameraTargetTrack(5, {{0, Vector(0, 0, 0)}, {600, Vector(0, 0, 0)}}));
    const SceneFile file = Parse(scene, 0.5f);
    EXPECT_EQ(FatalOffset(file), -1);
    ASSERT_EQ(file.tracks.size(), 6u);
    EXPECT_FALSE(file.tracks[0].usable);
    EXPECT_FALSE(file.tracks[1].usable);
    EXPECT_FALSE(file.tracks[2].usable);
    EXPECT_FALSE(file.tracks[3].usable);
    EXPECT_TRUE(file.tracks[4].usable);  // a single key is held
    EXPECT_TRUE(file.tracks[5].usable);
    EXPECT_EQ(file.frameCount, 300);
    ASSERT_EQ(file.problems.size(), 5u);
    EXPECT_EQ(file.problems[0].offset, scene.Sections().tracks);
}

TEST(SceneFileTracks, BadIndicesAndFramesDropTheTrackOrKeyOnlyANegativeCountIsFatal) {
    struct Case {
        TrackRecord track;
        float scale;
        size_t problemInTrack;  // where the problem is reported, from the track's tag
        bool fatal;
        bool usable;
        size_t keysKept;
    };
    TrackRecord negative = CameraEyeTrack(0, {});
    negative.keyCount = -2;
    const Case cases[] = {
        {CameraEyeTrack(10, {{0, Vector(0, 0, 0)}, {5, Vector(0, 0, 0)}}), 1.0f, 1, false, false, 2},
        {CameraTargetTrack(-1, {{0, Vector(0, 0, 0)}, {5, Vector(0, 0, 0)}}), 1.0f, 1, false, false, 2},
        {ObjectPositionTrack(400, {{0, Vector(0, 0, 0)}, {5, Vector(0, 0, 0)}}), 1.0f, 3, false, false, 2},
        {LightPositionTrack(300, {{0, Vector(0, 0, 0)}, {5, Vector(0, 0, 0)}}), 1.0f, 1, false, false, 2},
        {negative, 1.0f, 3, true, false, 0},
        // Frames past 16 bits after scaling: those keys are left out, the track keeps the rest.
        {CameraEyeTrack(0, {{0, Vector(0, 0, 0)}, {9, Vector(0, 0, 0)}, {20000, Vector(0, 0, 0)}}), 2.0f, 5 + 28,
         false, true, 2},
        {CameraEyeTrack(0, {{0, Vector(0, 0, 0)}, {4682, Vector(0, 0, 0)}}), 7.0f, 5 + 14, false, true, 1},
    };
    for (const Case& c : cases) {
        TestScene scene;
        scene.tracks.push_back(c.track);
        scene.tracks.push_back(CameraEyeTrack(1, {{0, Vector(0, 0, 0)}, {5, Vector(0, 0, 0)}}));
        const SceneFile file = Parse(scene, c.scale);
        const std::string which = "tag " + std::to_string(c.track.tag) + " index " + std::to_string(c.track.index);
        ASSERT_FALSE(file.problems.empty()) << which;
        EXPECT_EQ(file.problems[0].offset, scene.Sections().tracks + c.problemInTrack) << which;
        EXPECT_EQ(file.HasFatalProblem(), c.fatal) << which;
        if (c.fatal) continue;
        ASSERT_EQ(file.tracks.size(), 2u) << which;
        EXPECT_EQ(file.tracks[0].usable, c.usable) << which;
        EXPECT_EQ(file.tracks[0].frames.size(), c.keysKept) << which;
        EXPECT_TRUE(file.tracks[1].usable) << which;
    }
    // The largest scaled frame that fits is kept.
    TestScene edge;
    edge.tracks.push_back(CameraEyeTrack(0, {{0, Vector(0, 0, 0)}, {4681, Vector(0, 0, 0)}}));
    EXPECT_TRUE(Parse(edge, 7.0f).problems.empty());
}

TEST(SceneFileTracks, RepeatedProblemsAreListedAFewTimesThenCounted) {
    TestScene scene;
    for (int i = 0; i < 1000; ++i) scene.tracks.push_back(CameraEyeTrack(i % 10, {}));
    const SceneFile file = Parse(scene);
    EXPECT_FALSE(file.HasFatalProblem());
    ASSERT_EQ(file.problems.size(), 6u);
    EXPECT_EQ(file.problems[4].offset, scene.Sections().tracks + 4 * 5);
    EXPECT_EQ(file.problems[5].offset, scene.Sections().tracks + 5 * 5);
    EXPECT_EQ(file.problems[5].message, "995 more problems like the 5 above are not listed");
}

TEST(SceneFileChecks, CountsPastCapacitiesAreFatal) {
    TestScene scene;
    for (int i = 0; i < 11; ++i) scene.cameras.push_back({"c", Vector(0, 0, 0), Vector(0, 0, 1)});
    EXPECT_EQ(FatalOffset(Parse(scene)), 0);

    scene = TestScene();
    for (int i = 0; i < 21; ++i) scene.textures.push_back("t.jpg");
    EXPECT_EQ(FatalOffset(Parse(scene)), 6);

    scene = TestScene();
    for (int i = 0; i < 21; ++i) scene.materials.push_back({"m", Vector(0, 0, 0), Vector(0, 0, 0), Vector(0, 0, 0), -1});
    EXPECT_EQ(FatalOffset(Parse(scene)), 7);

    scene = TestScene();
    for (int i = 0; i < 10; ++i) scene.cameras.push_back({"c", Vector(0, 0, 0), Vector(0, 0, 1)});
    for (int i = 0; i < 20; ++i) scene.textures.push_back("t.jpg");
    EXPECT_EQ(FatalOffset(Parse(scene)), -1);
}

TEST(SceneFileChecks, VertexAndFaceRangesPastTheCountsAreFatal) {
    const TestScene good = SmallScene();
    const size_t objects = good.Sections().objects;

    TestScene scene = good;
    scene.faces[3][1] = 16;
    EXPECT_EQ(FatalOffset(Parse(scene)), static_cast<long>(good.Sections().faces + 3 * 6));

    scene = good;
    scene.objects[1].endVertex = 17;
    EXPECT_EQ(FatalOffset(Parse(scene)), static_cast<long>(objects + 30 + 21));

    scene = good;
    scene.objects[0].firstVertex = 9;  // after its end
    EXPECT_EQ(FatalOffset(Parse(scene)), static_cast<long>(objects + 21));

    scene = good;
    scene.objects[1].endFace = 25;
    EXPECT_EQ(FatalOffset(Parse(scene)), static_cast<long>(objects + 30 + 25));

}

TEST(SceneFileChecks, MaterialAndTextureIndicesPastTheCountsAreClampedOrLeftEmpty) {
    const TestScene good = SmallScene();
    const size_t objects = good.Sections().objects;
    TestScene scene = good;
    scene.objects[0].material = -1;
    scene.objects[1].material = 2;
    scene.materials[1].texture = 1;
    const SceneFile file = Parse(scene);
    EXPECT_FALSE(file.HasFatalProblem());
    ASSERT_EQ(file.problems.size(), 3u);
    EXPECT_EQ(file.problems[0].offset, objects + 2 * 30 + 21 + 58 + 57);
    EXPECT_EQ(file.problems[1].offset, objects + 29);
    EXPECT_EQ(file.problems[2].offset, objects + 30 + 29);
    EXPECT_EQ(file.objects[0].material, 0);
    EXPECT_EQ(file.objects[1].material, 1);
    // The texture index stays: the slot past the file's textures is empty.
    EXPECT_EQ(file.materials[1].texture, 1);
}

TEST(SceneFileChecks, IndexedObjectsMayOnlyUseTheirOwnVertices) {
    TestScene scene = SmallScene();
    scene.faces[2][0] = 8;  // a face of the left box using a vertex of the right one
    EXPECT_EQ(FatalOffset(Parse(scene, 1.0f, 0)), static_cast<long>(scene.Sections().objects + 25));
    // Flat loads use absolute indices.
    EXPECT_EQ(FatalOffset(Parse(scene, 1.0f, 1)), -1);
}

TEST(SceneFileChecks, FlatLoadsNeedFaceRangesInOrder) {
    TestScene scene = SmallScene();
    std::swap(scene.objects[0], scene.objects[1]);
    EXPECT_EQ(FatalOffset(Parse(scene, 1.0f, 0)), -1);
    EXPECT_EQ(FatalOffset(Parse(scene, 1.0f, 1)), static_cast<long>(scene.Sections().objects + 25));
}

TEST(SceneFileChecks, LongNamesAreCutNotFatal) {
    TestScene scene = SmallScene();
    const std::vector<unsigned char> good = scene.Bytes();
    std::vector<unsigned char> bytes = good;
    bytes[scene.Sections().lights] = 25;         // a light's length byte
    bytes[scene.Sections().objects + 30] = 200;  // an object's length byte
    const SceneFile file = Parse(bytes);
    EXPECT_EQ(FatalOffset(file), -1);
    ASSERT_EQ(file.problems.size(), 2u);
    EXPECT_EQ(file.problems[0].offset, scene.Sections().objects + 30);
    EXPECT_EQ(file.problems[1].offset, scene.Sections().lights);
    EXPECT_EQ(file.lights[0].name, "Lamp");  // the filler is zero, so the name stays
    EXPECT_EQ(file.objects[1].name[0], 20);
}

TEST(SceneFileChecks, EveryTruncationIsFatalAtTheEnd) {
    const std::vector<unsigned char> bytes = SmallScene().Bytes();
    for (size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + size);
        const SceneFile file = Parse(cut);
        EXPECT_EQ(FatalOffset(file), static_cast<long>(size)) << "cut at " << size;
    }
    EXPECT_EQ(FatalOffset(Parse(bytes)), -1);
}

}  // namespace
