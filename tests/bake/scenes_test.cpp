#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "baked.h"
#include "scene_reader.h"
#include "sceneformat.h"

namespace {
struct SceneRow {
    const char* file;
    float scale;
};
// Every scene file the show loads, with the frame scale it loads it with.
const SceneRow showScenes[] = {
    {"etest.3d", 4.0f},   {"etest2.3d", 7.0f}, {"bboxy.3d", 3.0f},  {"etest4.3d", 4.0f},  {"dacode.3d", 4.0f},
    {"roki.3d", 4.0f},    {"compe.3d", 3.2f},  {"binary.3d", 6.0f}, {"humanus.3d", 6.0f}, {"lait.3d", 6.0f},
    {"lite.3d", 6.0f},    {"cuba.3d", 6.0f},   {"humanu.3d", 6.0f}, {"tribes.3d", 6.0f},  {"king.3d", 6.0f},
    {"cubiki.3d", 6.0f},  {"cubik.3d", 6.0f},  {"alien_1.3d", 6.0f},
};

const ReadScene& Scene(const std::string& file) {
    static std::map<std::string, ReadScene> cache;
    auto found = cache.find(file);
    if (found != cache.end()) return found->second;
    float scale = 0;
    for (const SceneRow& row : showScenes)
        if (file == row.file) scale = row.scale;
    return cache[file] = ReadSceneFile(ReadBytes(BakedFolder() + "/scenes/" + file), scale);
}

int CameraEnd(const ReadScene& s, int camera) { return std::min(s.TrackEnd(EyeTag, 0, camera), s.TrackEnd(TargetTag, 0, camera)); }

float Top(const ReadScene& s, int object) {
    ReadVector lo, hi;
    s.Bounds(object, lo, hi);
    return hi.y;
}

bool IsFlare(const std::string& name) { return name.rfind("F ", 0) == 0 || name.rfind("LF ", 0) == 0 || name.rfind("FL ", 0) == 0; }
}  // namespace

TEST(BakedScenes, EveryFileReadsToItsLastByteWithinTheLoadersLimits) {
    ASSERT_FALSE(BakedFolder().empty());
    for (const SceneRow& row : showScenes) {
        const ReadScene& s = Scene(row.file);
        SCOPED_TRACE(row.file);
        ASSERT_EQ(s.error, "");
        EXPECT_LE(s.cameras.size(), size_t(MaxCameras));
        EXPECT_GE(s.objects.size(), 1u);
        EXPECT_LE(s.objects.size(), size_t(MaxFileObjects));
        EXPECT_LE(s.textures.size(), size_t(MaxTextures));
        EXPECT_LE(s.materials.size(), size_t(MaxMaterials));
        EXPECT_LE(s.lights.size(), size_t(MaxFileLights));
        int nextFace = 0;
        for (const auto& o : s.objects) {
            EXPECT_LT(o.firstVertex, o.endVertex) << o.name;
            EXPECT_LE(o.endVertex, int(s.positions.size())) << o.name;
            // Face ranges follow one another from face 0: the flat-mesh build relies on it.
            EXPECT_EQ(o.firstFace, nextFace) << o.name;
            EXPECT_LT(o.firstFace, o.endFace) << o.name;
            nextFace = o.endFace;
            ASSERT_GE(o.material, 0) << o.name;
            ASSERT_LT(o.material, int(s.materials.size())) << o.name;
            // Index arrays are relative to the object's first vertex: faces must stay inside it.
            for (int f = o.firstFace; f < o.endFace && f < int(s.faces.size()); ++f)
                for (int v : s.faces[size_t(f)]) {
                    EXPECT_GE(v, o.firstVertex) << o.name;
                    EXPECT_LT(v, o.endVertex) << o.name;
                }
        }
        EXPECT_EQ(nextFace, int(s.faces.size()));
        for (const auto& m : s.materials) EXPECT_LT(m.texture, int(s.textures.size())) << m.name;
    }
}

TEST(BakedScenes, TracksStartAtZeroRiseStrictlyAndFitSixteenBits) {
    for (const SceneRow& row : showScenes) {
        const ReadScene& s = Scene(row.file);
        SCOPED_TRACE(row.file);
        for (const auto& t : s.tracks) {
            ASSERT_GE(t.frames.size(), 2u);
            EXPECT_EQ(t.frames.front(), 0);
            for (size_t k = 1; k < t.frames.size(); ++k) EXPECT_GT(t.frames[k], t.frames[k - 1]);
            EXPECT_LT(t.frames.back(), 32768);
            int limit = t.tag == ObjectTag ? int(s.objects.size()) : t.tag == LightTag ? int(s.lights.size()) : int(s.cameras.size());
            EXPECT_GE(t.index, 0);
            EXPECT_LT(t.index, limit);
            if (t.tag == ObjectTag) {
                EXPECT_TRUE(t.subtype == PositionSubtype || t.subtype == ScaleSubtype);
            }
        }
    }
}

TEST(BakedScenes, EveryVertexGetsAUsableNormal) {
    // The loader sums face normals per vertex and normalises: a zero sum would become NaN.
    for (const SceneRow& row : showScenes) {
        const ReadScene& s = Scene(row.file);
        std::vector<ReadVector> sums(s.positions.size(), ReadVector{0, 0, 0});
        for (const auto& f : s.faces) {
            ReadVector p0 = s.positions[size_t(f[0])], p1 = s.positions[size_t(f[1])], p2 = s.positions[size_t(f[2])];
            ReadVector a{p0.x - p1.x, p0.y - p1.y, p0.z - p1.z}, b{p1.x - p2.x, p1.y - p2.y, p1.z - p2.z};
            ReadVector n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
            for (int v : f) sums[size_t(v)].x += n.x, sums[size_t(v)].y += n.y, sums[size_t(v)].z += n.z;
        }
        int bad = 0;
        for (const auto& n : sums) bad += !(n.x * n.x + n.y * n.y + n.z * n.z > 1e-12f);
        EXPECT_EQ(bad, 0) << row.file;
    }
}

TEST(BakedScenes, EveryTextureAScenNamesIsABakedColourPicture) {
    for (const SceneRow& row : showScenes)
        for (const std::string& name : Scene(row.file).textures) {
            DecodedJpeg image = DecodeJpeg(ReadBytes(BakedFolder() + "/gfx/" + name));
            EXPECT_TRUE(image.ok) << row.file << " names " << name;
            EXPECT_EQ(image.components, 3) << name;
        }
}

TEST(BakedScenes, ThePanelNearlyFillsItsSixtyDegreeViewFromCameraZero) {
    const ReadScene& s = Scene("etest.3d");
    ASSERT_GE(s.cameras.size(), 1u);
    ASSERT_GE(s.lights.size(), 1u);
    ReadVector lo, hi;
    s.Bounds(0, lo, hi);
    float distance = std::fabs(s.cameras[0].eye.z - (lo.z + hi.z) / 2);
    float visibleHalf = distance * std::tan(30 * 3.14159265f / 180);
    EXPECT_NEAR((lo.x + hi.x) / 2, 0, 0.01f);
    EXPECT_NEAR((lo.y + hi.y) / 2, 0, 0.01f);
    EXPECT_GT(hi.x / visibleHalf, 0.85f);
    EXPECT_LE(hi.x / visibleHalf, 1.0f);
    // Subdivided, so a point light shades across it; the key light is a device light in front.
    EXPECT_GE(s.objects[0].endVertex - s.objects[0].firstVertex, 25);
    EXPECT_FALSE(IsFlare(s.lights[0].name));
    EXPECT_LT(s.lights[0].position.z, s.cameras[0].eye.z + 1);
    float uMin = 1e9f, uMax = -1e9f, vMin = 1e9f, vMax = -1e9f;
    for (const auto& uv : s.uvs) uMin = std::min(uMin, uv[0]), uMax = std::max(uMax, uv[0]), vMin = std::min(vMin, uv[1]), vMax = std::max(vMax, uv[1]);
    EXPECT_FLOAT_EQ(uMin, 0);
    EXPECT_FLOAT_EQ(uMax, 1);
    EXPECT_FLOAT_EQ(vMin, 0);
    EXPECT_FLOAT_EQ(vMax, 1);
}

TEST(BakedScenes, CameraTracksCoverTheFramesTheShowAsksFor) {
    const struct { const char* file; int camera; int frames; } needs[] = {
        {"etest2.3d", 0, 2450}, {"bboxy.3d", 0, 2600}, {"etest4.3d", 0, 1600}, {"dacode.3d", 0, 800},
        {"roki.3d", 0, 1900},   {"roki.3d", 1, 1300},  {"roki.3d", 2, 2400},   {"compe.3d", 0, 1200},
        {"compe.3d", 1, 1200},  {"compe.3d", 2, 1200}, {"compe.3d", 3, 2100},  {"compe.3d", 4, 1200},
        {"compe.3d", 5, 1200},  {"cuba.3d", 0, 3800},  {"tribes.3d", 0, 5500}, {"king.3d", 0, 22000},
        {"alien_1.3d", 0, 1400}, {"alien_1.3d", 1, 1000}, {"alien_1.3d", 2, 2800}, {"alien_1.3d", 3, 13800},
        {"alien_1.3d", 4, 2700},
    };
    for (const auto& need : needs) {
        const ReadScene& s = Scene(need.file);
        ASSERT_GT(int(s.cameras.size()), need.camera) << need.file;
        EXPECT_GE(CameraEnd(s, need.camera), need.frames) << need.file << " camera " << need.camera;
    }
}

TEST(BakedScenes, AnimatedScenesMoveObjectsAndLights) {
    for (const char* file : {"etest2.3d", "bboxy.3d", "roki.3d", "compe.3d", "binary.3d", "humanus.3d", "tribes.3d"}) {
        bool objects = false;
        for (const auto& t : Scene(file).tracks) objects |= t.tag == ObjectTag;
        EXPECT_TRUE(objects) << file;
    }
    for (const char* file : {"etest2.3d", "bboxy.3d", "compe.3d", "lite.3d"}) {
        bool lights = false;
        for (const auto& t : Scene(file).tracks) lights |= t.tag == LightTag;
        EXPECT_TRUE(lights) << file;
    }
}

TEST(BakedScenes, TheOpeningCorridorIsOrderedFromBackToFront) {
    // Drawn without depth test in object order: after the ground, each object must be nearer
    // the camera than the one before, all along the camera's forward path.
    const ReadScene& s = Scene("etest2.3d");
    float previous = 1e9f;
    int ordered = 0;
    for (size_t i = 0; i < s.objects.size(); ++i) {
        ReadVector lo, hi;
        s.Bounds(int(i), lo, hi);
        if (hi.z - lo.z > 100) continue;  // the ground under everything
        EXPECT_LT((lo.z + hi.z) / 2, previous) << s.objects[i].name;
        previous = (lo.z + hi.z) / 2;
        ++ordered;
    }
    EXPECT_GE(ordered, 5);
}

TEST(BakedScenes, KeyLightScenesHaveOnlyTheirKeyLightSoTheLevelControlsThem) {
    for (const char* file : {"etest4.3d", "dacode.3d"}) {
        const ReadScene& s = Scene(file);
        ASSERT_EQ(s.lights.size(), 1u) << file;
        EXPECT_FALSE(IsFlare(s.lights[0].name)) << file;
    }
    const ReadScene& bboxy = Scene("bboxy.3d");
    EXPECT_GE(bboxy.textures.size(), 2u);
}

TEST(BakedScenes, RokiColumnsCarryTheRisingGlows) {
    const ReadScene& s = Scene("roki.3d");
    ASSERT_GE(s.objects.size(), 58u);
    EXPECT_GE(Top(s, 28), 0.1f);
    std::set<std::pair<int, int>> centres;
    for (int object : {28, 29, 30, 31, 32, 33, 34, 55}) {
        // Falling glows start at the top of object 55: every column must reach that high, or
        // they would be thrown back at once.
        EXPECT_NEAR(Top(s, object), Top(s, 55), 0.01f) << object;
        ReadVector lo, hi;
        s.Bounds(object, lo, hi);
        EXPECT_NEAR(lo.y, 0, 0.01f) << object;
        centres.insert({int(std::lround(lo.x + hi.x)), int(std::lround(lo.z + hi.z))});
    }
    EXPECT_EQ(centres.size(), 8u);
}

TEST(BakedScenes, TheFigureIsAFewThousandFacesInConsecutiveParts) {
    const ReadScene& s = Scene("humanus.3d");
    EXPECT_GE(s.faces.size(), 2000u);
    EXPECT_LE(s.faces.size(), 9000u);
    EXPECT_GE(s.objects.size(), 10u);
    // Object 0's centre is the axis the spiral and ribbons turn around: inside the figure.
    ReadVector lo, hi;
    s.Bounds(0, lo, hi);
    EXPECT_NEAR((lo.x + hi.x) / 2, 0, 0.5f);
    EXPECT_NEAR((lo.z + hi.z) / 2, 0, 0.5f);
    EXPECT_EQ(Scene("humanu.3d").objects.size(), 1u);
}

TEST(BakedScenes, TheLiteLightsLoopSeamlessly) {
    const ReadScene& s = Scene("lite.3d");
    int end = s.FrameCount();
    EXPECT_GT(end, 100);
    for (const auto& t : s.tracks) {
        ASSERT_EQ(t.tag, LightTag);
        EXPECT_EQ(t.frames.back(), end);
        EXPECT_NEAR(t.values.front().x, t.values.back().x, 0.01f);
        EXPECT_NEAR(t.values.front().y, t.values.back().y, 0.01f);
    }
}

TEST(BakedScenes, KingHasItsRolesAndFlares) {
    const ReadScene& s = Scene("king.3d");
    ASSERT_GE(s.objects.size(), 137u);
    int flares = 0, deviceLights = 0;
    for (const auto& l : s.lights) {
        if (IsFlare(l.name)) ++flares;
        if (l.name.rfind("F ", 0) != 0) ++deviceLights;
    }
    EXPECT_GE(flares, 10);
    EXPECT_GE(deviceLights, 2);
    EXPECT_LE(deviceLights, 44);
    // The swarm turns around object 136's centre: it must hang inside the hall.
    ReadVector lo, hi;
    s.Bounds(136, lo, hi);
    EXPECT_GT((lo.y + hi.y) / 2, 5);
    EXPECT_LT((lo.y + hi.y) / 2, 40);
    const ReadScene& cubiki = Scene("cubiki.3d");
    EXPECT_GE(cubiki.positions.size(), 100u);
    EXPECT_LE(cubiki.positions.size(), 600u);
}

TEST(BakedScenes, TheFinaleHasFiveCamerasColouredLightsAndSuns) {
    const ReadScene& s = Scene("alien_1.3d");
    ASSERT_GE(s.cameras.size(), 5u);
    std::set<int> reds;
    int flares = 0;
    for (const auto& l : s.lights) {
        if (IsFlare(l.name)) ++flares;
        if (l.name.rfind("F ", 0) != 0) reds.insert(int(std::lround(l.colour.x * 100)));
    }
    EXPECT_GE(flares, 2);
    EXPECT_GE(reds.size(), 3u);
}

TEST(BakedScenes, ScenesDrawnSixTimesAFrameStayLight) {
    for (const char* file : {"cuba.3d", "tribes.3d", "alien_1.3d"}) EXPECT_LE(Scene(file).faces.size(), 4000u) << file;
    for (const char* file : {"etest4.3d", "cubik.3d"}) EXPECT_LE(Scene(file).faces.size(), 4000u) << file;
}
