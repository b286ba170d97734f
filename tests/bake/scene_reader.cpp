#include "scene_reader.h"

#include <algorithm>

#include "sceneformat.h"

namespace {
// Fields in file order; the first read past the end fails the cursor and reads zeros from then on.
struct Cursor {
    ByteReader reader;
    bool failed = false;

    template <typename T, typename Read>
    T Field(Read read) {
        T value{};
        if (!failed && !(reader.*read)(value)) failed = true;
        return failed ? T{} : value;
    }
    int U8() { return Field<uint8_t>(&ByteReader::U8); }
    int S8() { return Field<int8_t>(&ByteReader::I8); }
    int U16() { return Field<uint16_t>(&ByteReader::U16); }
    int S16() { return Field<int16_t>(&ByteReader::I16); }
    float F32() { return Field<float>(&ByteReader::Float); }
    ReadVector Vec() {
        float x = F32(), y = F32(), z = F32();
        return {x, y, z};
    }
    std::string Name() {
        const int length = U8();
        char characters[MaxNameLength];
        if (failed || !reader.Bytes(characters, sizeof characters)) {
            failed = true;
            return "";
        }
        if (length > MaxNameLength) failed = true;
        return std::string(characters, size_t(std::min(length, MaxNameLength)));
    }
};
}  // namespace

ReadScene ReadSceneFile(const std::vector<uint8_t>& bytes, float frameScale) {
    ReadScene scene;
    Cursor c{ByteReader{bytes.data(), bytes.size(), 0}};
    int cameras = c.U8(), vertices = c.U16(), faces = c.U16(), objects = c.U8(), textures = c.U8(), materials = c.U8();
    int lights = c.S8();
    for (int i = 0; i < cameras && !c.failed; ++i) {
        std::string name = c.Name();
        ReadVector eye = c.Vec(), target = c.Vec();
        scene.cameras.push_back({name, eye, target});
    }
    for (int i = 0; i < objects && !c.failed; ++i) {
        ReadScene::Object o;
        o.name = c.Name();
        o.firstVertex = c.U16(), o.endVertex = c.U16(), o.firstFace = c.U16(), o.endFace = c.U16();
        o.material = c.S8();
        scene.objects.push_back(o);
    }
    for (int i = 0; i < textures && !c.failed; ++i) scene.textures.push_back(c.Name());
    for (int i = 0; i < materials && !c.failed; ++i) {
        ReadScene::Material m;
        m.name = c.Name();
        m.ambient = c.Vec(), m.diffuse = c.Vec(), m.specular = c.Vec();
        m.texture = c.S8();
        scene.materials.push_back(m);
    }
    for (int i = 0; i < lights && !c.failed; ++i) {
        std::string name = c.Name();
        ReadVector position = c.Vec(), colour = c.Vec();
        scene.lights.push_back({name, position, colour});
    }
    for (int i = 0; i < vertices && !c.failed; ++i) scene.positions.push_back(c.Vec());
    for (int i = 0; i < vertices && !c.failed; ++i) {
        float u = c.F32(), v = c.F32();
        scene.uvs.push_back({u, v});
    }
    for (int i = 0; i < faces && !c.failed; ++i) {
        int a = c.U16(), b = c.U16(), d = c.U16();
        scene.faces.push_back({a, b, d});
    }
    while (!c.failed) {
        int tag = c.U8();
        if (c.failed) break;
        if (tag == EndTag) break;
        ReadScene::Track track{tag, 0, 0, {}, {}};
        if (tag == ObjectTag) track.subtype = c.S16();
        if (tag < ObjectTag || tag > LightTag) {
            scene.error = "unknown track tag " + std::to_string(tag);
            return scene;
        }
        track.index = c.S16();
        int keys = c.S16();
        if (tag == ObjectTag && track.subtype != PositionSubtype && track.subtype != ScaleSubtype) keys = 0;
        for (int k = 0; k < keys && !c.failed; ++k) {
            int frame = c.S16();
            track.frames.push_back(int16_t(int(float(frame) * frameScale)));
            track.values.push_back(c.Vec());
        }
        scene.tracks.push_back(track);
    }
    if (c.failed) scene.error = "file ends early";
    else if (c.reader.offset != bytes.size()) scene.error = "bytes after the track list";
    return scene;
}

int ReadScene::TrackEnd(int tag, int subtype, int index) const {
    int end = -1;
    for (const Track& t : tracks)
        if (t.tag == tag && t.index == index && (tag != 1 || t.subtype == subtype) && !t.frames.empty()) end = t.frames.back();
    return end;
}

int ReadScene::FrameCount() const {
    int count = 0;
    for (const Track& t : tracks)
        if (!t.frames.empty()) count = std::max(count, t.frames.back());
    return count;
}

void ReadScene::Bounds(int object, ReadVector& minimum, ReadVector& maximum) const {
    const Object& o = objects[size_t(object)];
    minimum = maximum = positions[size_t(o.firstVertex)];
    for (int i = o.firstVertex; i < o.endVertex; ++i) {
        const ReadVector& p = positions[size_t(i)];
        minimum = {std::min(minimum.x, p.x), std::min(minimum.y, p.y), std::min(minimum.z, p.z)};
        maximum = {std::max(maximum.x, p.x), std::max(maximum.y, p.y), std::max(maximum.z, p.z)};
    }
}
