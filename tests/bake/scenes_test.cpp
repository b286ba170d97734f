#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

#include "baked.h"
#include "scenefile.h"

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

// The file as the show's loader reads it, at the frame scale the show loads it with.
const SceneFile& Baked(const std::string& file) {
    static std::map<std::string, SceneFile> cache;
    auto found = cache.find(file);
    if (found != cache.end()) return found->second;
    float scale = 0;
    for (const SceneRow& row : showScenes)
        if (file == row.file) scale = row.scale;
    const std::vector<uint8_t> bytes = ReadBytes(BakedFolder() + "/scenes/" + file);
    SceneFile& parsed = cache[file];
    ParseSceneFile(bytes.data(), bytes.size(), scale, 0, parsed);
    return parsed;
}

// Last scaled frame of an object's, light's or camera's track of that kind, or -1 when it has none.
int TrackEnd(const SceneFile& s, TrackKind kind, int index) {
    int end = -1;
    for (const SceneFileTrack& t : s.tracks)
        if (t.kind == kind && t.index == index && !t.frames.empty()) end = t.frames.back();
    return end;
}

int CameraEnd(const SceneFile& s, int camera) { return std::min(TrackEnd(s, EyeTrack, camera), TrackEnd(s, TargetTrack, camera)); }

// Where the track list ends, counting every track the loader kept from where the geometry ends:
// the file's size when nothing was skipped on the way.
size_t ParsedEnd(const SceneFile& s) {
    size_t end = SceneSections(s.Counts()).tracks;
    for (const SceneFileTrack& t : s.tracks) {
        if (t.offset != end) return t.offset;
        const bool object = t.kind == PositionTrack || t.kind == ScaleTrack;
        end += 1 + (object ? 2 : 0) + 4 + size_t(t.keyCount) * (sizeof(int16_t) + 3 * sizeof(float));
    }
    return end + 1;  // the end tag
}

void Bounds(const SceneFile& s, int object, Vector& minimum, Vector& maximum) {
    const SceneObject& o = s.objects[size_t(object)];
    minimum = maximum = s.positions[o.firstVertex];
    for (int i = o.firstVertex; i < o.endVertex; ++i) {
        const Vector& p = s.positions[size_t(i)];
        minimum = {std::min(minimum.x, p.x), std::min(minimum.y, p.y), std::min(minimum.z, p.z)};
        maximum = {std::max(maximum.x, p.x), std::max(maximum.y, p.y), std::max(maximum.z, p.z)};
    }
}

float Top(const SceneFile& s, int object) {
    Vector lo, hi;
    Bounds(s, object, lo, hi);
    return hi.y;
}

bool IsFlare(const std::string& name) { return name.rfind("F ", 0) == 0 || name.rfind("LF ", 0) == 0 || name.rfind("FL ", 0) == 0; }
}  // namespace

TEST(BakedScenes, EveryFileReadsToItsLastByteWithinTheLoadersLimits) {
    ASSERT_FALSE(BakedFolder().empty());
    for (const SceneRow& row : showScenes) {
        const SceneFile& s = Baked(row.file);
        SCOPED_TRACE(row.file);
        ASSERT_TRUE(s.problems.empty()) << s.problems.front().message << " at byte " << s.problems.front().offset;
        EXPECT_EQ(ParsedEnd(s), ReadBytes(BakedFolder() + "/scenes/" + row.file).size());
        EXPECT_LE(s.cameras.size(), size_t(MaxCameras));
        EXPECT_GE(s.objects.size(), 1u);
        EXPECT_LE(s.objects.size(), size_t(MaxFileObjects));
        EXPECT_LE(s.textureNames.size(), size_t(MaxTextures));
        EXPECT_LE(s.materials.size(), size_t(MaxMaterials));
        EXPECT_LE(s.lights.size(), size_t(MaxFileLights));
        int nextFace = 0;
        for (const auto& o : s.objects) {
            EXPECT_LT(o.firstVertex, o.endVertex) << o.name;
            EXPECT_LE(o.endVertex, s.positions.size()) << o.name;
            // Face ranges follow one another from face 0: the flat-mesh build relies on it.
            EXPECT_EQ(o.firstFace, nextFace) << o.name;
            EXPECT_LT(o.firstFace, o.endFace) << o.name;
            nextFace = o.endFace;
            ASSERT_GE(o.material, 0) << o.name;
            ASSERT_LT(o.material, int(s.materials.size())) << o.name;
            // Index arrays are relative to the object's first vertex: faces must stay inside it.
            for (int f = o.firstFace; f < o.endFace && f < int(s.faces.size()); ++f)
                for (uint32_t v : s.faces[size_t(f)].index) {
                    EXPECT_GE(v, o.firstVertex) << o.name;
                    EXPECT_LT(v, o.endVertex) << o.name;
                }
        }
        EXPECT_EQ(nextFace, int(s.faces.size()));
        for (const auto& m : s.materials) EXPECT_LT(m.texture, int(s.textureNames.size())) << m.name;
    }
}

TEST(BakedScenes, TracksStartAtZeroRiseStrictlyAndFitSixteenBits) {
    for (const SceneRow& row : showScenes) {
        const SceneFile& s = Baked(row.file);
        SCOPED_TRACE(row.file);
        for (const auto& t : s.tracks) {
            EXPECT_TRUE(t.usable);
            ASSERT_GE(t.frames.size(), 2u);
            EXPECT_EQ(t.frames.front(), 0);
            for (size_t k = 1; k < t.frames.size(); ++k) EXPECT_GT(t.frames[k], t.frames[k - 1]);
            EXPECT_LT(t.frames.back(), 32768);
            const bool object = t.kind == PositionTrack || t.kind == ScaleTrack;
            int limit = object ? int(s.objects.size()) : t.kind == LightTrack ? int(s.lights.size()) : int(s.cameras.size());
            EXPECT_GE(t.index, 0);
            EXPECT_LT(t.index, limit);
        }
    }
}

TEST(BakedScenes, EveryVertexGetsAUsableNormal) {
    // The loader sums face normals per vertex and normalises: a zero sum would become NaN.
    for (const SceneRow& row : showScenes) {
        const SceneFile& s = Baked(row.file);
        std::vector<Vector> sums(s.positions.size(), Vector{0, 0, 0});
        for (const auto& f : s.faces) {
            Vector p0 = s.positions[f.index[0]], p1 = s.positions[f.index[1]], p2 = s.positions[f.index[2]];
            Vector a{p0.x - p1.x, p0.y - p1.y, p0.z - p1.z}, b{p1.x - p2.x, p1.y - p2.y, p1.z - p2.z};
            Vector n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
            for (uint32_t v : f.index) sums[v].x += n.x, sums[v].y += n.y, sums[v].z += n.z;
        }
        int bad = 0;
        for (const auto& n : sums) bad += !(n.x * n.x + n.y * n.y + n.z * n.z > 1e-12f);
        EXPECT_EQ(bad, 0) << row.file;
    }
}

TEST(BakedScenes, EveryTextureAScenNamesIsABakedColourPicture) {
    for (const SceneRow& row : showScenes)
        for (const std::string& name : Baked(row.file).textureNames) {
            DecodedJpeg image = DecodeJpeg(ReadBytes(BakedFolder() + "/gfx/" + name));
            EXPECT_TRUE(image.ok) << row.file << " names " << name;
            EXPECT_EQ(image.components, 3) << name;
        }
}

TEST(BakedScenes, ThePanelNearlyFillsItsSixtyDegreeViewFromCameraZero) {
    const SceneFile& s = Baked("etest.3d");
    ASSERT_GE(s.cameras.size(), 1u);
    ASSERT_GE(s.lights.size(), 1u);
    Vector lo, hi;
    Bounds(s, 0, lo, hi);
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
    for (size_t i = 0; i + 1 < s.textureCoordinates.size(); i += 2) {
        const float u = s.textureCoordinates[i], v = s.textureCoordinates[i + 1];
        uMin = std::min(uMin, u), uMax = std::max(uMax, u), vMin = std::min(vMin, v), vMax = std::max(vMax, v);
    }
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
        const SceneFile& s = Baked(need.file);
        ASSERT_GT(int(s.cameras.size()), need.camera) << need.file;
        EXPECT_GE(CameraEnd(s, need.camera), need.frames) << need.file << " camera " << need.camera;
    }
}

TEST(BakedScenes, AnimatedScenesMoveObjectsAndLights) {
    for (const char* file : {"etest2.3d", "bboxy.3d", "roki.3d", "compe.3d", "binary.3d", "humanus.3d", "tribes.3d"}) {
        bool objects = false;
        for (const auto& t : Baked(file).tracks) objects |= t.kind == PositionTrack || t.kind == ScaleTrack;
        EXPECT_TRUE(objects) << file;
    }
    for (const char* file : {"etest2.3d", "bboxy.3d", "compe.3d", "lite.3d"}) {
        bool lights = false;
        for (const auto& t : Baked(file).tracks) lights |= t.kind == LightTrack;
        EXPECT_TRUE(lights) << file;
    }
}

TEST(BakedScenes, TheOpeningCorridorIsOrderedFromBackToFront) {
    // Drawn without depth test in object order: after the ground, each object must be nearer
    // the camera than the one before, all along the camera's forward path.
    const SceneFile& s = Baked("etest2.3d");
    float previous = 1e9f;
    int ordered = 0;
    for (size_t i = 0; i < s.objects.size(); ++i) {
        Vector lo, hi;
        Bounds(s, int(i), lo, hi);
        if (hi.z - lo.z > 100) continue;  // the ground under everything
        EXPECT_LT((lo.z + hi.z) / 2, previous) << s.objects[i].name;
        previous = (lo.z + hi.z) / 2;
        ++ordered;
    }
    EXPECT_GE(ordered, 5);
}

TEST(BakedScenes, KeyLightScenesHaveOnlyTheirKeyLightSoTheLevelControlsThem) {
    for (const char* file : {"etest4.3d", "dacode.3d"}) {
        const SceneFile& s = Baked(file);
        ASSERT_EQ(s.lights.size(), 1u) << file;
        EXPECT_FALSE(IsFlare(s.lights[0].name)) << file;
    }
    const SceneFile& bboxy = Baked("bboxy.3d");
    EXPECT_GE(bboxy.textureNames.size(), 2u);
}

TEST(BakedScenes, RokiColumnsCarryTheRisingGlows) {
    const SceneFile& s = Baked("roki.3d");
    ASSERT_GE(s.objects.size(), 58u);
    EXPECT_GE(Top(s, 28), 0.1f);
    std::set<std::pair<int, int>> centres;
    for (int object : {28, 29, 30, 31, 32, 33, 34, 55}) {
        // Falling glows start at the top of object 55: every column must reach that high, or
        // they would be thrown back at once.
        EXPECT_NEAR(Top(s, object), Top(s, 55), 0.01f) << object;
        Vector lo, hi;
        Bounds(s, object, lo, hi);
        EXPECT_NEAR(lo.y, 0, 0.01f) << object;
        centres.insert({int(std::lround(lo.x + hi.x)), int(std::lround(lo.z + hi.z))});
    }
    EXPECT_EQ(centres.size(), 8u);
}

TEST(BakedScenes, TheFigureIsAFewThousandFacesInConsecutiveParts) {
    const SceneFile& s = Baked("humanus.3d");
    EXPECT_GE(s.faces.size(), 2000u);
    EXPECT_LE(s.faces.size(), 9000u);
    EXPECT_GE(s.objects.size(), 10u);
    // Object 0's centre is the axis the spiral and ribbons turn around: inside the figure.
    Vector lo, hi;
    Bounds(s, 0, lo, hi);
    EXPECT_NEAR((lo.x + hi.x) / 2, 0, 0.5f);
    EXPECT_NEAR((lo.z + hi.z) / 2, 0, 0.5f);
    EXPECT_EQ(Baked("humanu.3d").objects.size(), 1u);
}

TEST(BakedScenes, TheLiteLightsLoopSeamlessly) {
    const SceneFile& s = Baked("lite.3d");
    int end = s.frameCount;
    EXPECT_GT(end, 100);
    for (const auto& t : s.tracks) {
        ASSERT_EQ(t.kind, LightTrack);
        EXPECT_EQ(t.frames.back(), end);
        EXPECT_NEAR(t.values.front().x, t.values.back().x, 0.01f);
        EXPECT_NEAR(t.values.front().y, t.values.back().y, 0.01f);
    }
}

TEST(BakedScenes, KingHasItsRolesAndFlares) {
    const SceneFile& s = Baked("king.3d");
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
    Vector lo, hi;
    Bounds(s, 136, lo, hi);
    EXPECT_GT((lo.y + hi.y) / 2, 5);
    EXPECT_LT((lo.y + hi.y) / 2, 40);
    const SceneFile& cubiki = Baked("cubiki.3d");
    EXPECT_GE(cubiki.positions.size(), 100u);
    EXPECT_LE(cubiki.positions.size(), 600u);
}

TEST(BakedScenes, TheFinaleHasFiveCamerasColouredLightsAndSuns) {
    const SceneFile& s = Baked("alien_1.3d");
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
    for (const char* file : {"cuba.3d", "tribes.3d", "alien_1.3d"}) EXPECT_LE(Baked(file).faces.size(), 4000u) << file;
    for (const char* file : {"etest4.3d", "cubik.3d"}) EXPECT_LE(Baked(file).faces.size(), 4000u) << file;
}
